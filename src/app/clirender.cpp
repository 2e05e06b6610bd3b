// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "render/exportdata.h"
#include "render/manpagerenderer.h"
#include "render/manurl.h"
#include "themes/colorschemestore.h"
#include "themes/manpagepalette.h"
#include "themes/themelibrary.h"
#include "web/manpageexporter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace Lectorin::Cli {
namespace {

std::optional<ManPagePalette> paletteFor(const std::optional<QString> &themeName, bool *known)
{
    *known = true;
    if (!themeName) {
        const std::optional<TMTheme> &theme = ColorSchemeStore::shared().theme();
        return theme ? std::optional(ManPagePalette::fromTheme(*theme)) : std::nullopt;
    }
    if (*themeName == ThemeLibrary::kDefaultName)
        return std::nullopt;
    if (const std::optional<TMTheme> theme = ThemeLibrary::shared().theme(*themeName))
        return ManPagePalette::fromTheme(*theme);
    *known = false;
    return std::nullopt;
}

std::optional<ExportFormat> exportFormat(const QString &name)
{
    static const QHash<QString, ExportFormat> formats {
        { QStringLiteral("pdf"), ExportFormat::pdf },
        { QStringLiteral("pdf-single"), ExportFormat::pdfSinglePage },
        { QStringLiteral("html"), ExportFormat::html },
        { QStringLiteral("rtf"), ExportFormat::rtf },
        { QStringLiteral("text"), ExportFormat::plainText },
    };
    const auto found = formats.constFind(name);
    return found == formats.constEnd() ? std::nullopt : std::optional(*found);
}

// Through the same off-screen page as the Export menu.
std::optional<QString> exportPDF(const ManPage &page, ExportFormat format, const QString &output)
{
    ManPageExporter exporter;
    std::optional<QString> failure;
    bool done = false;
    QEventLoop loop;
    const auto finished = [&](const std::optional<QString> &result) {
        failure = result;
        done = true;
        loop.quit();
    };
    if (format == ExportFormat::pdf)
        exporter.exportPDF(page, output, finished);
    else
        exporter.exportSinglePagePDF(page, output, finished);
    if (!done)
        loop.exec();
    return failure;
}

} // namespace

int render(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli render REF [--theme NAME] [--zoom F] [--timing]\n", stderr);
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    bool knownTheme = true;
    const std::optional<ManPagePalette> palette
        = paletteFor(arguments.option(QStringLiteral("theme")), &knownTheme);
    if (!knownTheme) {
        printText(
            u"lectorin-cli: no theme named \u201C" + *arguments.option(QStringLiteral("theme")) + u"\u201D\n",
            stderr);
        return 2;
    }
    const std::optional<PageReference> reference = referenceFrom(arguments.positional.first());
    if (!reference) {
        printText(ManPageRenderer::errorHTML(
                      QStringLiteral("Lectorin"), QStringLiteral("Malformed man page reference.")),
            stdout);
        return 1;
    }
    LoadedModel loaded(arguments);
    double fontScale = loaded.unloadedModel().fontScale();
    if (const std::optional<QString> zoom = arguments.option(QStringLiteral("zoom"))) {
        bool isNumber = false;
        fontScale = std::clamp(zoom->toDouble(&isNumber), AppModel::kMinFontScale, AppModel::kMaxFontScale);
        if (!isNumber) {
            std::fputs("lectorin-cli: --zoom needs a number\n", stderr);
            return 2;
        }
    }
    const std::optional<ManPage> page = pageFor(loaded, *reference);
    const bool foundDirectly = page && !loaded.isLoaded();
    if (!page) {
        printText(ManPageRenderer::notFoundHTML(reference->name), stdout);
        return 1;
    }
    ManPageRenderer::RenderResult rendered = await(ManPageRenderer::render(*page, palette, fontScale));
    // Only this document shows the display name, which the direct lookup does not know.
    if (foundDirectly && rendered.document == ManPageRenderer::emptyOutputHTML(page->displayName)) {
        if (const std::optional<ManPage> listed = resolveManReference(loaded.model(), *reference))
            rendered.document = ManPageRenderer::emptyOutputHTML(listed->displayName);
    }
    if (arguments.hasFlag(QStringLiteral("timing"))) {
        const double milliseconds = double(timer.nsecsElapsed()) / 1e6 - loaded.discoveryMilliseconds();
        std::fprintf(stderr, "render-ms %.1f\n", milliseconds);
    }
    if (!rendered.succeeded()) {
        printText(ManPageRenderer::renderingFailedHTML(reference->name, *rendered.failure), stdout);
        return 1;
    }
    printText(rendered.document, stdout);
    return 0;
}

int exportPage(const Arguments &arguments)
{
    const std::optional<QString> formatName = arguments.option(QStringLiteral("format"));
    const std::optional<QString> output = arguments.option(QStringLiteral("output"));
    const std::optional<ExportFormat> format = formatName ? exportFormat(*formatName) : std::nullopt;
    if (arguments.positional.size() != 1 || !format || !output) {
        std::fputs("usage: lectorin-cli export REF --format pdf|pdf-single|html|rtf|text -o FILE\n", stderr);
        return 2;
    }
    const std::optional<PageReference> reference = referenceFrom(arguments.positional.first());
    if (!reference) {
        std::fputs("Malformed man page reference.\n", stderr);
        return 1;
    }
    LoadedModel loaded(arguments);
    const std::optional<ManPage> page = resolveManReference(loaded.model(), *reference);
    if (!page) {
        printNoEntry(reference->name);
        return 1;
    }
    std::optional<QString> failure;
    if (*format == ExportFormat::pdf || *format == ExportFormat::pdfSinglePage) {
        failure = exportPDF(*page, *format, *output);
    } else {
        const ManPageRenderer::ExportResult result = await(ManPageRenderer::exportData(*page, *format));
        failure
            = result.succeeded() ? ManPageRenderer::writeExportFile(*output, result.data) : result.failure;
    }
    if (failure) {
        printText(*failure + u'\n', stderr);
        return 1;
    }
    return 0;
}

} // namespace Lectorin::Cli
