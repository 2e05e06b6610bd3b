// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "render/manpagerenderer.h"

#include <cstdio>

namespace Lectorin::Cli {

int options(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli options REF\n", stderr);
        return 2;
    }
    const std::optional<PageReference> reference = referenceFrom(arguments.positional.first());
    if (!reference) {
        std::fputs("Malformed man page reference.\n", stderr);
        return 1;
    }
    LoadedModel loaded(arguments);
    const std::optional<ManPage> page = pageFor(loaded, *reference);
    if (!page) {
        printNoEntry(reference->name);
        return 1;
    }
    const ManPageRenderer::RenderResult rendered = await(ManPageRenderer::render(*page, std::nullopt, 1.0));
    if (!rendered.succeeded()) {
        printText(*rendered.failure + u'\n', stderr);
        return 1;
    }
    for (const OptionDefinition &definition : rendered.options) {
        printText(definition.anchor % u'\t' % definition.spellings.join(QStringLiteral(", ")) % u'\t'
                % (definition.takesArgument ? QStringLiteral("arg") : QStringLiteral("noarg")) % u'\t'
                % definition.definition % u'\n',
            stdout);
    }
    return 0;
}

} // namespace Lectorin::Cli
