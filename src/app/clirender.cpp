// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/climodel.h"
#include "render/exportdata.h"
#include "render/manpagerenderer.h"
#include "themes/colorschemestore.h"
#include "themes/manpagepalette.h"
#include "themes/themelibrary.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace Lectorin::Cli {
namespace {

const QLatin1String kManURLSchemes[] = { QLatin1String("x-man-page://"), QLatin1String("x-lectorin-man://") };

// "name", "name(section)", or a man page URL read as written ("section/name" or "name"), so that a numeric
// section is never taken for a host address.
std::optional<PageReference> referenceFrom(const QString &text)
{
    for (const QLatin1String scheme : kManURLSchemes) {
        if (!text.startsWith(scheme, Qt::CaseInsensitive))
            continue;
        QString rest = text.mid(scheme.size());
        rest.truncate(std::min(rest.indexOf(u'?') < 0 ? rest.size() : rest.indexOf(u'?'),
            rest.indexOf(u'#') < 0 ? rest.size() : rest.indexOf(u'#')));
        const QStringList parts = QUrl::fromPercentEncoding(rest.toUtf8()).split(u'/', Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return std::nullopt;
        if (parts.size() == 1)
            return PageReference { parts.first(), std::nullopt };
        return PageReference { parts.mid(1).join(u'/'), parts.first() };
    }
    return parseReference(text);
}

template<typename T>
T await(const QFuture<T> &future)
{
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
    return future.resultCount() > 0 ? future.result() : T {};
}

void printText(const QString &text, FILE *stream)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void printNoEntry(const QString &name)
{
    printText(u"No manual entry for \u201C" + name + u"\u201D\n", stderr);
}

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

} // namespace

int render(const Arguments &arguments)
{
    if (arguments.positional.size() != 1) {
        std::fputs("usage: lectorin-cli render REF [--theme NAME] [--zoom F]\n", stderr);
        return 2;
    }
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
    double fontScale = loaded.model().fontScale();
    if (const std::optional<QString> zoom = arguments.option(QStringLiteral("zoom"))) {
        bool isNumber = false;
        fontScale = std::clamp(zoom->toDouble(&isNumber), AppModel::kMinFontScale, AppModel::kMaxFontScale);
        if (!isNumber) {
            std::fputs("lectorin-cli: --zoom needs a number\n", stderr);
            return 2;
        }
    }
    const std::optional<ManPage> page = loaded.model().resolvePage(reference->name, reference->section);
    if (!page) {
        printText(ManPageRenderer::notFoundHTML(reference->name), stdout);
        return 1;
    }
    const ManPageRenderer::RenderResult rendered = await(ManPageRenderer::render(*page, palette, fontScale));
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
    if (*format == ExportFormat::pdf || *format == ExportFormat::pdfSinglePage) {
        std::fputs("lectorin-cli: PDF export is not available yet\n", stderr);
        return 1;
    }
    const std::optional<PageReference> reference = referenceFrom(arguments.positional.first());
    if (!reference) {
        std::fputs("Malformed man page reference.\n", stderr);
        return 1;
    }
    LoadedModel loaded(arguments);
    const std::optional<ManPage> page = loaded.model().resolvePage(reference->name, reference->section);
    if (!page) {
        printNoEntry(reference->name);
        return 1;
    }
    const ManPageRenderer::ExportResult result = await(ManPageRenderer::exportData(*page, *format));
    const std::optional<QString> failure
        = result.succeeded() ? ManPageRenderer::writeExportFile(*output, result.data) : result.failure;
    if (failure) {
        printText(*failure + u'\n', stderr);
        return 1;
    }
    return 0;
}

} // namespace Lectorin::Cli
