// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "catalogue/manindex.h"
#include "catalogue/searchpaths.h"

#include <QElapsedTimer>

#include <cstdio>

namespace Lectorin::Cli {
namespace {

QStringList directoriesFrom(const Arguments &arguments, const QString &option, QStringList (*discover)())
{
    if (const auto given = arguments.option(option))
        return given->split(u':', Qt::SkipEmptyParts);
    return discover();
}

void printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

} // namespace

int scan(const Arguments &arguments)
{
    const QStringList manualDirectories
        = directoriesFrom(arguments, QStringLiteral("manpath"), SearchPaths::manualDirectories);
    QElapsedTimer timer;
    timer.start();
    const ManIndex::Data data = ManIndex::scan(manualDirectories);
    const double scanMilliseconds = timer.nsecsElapsed() / 1e6;

    const QStringList commandDirectories
        = directoriesFrom(arguments, QStringLiteral("path"), SearchPaths::commandDirectories);
    const QList<QString> names = data.byName.keys();
    const QList<ManPage> helpPages
        = ManIndex::scanCommands(commandDirectories, QSet<QString>(names.cbegin(), names.cend()));

    std::printf("pages %lld\nhelp-pages %lld\nnames %lld\nscan-ms %.1f\n", qlonglong(data.pages.size()),
                qlonglong(helpPages.size()), qlonglong(data.byName.size()), scanMilliseconds);
    if (arguments.hasFlag(QStringLiteral("ids"))) {
        for (const ManPage &page : data.pages)
            printLine(page.id());
        for (const ManPage &page : helpPages)
            printLine(page.id());
    }
    return 0;
}

int resolve(const Arguments &)
{
    std::fputs("resolve: not available yet\n", stderr);
    return 2;
}

int filter(const Arguments &)
{
    std::fputs("filter: not available yet\n", stderr);
    return 2;
}

} // namespace Lectorin::Cli
