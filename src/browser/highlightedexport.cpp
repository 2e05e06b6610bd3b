// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/highlightedexport.h"

#include "browser/highlightcolours.h"
#include "browser/highlightscript.h"
#include "browser/scriptcall.h"
#include "catalogue/whenfinished.h"

#include <QObject>
#include <QPointer>
#include <QWebEnginePage>

namespace Lectorin::HighlightedExport {
namespace {

const QString kInlineColours = QStringLiteral(R"js(
for (const mark of Array.from(document.querySelectorAll("mark.lectorin-highlight"))) {
    const span = document.createElement("span");
    span.style.backgroundColor = colours[mark.dataset.colour] || colours.yellow;
    while (mark.firstChild)
        span.appendChild(mark.firstChild);
    mark.replaceWith(span);
}
)js");

QVariantMap colourArgument()
{
    QVariantMap colours;
    for (const HighlightColour colour : HighlightColours::kAll)
        colours.insert(HighlightColours::key(colour), HighlightColours::swatch(colour).name());
    return colours;
}

// Plain text has no marks: the highlights and their notes follow the page, in page order.
QString appendix(QList<Highlight> highlights)
{
    std::stable_sort(highlights.begin(), highlights.end(),
        [](const Highlight &a, const Highlight &b) { return a.quote.position < b.quote.position; });
    QString text = QObject::tr("Highlights and notes") + u'\n';
    for (const Highlight &highlight : std::as_const(highlights)) {
        const QString section = highlight.quote.section.isEmpty()
            ? QString()
            : QStringLiteral(" (%1)").arg(highlight.quote.section);
        text += QStringLiteral("\n  \u201C%1\u201D%2\n").arg(highlight.quote.exact.simplified(), section);
        for (const QString &line : highlight.note.split(u'\n', Qt::SkipEmptyParts))
            text += QStringLiteral("    %1\n").arg(line.trimmed());
    }
    return text;
}

void writeText(const ManPage &page, const QList<Highlight> &highlights, const QString &filePath,
    const RenderTools &tools, ManPageExporter *exporter, ManPageExporter::Completion done)
{
    Futures::whenFinished(ManPageRenderer::exportData(page, ExportFormat::plainText, tools), exporter,
        [highlights, filePath, done](const ManPageRenderer::ExportResult &result) {
            if (!result.succeeded()) {
                done(result.failure);
                return;
            }
            QByteArray text = result.data;
            if (!text.endsWith('\n'))
                text += '\n';
            text += '\n' + appendix(highlights).toUtf8();
            done(ManPageRenderer::writeExportFile(filePath, text));
        });
}

void writeMarked(
    ManPageExporter *exporter, ExportFormat format, const QString &filePath, ManPageExporter::Completion done)
{
    switch (format) {
    case ExportFormat::pdf:
        exporter->printLoadedPDF(filePath, done);
        return;
    case ExportFormat::pdfSinglePage:
        exporter->printLoadedSinglePagePDF(filePath, done);
        return;
    case ExportFormat::html:
        exporter->loadedHTML([filePath, done](const std::optional<QString> &html) {
            done(html ? ManPageRenderer::writeExportFile(filePath, html->toUtf8())
                      : ManPageRenderer::description(ManPageRenderer::ExportError::renderFailed));
        });
        return;
    case ExportFormat::rtf:
        ScriptCall::call(exporter->page(), kInlineColours,
            { { QStringLiteral("colours"), colourArgument() } }, exporter,
            [exporter, filePath, done](const QVariant &) {
                exporter->loadedHTML([filePath, done](const std::optional<QString> &html) {
                    if (!html) {
                        done(ManPageRenderer::description(ManPageRenderer::ExportError::renderFailed));
                        return;
                    }
                    const ManPageRenderer::ExportResult rtf = ManPageRenderer::rtfFromHTML(*html);
                    done(
                        rtf.succeeded() ? ManPageRenderer::writeExportFile(filePath, rtf.data) : rtf.failure);
                });
            });
        return;
    case ExportFormat::plainText:
        return;
    }
}

} // namespace

QString inlineColoursScript()
{
    return kInlineColours;
}

void write(ManPageExporter *exporter, const ManPage &page, const QList<Highlight> &highlights,
    ExportFormat format, const QString &filePath, const RenderTools &tools, ManPageExporter::Completion done)
{
    if (format == ExportFormat::plainText) {
        writeText(page, highlights, filePath, tools, exporter, std::move(done));
        return;
    }
    exporter->loadPage(
        page, [exporter, highlights, format, filePath, done](const std::optional<QString> &failure) {
            if (failure) {
                done(failure);
                return;
            }
            ScriptCall::call(exporter->page(), HighlightScript::pageTextScript(), {}, exporter,
                [exporter, highlights, format, filePath, done](const QVariant &result) {
                    const HighlightScript::Marking marking
                        = HighlightScript::marksFor(HighlightScript::pageTextFrom(result), highlights);
                    ScriptCall::call(exporter->page(), HighlightScript::markScript(),
                        { { QStringLiteral("marks"), HighlightScript::marksArgument(marking.marks) } },
                        exporter, [exporter, format, filePath, done](const QVariant &) {
                            writeMarked(exporter, format, filePath, done);
                        });
                });
        });
}

} // namespace Lectorin::HighlightedExport
