// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QAction;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace Skeppa {
class UpdateChecker;
}

namespace Lectorin {

class BrowserModel;
class FindBar;
class ManWebView;
class OutlineMenu;

// The right-hand side of a window: the update notice, the toolbar (Back, Forward, Sections), the find bar,
// and the page, or the empty state while nothing is loaded.
class DetailView : public QWidget
{
    Q_OBJECT

public:
    DetailView(BrowserModel *browser, Skeppa::UpdateChecker *checker, QWidget *parent = nullptr);

    ManWebView *webView() const { return m_webView; }
    FindBar *findBar() const { return m_findBar; }
    QToolBar *toolBar() const { return m_toolBar; }
    QAction *sectionsAction() const { return m_sections; }
    // Bookmarks the page, or the section it is at; null without an annotation store.
    QAction *bookmarkAction() const { return m_bookmark; }
    // Shown for a translated page: its language, and a click switches to the untranslated page and back
    // (disabled when the page has no untranslated copy).
    QAction *languageAction() const { return m_language; }
    bool showsEmptyState() const;

private:
    void updateContent();
    void updateNavigation();
    void rebuildSections();
    void updateLanguage();
    void updateBookmark();

    QPointer<BrowserModel> m_browser;
    QToolBar *m_toolBar;
    QAction *m_back;
    QAction *m_forward;
    QAction *m_sections;
    OutlineMenu *m_outline;
    QAction *m_language;
    QAction *m_bookmark = nullptr;
    FindBar *m_findBar;
    QStackedWidget *m_stack;
    QWidget *m_emptyState;
    ManWebView *m_webView;
    bool m_loading = false;
};

} // namespace Lectorin
