// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "catalogue/spawnedprocess.h"
#include "themes/manpagepalette.h"

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QStringList>

#include <optional>

namespace Lectorin {

class CommandHelpCache;

// What a command without a manual page prints when asked for help, and the page made from it.
namespace CommandHelp {

// The answer for one executable: the cleaned output of the chosen try, or nothing when no try printed text.
struct Output
{
    QString text;
    std::optional<QString> flag;

    bool operator==(const Output &) const = default;
};

inline const QStringList kHelpTries { QStringLiteral("--help"), QStringLiteral("-h"),
    QStringLiteral("help") };
inline constexpr int kTerminateAfterMilliseconds = 3000;
inline constexpr int kKillAfterMilliseconds = 4000;
inline constexpr qsizetype kOutputLimit = 1048576;
// Any command on the search path may be asked; none may take the machine's memory while it answers.
inline constexpr SpawnedProcess::ResourceLimits kHelpLimits { qint64(1) << 30, 4 };

// From `cache` (the shared cache when null), running the tries only for an executable not asked before.
QFuture<Output> helpOutput(const QString &executablePath, CommandHelpCache *cache = nullptr);

// One try: the executable with `flag` as its only argument, standard output and error merged, in an empty
// temporary working directory and a process group of its own under kHelpLimits, stopped after the time limits
// and cut at the output limit. Empty when it cannot start. Blocks the calling thread.
QByteArray runHelpCommandBlocking(const QString &executablePath, const QString &flag);
QFuture<QByteArray> runHelpCommand(const QString &executablePath, const QString &flag);

// All tries in order, choosing a usage-like answer at once, else the one with the most lines (earliest on a
// tie). Blocks the calling thread.
Output runHelpTries(const QString &executablePath);

QString cleanHelpText(const QByteArray &bytes);
QString removeBackspaces(const QString &text);
bool looksLikeUsage(QStringView text);
QString escapeHTML(QStringView text);

// The body of a help page's document for a given answer.
QString commandHelpBody(const ManPage &page, const Output &output);
// The whole help page document; finishes on the cache's thread.
QFuture<QString> commandHelpHTML(const ManPage &page, const std::optional<ManPagePalette> &palette,
    double fontScale, CommandHelpCache *cache = nullptr);

} // namespace CommandHelp
} // namespace Lectorin
