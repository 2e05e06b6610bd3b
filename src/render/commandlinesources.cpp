// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandlinesources.h"

#include "render/commandhelp.h"
#include "render/manpagerenderer.h"

namespace Lectorin::CommandLineSources {

CommandLineExplainer::Sources fromCatalogue(Catalogue catalogue, PageDescriptions descriptions)
{
    CommandLineExplainer::Sources sources;
    sources.page
        = [catalogue, descriptions](const QString &name) -> std::optional<CommandLineExplainer::PageSummary> {
        if (!catalogue.hasManualPageNamed(name))
            return std::nullopt;
        const ManPage *page = catalogue.preferredPage(name);
        return page
            ? std::optional(CommandLineExplainer::PageSummary { page->id(), descriptions.of(page->id()) })
            : std::nullopt;
    };
    sources.definitions = [catalogue](const QString &pageId) {
        const ManPage *page = catalogue.page(pageId);
        if (!page || page->isHelpPage())
            return QList<OptionDefinition>();
        QFuture<ManPageRenderer::RenderResult> rendered = ManPageRenderer::render(*page, std::nullopt, 1.0);
        rendered.waitForFinished();
        return rendered.resultCount() > 0 ? rendered.result().options : QList<OptionDefinition>();
    };
    sources.helpDefinitions = [catalogue](const QString &name) -> std::optional<QList<OptionDefinition>> {
        const QList<ManPage> named = catalogue.pagesNamed(name);
        if (named.isEmpty() || !named.first().isHelpPage())
            return std::nullopt;
        return OptionIndex::fromHelpText(CommandHelp::runHelpTries(named.first().path()).text);
    };
    return sources;
}

} // namespace Lectorin::CommandLineSources
