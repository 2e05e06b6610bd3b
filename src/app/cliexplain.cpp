// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "catalogue/pagedescriptionloader.h"
#include "render/commandlineexplainer.h"
#include "render/commandlinesources.h"

#include <cstdio>

namespace Lectorin::Cli {

int explain(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli explain 'LINE'\n", stderr);
        return 2;
    }
    LoadedModel loaded(arguments);
    const Catalogue &catalogue = loaded.model().catalogue();
    const CommandLineExplainer::Sources sources = CommandLineSources::fromCatalogue(
        catalogue, PageDescriptionLoader::gather(catalogue.pages(), loaded.manualDirectories(), QString()));
    for (const CommandLineExplainer::Part &part :
        CommandLineExplainer::explain(arguments.positional.first(), sources))
        printText(CommandLineExplainer::rowText(part) + u'\n', stdout);
    return 0;
}

} // namespace Lectorin::Cli
