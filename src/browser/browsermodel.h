// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "browser/outlineentry.h"
#include "browser/sidebaritem.h"
#include "catalogue/manpage.h"
#include "render/exportdata.h"
#include "render/manpagerenderer.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QWebEnginePage;
class QWebEngineProfile;

namespace Lectorin {

class AnnotationStore;
class AppModel;
class BrowserPresenter;
class ManWebPage;
class PageAfterLoad;
class PageExports;
class PageHighlights;
class PageTranslation;
struct NavigationDecision;

struct BrowserOptions
{
    // The page a new window opens with (it then never restores the last visited page).
    std::optional<QString> initialPageID;
    // The default profile when null; the man page scheme handler is installed on it.
    QWebEngineProfile *profile = nullptr;
    RenderTools tools;
    // The reader's bookmarks and highlights; none without it.
    AnnotationStore *annotations = nullptr;
};

// One window's browsing state: its web page, the catalogue page on display, the sidebar selection and filter,
// and the page commands (show, open, back, forward, zoom, scroll). It carries out what its page decided of
// each navigation; requests to show a page in a new window or tab are signals, and the windows decide where
// the page goes. GUI thread only.
class BrowserModel : public QObject
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

    AppModel *app() const { return m_app; }
    QWebEnginePage *page() const;
    // The copy of a translated page on display, and its switch.
    PageTranslation *translation() const { return m_translation; }
    PageExports *exports() const { return m_exports; }
    // The shown page's highlights; null without an annotation store.
    PageHighlights *highlights() const { return m_highlights; }

    const std::optional<SidebarItem> &selection() const { return m_selection; }
    void setSelection(const std::optional<SidebarItem> &selection);
    QString filter() const { return m_filter; }
    void setFilter(const QString &filter);
    bool isFindPresented() const { return m_isFindPresented; }
    void setFindPresented(bool presented);
    const QList<OutlineEntry> &pageSections() const;
    int filterFocusToken() const { return m_filterFocusToken; }
    // Asks the sidebar to focus its filter field.
    void requestFilterFocus();
    const std::optional<QString> &currentPageID() const { return m_currentPageID; }
    std::optional<ManPage> currentPage() const;
    bool canGoBack() const;
    bool canGoForward() const;

    // Loads the page unless it is the one on display; an unknown ID does nothing. A `fragment` (an anchor, or
    // an option as typed: "--exclude") is scrolled to and marked, on the page shown too.
    void show(const QString &pageID, const QString &fragment = {});
    // Shows the page a reference names in this window, or the missing-page alert.
    void open(const QString &name, const std::optional<QString> &section, const QString &fragment = {});
    // Scrolls the shown page to the definition or section `target` names and marks it; `done` learns whether
    // there was one.
    void jumpTo(const QString &target, std::function<void(bool)> done = {});
    // Puts the caret before the definition of the option `spelling`; `done` is called either way.
    void placeCaretBeforeDefinition(const QString &spelling, std::function<void()> done);
    void showMissingPage(const QString &name, const std::optional<QString> &section);
    // What a link to a page shows under the pointer: the page's name and description. Empty for other links
    // and for pages the catalogue does not have.
    QString linkToolTip(const QUrl &link) const;
    void openInNewWindow(const QString &name, const std::optional<QString> &section);
    void openInNewTab(const QString &name, const std::optional<QString> &section);
    void openPageInNewWindow(const QString &pageID);
    void openPageInNewTab(const QString &pageID);
    // Shows the last visited page, in the first window of the process only. Before the catalogue is ready it
    // shows the page when its file names find it, and otherwise does nothing, to be called again once ready.
    void restoreInitialPage();

    void goBack();
    void goForward();
    // Shows the page the selected text names; beeps when it names none.
    void openSelectedManPage();
    // Asks for the selected text to be explained as a command line; beeps without a selection.
    void explainSelection();
    void explain(const QString &commandLine) { emit explainRequested(commandLine); }
    void applyFontScale(double factor);
    void scrollToSection(const QString &id);
    // Reloads the shown document, e.g. after the colour scheme changed.
    void reload();
    // Whether pages that keep the base colour scheme show it dark; follows the application's appearance.
    void setDarkAppearance(bool dark);
    // Gives the view the coming page's background, shown until a document's first frame: the theme's, or
    // the base look's for the appearance. Called for every appearance change and reload.
    void updatePageBackground();

    // Print and export the current page; nothing without one.
    void printPage();
    void exportPage(ExportFormat format);

    // "%.2fpx" of factor × 13: the root font size for a zoom factor.
    static QString fontSizeArgument(double factor);

Q_SIGNALS:
    void selectionChanged();
    void filterChanged(const QString &filter);
    void isFindPresentedChanged(bool presented);
    void pageSectionsChanged();
    void filterFocusTokenChanged(int token);
    void currentPageIDChanged();
    void navigationStateChanged();
    void newWindowRequested(const QString &pageID);
    void newTabRequested(const QString &pageID);
    // A command line to explain in a tab of its own.
    void explainRequested(const QString &commandLine);
    // After the inferred links of a load were added (or none were found).
    void linksInferred();

private:
    void load(const ManPage &page, const QString &fragment = {});
    std::optional<ManPage> pageBeforeCatalogue(const QString &pageID) const;
    void follow(const NavigationDecision &decision);
    void pageIdentified(const QString &id, bool isVisit);
    void setCurrentPageID(const std::optional<QString> &id);
    void updateNavigationState();

    AppModel *m_app;
    BrowserPresenter *m_presenter;
    RenderTools m_tools;
    ManWebPage *m_page;
    PageAfterLoad *m_afterLoad;
    PageExports *m_exports;
    PageTranslation *m_translation;
    PageHighlights *m_highlights = nullptr;
    std::optional<SidebarItem> m_selection;
    QString m_filter;
    bool m_isFindPresented = false;
    bool m_isDarkAppearance = false;
    int m_filterFocusToken = 0;
    std::optional<QString> m_currentPageID;
    bool m_couldGoBack = false;
    bool m_couldGoForward = false;
};

} // namespace Lectorin
