// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QSet>
#include <QStringList>

#include <optional>

namespace Lectorin::Cli {

// A subcommand's command line split into positional words, "--name value" options and "--flag" switches.
struct Arguments
{
    QStringList positional;
    QHash<QString, QString> options;
    QSet<QString> flags;

    std::optional<QString> option(const QString &name) const;
    bool hasFlag(const QString &name) const { return flags.contains(name); }
};

// Splits `words`; names in `valueOptions` (without "--") take the following word as their value, "-o" is
// "--output". Returns nothing and prints the reason when an option lacks its value.
std::optional<Arguments> parseArguments(const QStringList &words, const QSet<QString> &valueOptions);

} // namespace Lectorin::Cli
