// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/manpage.h"
#include "render/manpagerenderer.h"

#include <QObject>
#include <QPageLayout>
#include <QTemporaryDir>

#include <functional>
#include <optional>

class QWebEnginePage;
class QWebEngineProfile;

namespace Lectorin {

// An invisible page, always light, into which one page is rendered afresh for a PDF export or a print job, so
// the output looks the same whatever a window shows (no theme, zoom 1.0). Made for one job; GUI thread only.
class ManPageExporter : public QObject
{
    Q_OBJECT

public:
    // Nothing on success, else the sentence an alert shows.
    using Completion = std::function<void(const std::optional<QString> &failure)>;

    // The single-page PDF is this wide, in points; a document that reports no height keeps kDefaultHeight.
    static constexpr int kWidth = 800;
    static constexpr int kDefaultHeight = 1000;

    // Without a profile the page uses the default one.
    explicit ManPageExporter(
        RenderTools tools = {}, QWebEngineProfile *profile = nullptr, QObject *parent = nullptr);
    ~ManPageExporter() override;

    // The page holding the loaded document, e.g. for a print view.
    QWebEnginePage *page() const { return m_page; }

    // Renders without theme at zoom 1.0, then loads the document.
    void loadPage(const ManPage &page, Completion completion);
    // Loads through a file, since the engine refuses inline HTML beyond 2 MB.
    void loadRendered(const QString &html, Completion completion);

    // Paginated with the default page layout of the locale.
    void exportPDF(const ManPage &page, const QString &filePath, Completion completion);
    // One page kWidth points wide and as tall as the document.
    void exportSinglePagePDF(const ManPage &page, const QString &filePath, Completion completion);

    // The same for the document loaded already (loadPage), as it is now: marks added to it are printed.
    void printLoadedPDF(const QString &filePath, Completion completion);
    void printLoadedSinglePagePDF(const QString &filePath, Completion completion);
    // The loaded document as it is now, serialised; nothing when the page could not be read.
    void loadedHTML(std::function<void(const std::optional<QString> &html)> done);

    // A4, or Letter where the locale measures in inches, portrait, half-inch margins.
    static QPageLayout defaultPageLayout();

private:
    void printPDF(const QPageLayout &layout, const QString &filePath, Completion completion);
    void finishLoad(const std::optional<QString> &failure);

    RenderTools m_tools;
    QWebEnginePage *m_page;
    QTemporaryDir m_documentDirectory;
    Completion m_loadCompletion;
};

} // namespace Lectorin
