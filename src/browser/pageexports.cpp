// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/pageexports.h"

#include "annotations/annotationstore.h"
#include "browser/annotationpages.h"
#include "browser/browserpresenter.h"
#include "browser/highlightedexport.h"
#include "catalogue/whenfinished.h"
#include "web/manpageexporter.h"

#include <QPointer>

namespace Lectorin {

PageExports::PageExports(
    BrowserPresenter *presenter, RenderTools tools, QWebEngineProfile *profile, QObject *parent)
    : QObject(parent)
    , m_presenter(presenter)
    , m_tools(std::move(tools))
    , m_profile(profile)
{ }

ManPageExporter *PageExports::startExporter()
{
    auto *exporter = new ManPageExporter(m_tools, m_profile, this);
    m_exporters.append(exporter);
    emit activeExporterChanged();
    return exporter;
}

void PageExports::endExporter(ManPageExporter *exporter)
{
    const ManPageExporter *active = activeExporter();
    if (!m_exporters.removeOne(exporter))
        return;
    exporter->deleteLater();
    if (activeExporter() != active)
        emit activeExporterChanged();
}

void PageExports::print(const ManPage &page)
{
    ManPageExporter *exporter = startExporter();
    exporter->loadPage(page, [this, exporter](const std::optional<QString> &failure) {
        if (failure) {
            endExporter(exporter);
            m_presenter->showAlert(*failure, QString());
            return;
        }
        QPointer<PageExports> self(this);
        m_presenter->print(exporter->page(), [self, exporter] {
            if (self)
                self->endExporter(exporter);
        });
    });
}

void PageExports::exportPage(const ManPage &page, ExportFormat format)
{
    const BrowserPresenter::ExportChoice choice = m_presenter->chooseExport(page.qualifiedName(), format);
    const QString filePath = choice.filePath;
    if (filePath.isEmpty())
        return;
    const auto finished
        = [this, filePath](const std::optional<QString> &failure) { finishExport(filePath, failure); };
    const QList<Highlight> highlights = choice.includeHighlights && m_annotations
        ? m_annotations->highlightsOf(AnnotationPages::keyOf(page))
        : QList<Highlight>();
    if (!highlights.isEmpty()) {
        ManPageExporter *exporter = startExporter();
        HighlightedExport::write(exporter, page, highlights, format, filePath, m_tools,
            [this, exporter, finished](const std::optional<QString> &failure) {
                endExporter(exporter);
                finished(failure);
            });
        return;
    }
    switch (format) {
    case ExportFormat::pdf:
    case ExportFormat::pdfSinglePage: {
        ManPageExporter *exporter = startExporter();
        const auto exported = [this, exporter, finished](const std::optional<QString> &failure) {
            endExporter(exporter);
            finished(failure);
        };
        if (format == ExportFormat::pdf)
            exporter->exportPDF(page, filePath, exported);
        else
            exporter->exportSinglePagePDF(page, filePath, exported);
        return;
    }
    case ExportFormat::html:
    case ExportFormat::rtf:
    case ExportFormat::plainText:
        // Never inside this call, even when the data is ready at once: callers connect after they ask.
        Futures::whenFinished(ManPageRenderer::exportData(page, format, m_tools), this,
            [finished, filePath](const ManPageRenderer::ExportResult &result) {
                finished(result.succeeded() ? ManPageRenderer::writeExportFile(filePath, result.data)
                                            : result.failure);
            });
        return;
    }
}

void PageExports::finishExport(const QString &filePath, const std::optional<QString> &failure)
{
    if (failure)
        m_presenter->showAlert(*failure, QString());
    emit exportFinished(filePath, failure.value_or(QString()));
}

} // namespace Lectorin
