// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/engineflags.h"

#include <QList>

#include <algorithm>

namespace Lectorin::EngineFlags {
namespace {

// The switches that decide how pages are spread over renderer processes.
const QList<QByteArray> kProcessModelSwitches = { "--renderer-process-limit", "--single-process",
    "--process-per-site", "--process-per-tab", "--site-per-process" };

bool choosesProcessModel(const QByteArray &flags)
{
    const QList<QByteArray> words = flags.simplified().split(' ');
    return std::any_of(words.cbegin(), words.cend(), [](const QByteArray &word) {
        const qsizetype equals = word.indexOf('=');
        return kProcessModelSwitches.contains(equals < 0 ? word : word.left(equals));
    });
}

} // namespace

QByteArray withSharedRenderer(const QByteArray &flags)
{
    if (choosesProcessModel(flags))
        return flags;
    return QByteArray(flags + " --renderer-process-limit=1").trimmed();
}

void shareOneRenderer()
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", withSharedRenderer(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
}

} // namespace Lectorin::EngineFlags
