// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/pagesection.h"
#include "browser/sidebaritem.h"
#include "catalogue/manpage.h"
#include "render/exportdata.h"
#include "render/manpageexporter.h"
#include "render/manpagerenderer.h"
#include "render/mannavigationtarget.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QWebEnginePage;
class QWebEngineProfile;

namespace Lectorin {

class AppModel;
class BrowserPresenter;
class ManWebPage;
class PageTranslation;
struct ManResolverBox;

struct BrowserOptions
{
    // The page a new window opens with (it then never restores the last visited page).
    std::optional<QString> initialPageID;
    // The default profile when null; the man page scheme handler is installed on it.
    QWebEngineProfile *profile = nullptr;
    RenderTools tools;
};

// One window's browsing state: its web page, the catalogue page on display, the sidebar selection and filter,
// the outline, and the page commands (show, open, back, forward, zoom, scroll, print, export). Requests to
// show a page in a new window or tab are signals; the windows decide where the page goes. GUI thread only.
class BrowserModel : public ManNavigationTarget
{
    Q_OBJECT
    Q_PROPERTY(QString filter READ filter WRITE setFilter NOTIFY filterChanged)
    Q_PROPERTY(bool isFindPresented READ isFindPresented WRITE setFindPresented NOTIFY isFindPresentedChanged)
    Q_PROPERTY(int filterFocusToken READ filterFocusToken NOTIFY filterFocusTokenChanged)
    Q_PROPERTY(bool canGoBack READ canGoBack NOTIFY navigationStateChanged)
    Q_PROPERTY(bool canGoForward READ canGoForward NOTIFY navigationStateChanged)

public:
    // `app` and `presenter` must outlive the model.
    BrowserModel(
        AppModel *app, BrowserPresenter *presenter, BrowserOptions options = {}, QObject *parent = nullptr);
    ~BrowserModel() override;

    AppModel *app() const { return m_app; }
    QWebEnginePage *page() const;
    // The copy of a translated page on display, and its switch.
    PageTranslation *translation() const { return m_translation; }

    const std::optional<SidebarItem> &selection() const { return m_selection; }
    void setSelection(const std::optional<SidebarItem> &selection);
    QString filter() const { return m_filter; }
    void setFilter(const QString &filter);
    bool isFindPresented() const { return m_isFindPresented; }
    void setFindPresented(bool presented);
    const QList<PageSection> &pageSections() const { return m_pageSections; }
    int filterFocusToken() const { return m_filterFocusToken; }
    // Asks the sidebar to focus its filter field.
    void requestFilterFocus();
    const std::optional<QString> &currentPageID() const { return m_currentPageID; }
    std::optional<ManPage> currentPage() const;
    // The exporter of the latest running print or PDF export, else null.
    ManPageExporter *activeExporter() const
    {
        return m_exporters.isEmpty() ? nullptr : m_exporters.constLast();
    }
    bool canGoBack() const;
    bool canGoForward() const;

    // Loads the page unless it is the one on display; an unknown ID does nothing.
    void show(const QString &pageID);
    void open(const QString &name, const std::optional<QString> &section) override;
    void showMissingPage(const QString &name, const std::optional<QString> &section) override;
    void openInNewWindow(const QString &name, const std::optional<QString> &section) override;
    void openInNewTab(const QString &name, const std::optional<QString> &section) override;
    void openPageInNewWindow(const QString &pageID);
    void openPageInNewTab(const QString &pageID);
    // Shows the last visited page, in the first window of the process only. Before the catalogue is ready it
    // shows the page when its file names find it, and otherwise does nothing, to be called again once ready.
    void restoreInitialPage();

    void goBack();
    void goForward();
    // Shows the page the selected text names; beeps when it names none.
    void openSelectedManPage();
    void applyFontScale(double factor);
    void scrollToSection(const QString &id);
    // Reloads the shown document, e.g. after the colour scheme changed.
    void reload();
    // Whether pages that keep the base colour scheme show it dark; follows the application's appearance.
    void setDarkAppearance(bool dark);
    // Gives the view the coming page's background, shown until a document's first frame: the theme's, or
    // the base look's for the appearance. Called for every appearance change and reload.
    void updatePageBackground();

    void printPage();
    // Asks the presenter for a file and writes the current page in `format`; failures become an alert.
    void exportPage(ExportFormat format);

    // "%.2fpx" of factor × 13: the root font size for a zoom factor.
    static QString fontSizeArgument(double factor);
    static QString missingPageMessage(const QString &name, const std::optional<QString> &section);
    static QString missingPageInformativeText();

Q_SIGNALS:
    void selectionChanged();
    void filterChanged(const QString &filter);
    void isFindPresentedChanged(bool presented);
    void pageSectionsChanged();
    void filterFocusTokenChanged(int token);
    void currentPageIDChanged();
    void activeExporterChanged();
    void navigationStateChanged();
    void newWindowRequested(const QString &pageID);
    void newTabRequested(const QString &pageID);
    // After the inferred links of a load were added (or none were found).
    void linksInferred();
    // After an export ended; `failure` is empty on success.
    void exportFinished(const QString &filePath, const QString &failure);

private:
    void load(const ManPage &page);
    std::optional<ManPage> pageBeforeCatalogue(const QString &pageID) const;
    void pageDidFinish();
    void refreshSections();
    void inferLinks(const ManPage &shown);
    void setCurrentPageID(const std::optional<QString> &id);
    void setPageSections(QList<PageSection> sections);
    ManPageExporter *startExporter();
    void finishExport(const QString &filePath, const std::optional<QString> &failure);
    void endExporter(ManPageExporter *exporter);
    void updateNavigationState();

    AppModel *m_app;
    BrowserPresenter *m_presenter;
    RenderTools m_tools;
    std::shared_ptr<ManResolverBox> m_resolver;
    ManWebPage *m_page;
    PageTranslation *m_translation;
    std::optional<SidebarItem> m_selection;
    QString m_filter;
    bool m_isFindPresented = false;
    bool m_isDarkAppearance = false;
    QList<PageSection> m_pageSections;
    int m_filterFocusToken = 0;
    std::optional<QString> m_currentPageID;
    // The page on display loaded before the catalogue could name it.
    bool m_finishedBeforeCatalogue = false;
    // Running prints and PDF exports, oldest first; each is its own job's until the job ends.
    QList<ManPageExporter *> m_exporters;
    bool m_couldGoBack = false;
    bool m_couldGoForward = false;
};

} // namespace Lectorin
