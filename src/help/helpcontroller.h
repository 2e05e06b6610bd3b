// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QWebEnginePage;

namespace Lectorin {

class HelpPage;
class HelpView;

// The help window's state and the window itself: which page the sidebar selects, which page is on display and
// whether Back and Forward can move. The application keeps one; the window and its web page are made the
// first time they are needed. An empty string stands for "no page".
class HelpController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString selection READ selection WRITE setSelection NOTIFY selectionChanged)
    Q_PROPERTY(QString currentSlug READ currentSlug NOTIFY currentSlugChanged)
    Q_PROPERTY(bool canGoBack READ canGoBack NOTIFY canGoBackChanged)
    Q_PROPERTY(bool canGoForward READ canGoForward NOTIFY canGoForwardChanged)

public:
    // Reads the pages from the shipped "Help" resource folder.
    explicit HelpController(QObject *parent = nullptr);
    // Reads the pages from helpFolder; a folder that is absent or lacks the first page means they are
    // missing.
    explicit HelpController(const QString &helpFolder, QObject *parent = nullptr);
    ~HelpController() override;

    QString helpFolder() const { return m_helpFolder; }
    bool hasHelpPages() const;

    QString selection() const { return m_selection; }
    // Selecting a page that is not on display loads it.
    void setSelection(const QString &slug);
    QString currentSlug() const { return m_currentSlug; }
    bool canGoBack() const { return m_canGoBack; }
    bool canGoForward() const { return m_canGoForward; }

    // The help window's page, made (and started on the selected page) on first use; nullptr while the pages
    // are missing, since there is nothing to show.
    HelpPage *page();
    // The help window once it has been shown, else nullptr.
    HelpView *view() const { return m_view; }

    // Opens the help window or brings it to the front, optionally on the page with this slug.
    void showHelp();
    void showHelp(const QString &slug);
    // "Lectorin Help" with the help shortcuts, opening this controller's window.
    QAction *createShowHelpAction(QObject *parent);

    void goBack();
    void goForward();

Q_SIGNALS:
    void selectionChanged(const QString &slug);
    void currentSlugChanged(const QString &slug);
    void canGoBackChanged(bool canGoBack);
    void canGoForwardChanged(bool canGoForward);

private:
    void load(const QString &slug);
    void navigationFinished(bool ok);
    void updateHistoryState();
    void setCurrentSlug(const QString &slug);

    QString m_helpFolder;
    QString m_selection;
    QString m_currentSlug;
    bool m_canGoBack = false;
    bool m_canGoForward = false;
    HelpPage *m_page = nullptr;
    QPointer<HelpView> m_view;
};

} // namespace Lectorin
