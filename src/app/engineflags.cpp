// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/engineflags.h"

#include <QList>
#include <QLoggingCategory>

#include <unistd.h>

#include <cstdio>

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

void quietEngine(const QString &moreFilterRules)
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false\n") + moreFilterRules);
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--log-level"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", QByteArray(flags + " --log-level=3").trimmed());
}

bool needsSandboxSwitch(bool isRoot, bool sandboxVariableSet, const QByteArray &flags)
{
    return isRoot && !sandboxVariableSet && !flags.simplified().split(' ').contains("--no-sandbox");
}

void allowStartAsRoot(const char *program)
{
    if (!needsSandboxSwitch(geteuid() == 0, qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"),
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")))
        return;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fprintf(stderr, "%s: running as root, so the web engine runs without its sandbox.\n", program);
}

void exposePagesToAccessibility()
{
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

} // namespace Lectorin::EngineFlags
