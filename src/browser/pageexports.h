// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "render/exportdata.h"
#include "render/manpagerenderer.h"

#include <QList>
#include <QObject>

#include <optional>

class QWebEngineProfile;

namespace Lectorin {

class AnnotationStore;
class BrowserPresenter;
class ManPageExporter;

// A window's prints and exports of pages: each runs on an exporter of its own until its job ends, and a
// failure becomes an alert. GUI thread only.
class PageExports : public QObject
{
    Q_OBJECT

public:
    // `presenter` must outlive this object.
    PageExports(BrowserPresenter *presenter, RenderTools tools, QWebEngineProfile *profile, QObject *parent);

    // The exporter of the latest running print or PDF export, else null.
    ManPageExporter *activeExporter() const
    {
        return m_exporters.isEmpty() ? nullptr : m_exporters.constLast();
    }

    // Where the highlights an export may include come from; none without it.
    void setAnnotations(AnnotationStore *store) { m_annotations = store; }

    void print(const ManPage &page);
    // Asks the presenter for a file and writes the page in `format`, with its highlights when the user asks.
    void exportPage(const ManPage &page, ExportFormat format);

Q_SIGNALS:
    void activeExporterChanged();
    // After an export ended; `failure` is empty on success.
    void exportFinished(const QString &filePath, const QString &failure);

private:
    ManPageExporter *startExporter();
    void endExporter(ManPageExporter *exporter);
    void finishExport(const QString &filePath, const std::optional<QString> &failure);

    BrowserPresenter *m_presenter;
    RenderTools m_tools;
    QWebEngineProfile *m_profile;
    AnnotationStore *m_annotations = nullptr;
    // Oldest first; each is its own job's until the job ends.
    QList<ManPageExporter *> m_exporters;
};

} // namespace Lectorin
