// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "catalogue/manindex.h"
#include "catalogue/pagedescriptionloader.h"
#include "catalogue/sidebarfilter.h"
#include "catalogue/searchpaths.h"
#include "info/infodocument.h"

#include <QElapsedTimer>

#include <cstdio>

namespace Lectorin::Cli {
namespace {

QStringList directoriesFrom(const Arguments &arguments, const QString &option,
    QStringList (*discover)(const SpawnedProcess::Cancellation *))
{
    if (const auto given = arguments.option(option))
        return given->split(u':', Qt::SkipEmptyParts);
    return discover(nullptr);
}

void printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

} // namespace

int scan(const Arguments &arguments)
{
    const LoadedModel loaded(arguments);
    const QList<PageLanguages::ManualRoot> roots = loaded.manualRoots();
    QElapsedTimer timer;
    timer.start();
    const Catalogue catalogue = ManIndex::scanWithTranslations(roots);
    const double scanMilliseconds = timer.nsecsElapsed() / 1e6;

    const QStringList commandDirectories
        = directoriesFrom(arguments, QStringLiteral("path"), SearchPaths::commandDirectories);
    QSet<QString> knownNames;
    for (const ManPage &page : catalogue.pages())
        knownNames.insert(page.name);
    const QList<ManPage> helpPages = ManIndex::scanCommands(commandDirectories, knownNames);

    std::printf("pages %lld\nhelp-pages %lld\nnames %lld\nscan-ms %.1f\n",
        qlonglong(catalogue.pages().size()), qlonglong(helpPages.size()), qlonglong(catalogue.nameCount()),
        scanMilliseconds);
    timer.restart();
    const InfoLibrary library = InfoPath::scan(loaded.infoDirectories());
    const double listMilliseconds = timer.nsecsElapsed() / 1e6;
    qsizetype nodes = 0;
    for (const InfoManual &manual : library.manuals) {
        if (const std::optional<InfoDocument> document = InfoDocument::load(manual.path))
            nodes += document->nodeNames().size();
    }
    std::printf("info-manuals %lld\ninfo-nodes %lld\ninfo-list-ms %.1f\n", qlonglong(library.manuals.size()),
        qlonglong(nodes), listMilliseconds);
    if (arguments.hasFlag(QStringLiteral("ids"))) {
        for (const ManPage &page : catalogue.pages())
            printLine(page.id());
        for (const ManPage &page : helpPages)
            printLine(page.id());
    }
    return 0;
}

int resolve(const Arguments &arguments)
{
    if (arguments.positional.isEmpty() || arguments.positional.size() > 2) {
        std::fputs("usage: lectorin-cli resolve NAME [SECTION]\n", stderr);
        return 2;
    }
    LoadedModel loaded(arguments);
    const QString &name = arguments.positional.first();
    const std::optional<QString> section
        = arguments.positional.size() > 1 ? std::optional(arguments.positional.at(1)) : std::nullopt;
    const std::optional<ManPage> page = loaded.model().resolvePage(name, section);
    if (!page) {
        std::fprintf(stderr, "No manual entry for \u201c%s\u201d\n", name.toUtf8().constData());
        return 1;
    }
    printLine(page->id());
    return 0;
}

int filter(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli filter QUERY [--limit N] [--descriptions]\n", stderr);
        return 2;
    }
    bool limitIsNumber = true;
    const qsizetype limit
        = arguments.option(QStringLiteral("limit")).value_or(QStringLiteral("-1")).toLongLong(&limitIsNumber);
    if (!limitIsNumber) {
        std::fputs("lectorin-cli: --limit needs a number\n", stderr);
        return 2;
    }
    LoadedModel loaded(arguments);
    const auto sections = SidebarFilter::sections(loaded.model(), arguments.positional.first(), true);
    const bool describes = arguments.hasFlag(QStringLiteral("descriptions"));
    const PageDescriptions descriptions = describes
        ? PageDescriptionLoader::gather(loaded.model().pages(), loaded.manualDirectories(), QString())
        : PageDescriptions();
    const auto printRows = [limit, describes, &descriptions](const SidebarFilter::Rows &rows) {
        if (rows.kind == SidebarFilter::Rows::Kind::message) {
            printLine(rows.message);
            return;
        }
        const qsizetype count = limit < 0 ? rows.count() : std::min(limit, rows.count());
        for (qsizetype row = 0; row < count; ++row) {
            const ManPage &page = rows.pageAt(row);
            printLine(describes ? page.displayName + u'\t' + descriptions.of(page.id()) : page.displayName);
        }
    };
    printRows(sections.commands);
    if (sections.commandHelp.kind == SidebarFilter::Rows::Kind::pages) {
        printLine(QStringLiteral("-- Command Help"));
        printRows(sections.commandHelp);
    }
    return 0;
}

} // namespace Lectorin::Cli
