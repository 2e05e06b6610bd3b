// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "catalogue/pageidentifierview.h"
#include "fulltext/fulltextindex.h"
#include "fulltext/fulltextindexer.h"
#include "fulltext/fulltextsearch.h"

#include <cstdio>

namespace Lectorin::Cli {
namespace {

FullTextIndexer::Options indexOptions(const Arguments &arguments)
{
    FullTextIndexer::Options options = FullTextIndexer::defaultOptions();
    if (const auto path = arguments.option(QStringLiteral("index")))
        options.indexPath = *path;
    return options;
}

// Brings the index in step with the catalogue, as the program does after each load.
std::optional<FullTextIndexer::Summary> updatedIndex(const Arguments &arguments, const QString &indexPath)
{
    LoadedModel loaded(arguments);
    FullTextIndexer::Options options = indexOptions(arguments);
    options.indexPath = indexPath;
    const AppModel &model = loaded.modelWithInfoNodes();
    options.languages = model.pageLanguages();
    const FullTextIndexer::Summary summary
        = FullTextIndexer::updateBlocking(model.pages() + model.infoNodePages(), options, {});
    if (!summary.available) {
        std::fprintf(
            stderr, "lectorin-cli: no full-text index could be made at %s\n", indexPath.toUtf8().constData());
        return std::nullopt;
    }
    return summary;
}

// Whether the index can be searched as it stands: asked to, or the last complete pass showed the same
// translations and nothing changed in its folders; given search paths must also be the ones it read.
bool indexIsCurrent(const Arguments &arguments, const QString &indexPath)
{
    if (arguments.hasFlag(QStringLiteral("no-update")))
        return true;
    const bool givesFolders = arguments.option(QStringLiteral("manpath"))
        || arguments.option(QStringLiteral("path")) || arguments.option(QStringLiteral("infopath"));
    if (!givesFolders)
        return FullTextIndexer::isCurrent(indexPath, pageLanguages(arguments));
    // Only manual and Info pages are indexed: the command folders do not matter.
    const LoadedModel loaded(arguments);
    return FullTextIndexer::isCurrentFor(
        indexPath, pageLanguages(arguments), loaded.manualDirectories(), loaded.infoDirectories());
}

} // namespace

int index(const Arguments &arguments)
{
    if (!arguments.positional.isEmpty()) {
        std::fputs("usage: lectorin-cli index [--index FILE]\n", stderr);
        return 2;
    }
    const std::optional<FullTextIndexer::Summary> summary
        = updatedIndex(arguments, indexOptions(arguments).indexPath);
    if (!summary)
        return 1;
    std::printf("indexed %lld\nupdated %lld\nremoved %lld\nindex-ms %lld\n", qlonglong(summary->indexed),
        qlonglong(summary->updated), qlonglong(summary->removed), qlonglong(summary->milliseconds));
    return 0;
}

int search(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli search QUERY [--limit N] [--index FILE] [--no-update]\n", stderr);
        return 2;
    }
    bool limitIsNumber = true;
    const int limit = arguments.option(QStringLiteral("limit"))
                          .value_or(QString::number(FullTextSearch::kDefaultLimit))
                          .toInt(&limitIsNumber);
    if (!limitIsNumber) {
        std::fputs("lectorin-cli: --limit needs a number\n", stderr);
        return 2;
    }
    const QString indexPath = indexOptions(arguments).indexPath;
    if (!indexIsCurrent(arguments, indexPath) && !updatedIndex(arguments, indexPath))
        return 1;
    if (!FullTextIndex::openForReading(indexPath)) {
        std::fprintf(stderr,
            "lectorin-cli: there is no full-text index at %s; lectorin-cli index makes one\n",
            indexPath.toUtf8().constData());
        return 1;
    }
    for (const FullTextHit &hit :
        FullTextSearch::searchBlocking(indexPath, arguments.positional.first(), limit)) {
        // Info nodes in the form `info` and other programs take: "info:(coreutils)ls invocation".
        const PageIdentifierView identifier(hit.id);
        QString line = (identifier.section == kInfoSection ? u"info:" + identifier.name.toString() : hit.id)
            + u'\t' + hit.snippet;
        if (!hit.aliasIDs.isEmpty())
            line += u'\t' + hit.aliasIDs.join(u' ');
        line += u'\n';
        std::fputs(line.toUtf8().constData(), stdout);
    }
    return 0;
}

} // namespace Lectorin::Cli
