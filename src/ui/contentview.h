// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSplitter>

#include <memory>
#include <optional>

class QSettings;
class QWebEngineProfile;

namespace Skeppa {
class UpdateChecker;
}

namespace Lectorin {

class AnnotationStore;
class AppModel;
class ApplicationActions;
class BrowserModel;
class ColorSchemeStore;
class DetailView;
class FullTextIndexer;
class NotesPane;
class SidebarView;
class WindowPresenter;

// One browsing window's content (a tab of a main window): the sidebar, the detail view and the Notes pane
// (hidden until asked for) over the tab's own browser model. Runs the start-up work when first shown and
// follows theme, zoom and appearance changes.
class ContentView : public QSplitter
{
    Q_OBJECT

public:
    struct Services
    {
        AppModel *app = nullptr;
        QSettings *settings = nullptr;
        ColorSchemeStore *colorScheme = nullptr;
        Skeppa::UpdateChecker *checker = nullptr;
        QWebEngineProfile *profile = nullptr;
        std::function<bool()> isDarkAppearance;
        ApplicationActions *actions = nullptr;
        // The application's full-text indexer; null when full-text search is unavailable.
        FullTextIndexer *indexer = nullptr;
        // The reader's bookmarks and highlights, shared by every window; none without it.
        AnnotationStore *annotations = nullptr;
    };

    ContentView(const Services &services, std::optional<QString> initialPageID, QWidget *hostWindow,
        QWidget *parent = nullptr);
    ~ContentView() override;

    BrowserModel *browser() const { return m_browser.get(); }
    SidebarView *sidebar() const { return m_sidebar; }
    DetailView *detail() const { return m_detail; }
    // The Notes pane at the right; null without an annotation store.
    NotesPane *notes() const { return m_notes; }
    bool isNotesShown() const;
    void setNotesShown(bool shown);
    // The page's title, or "Lectorin".
    QString title() const;
    // Loads an x-man-page reference from outside; other schemes are ignored.
    void openExternalURL(const QUrl &url);
    void setDarkAppearance(bool dark);

Q_SIGNALS:
    void titleChanged(const QString &title);
    void notesShownChanged(bool shown);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void runStartWork();

    Services m_services;
    std::unique_ptr<WindowPresenter> m_presenter;
    std::unique_ptr<BrowserModel> m_browser;
    SidebarView *m_sidebar;
    DetailView *m_detail;
    NotesPane *m_notes = nullptr;
    bool m_started = false;
};

} // namespace Lectorin
