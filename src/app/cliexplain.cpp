// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "fulltext/pagetext.h"
#include "render/commandlineexplainer.h"
#include "render/commandlinesources.h"

#include <QRegularExpression>

#include <cstdio>

namespace Lectorin::Cli {
namespace {

// The NAME line without the names: "tar - an archiving utility" describes tar as "an archiving utility".
QString description(const ManPage &page)
{
    const std::optional<QString> text = PageText::renderBlocking(page, RenderTools().formatter);
    const QString line = text ? PageText::nameLine(*text) : QString();
    static const QRegularExpression separator(QStringLiteral(" [-\u2013\u2014\u2212] "));
    const QRegularExpressionMatch match = separator.match(line);
    return match.hasMatch() ? line.mid(match.capturedEnd()) : line;
}

} // namespace

int explain(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli explain 'LINE'\n", stderr);
        return 2;
    }
    LoadedModel loaded(arguments);
    const Catalogue &catalogue = loaded.model().catalogue();
    CommandLineExplainer::Sources sources = CommandLineSources::fromCatalogue(catalogue);
    sources.page = [&catalogue, page = sources.page](const QString &name) {
        std::optional<CommandLineExplainer::PageSummary> summary = page(name);
        if (summary) {
            if (const ManPage *found = catalogue.page(summary->pageId))
                summary->description = description(*found);
        }
        return summary;
    };
    for (const CommandLineExplainer::Part &part :
        CommandLineExplainer::explain(arguments.positional.first(), sources))
        printText(CommandLineExplainer::rowText(part) + u'\n', stdout);
    return 0;
}

} // namespace Lectorin::Cli
