// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/helpcontroller.h"

#include "help/helpbook.h"
#include "help/helppage.h"
#include "help/helpview.h"
#include "platform/windowactivation.h"
#include "themes/resourcepaths.h"

#include <QAction>
#include <QFileInfo>
#include <QIcon>
#include <QWebEngineHistory>

namespace Lectorin {

HelpController::HelpController(QObject *parent)
    : HelpController(ResourcePaths::resourceFolder(QStringLiteral("Help")), parent)
{ }

HelpController::HelpController(const QString &helpFolder, QObject *parent)
    : QObject(parent)
    , m_helpFolder(helpFolder)
    , m_selection(HelpBook::kIndexSlug.toString())
{ }

HelpController::~HelpController()
{
    // The window shows the page, so it goes first.
    delete m_view;
    delete m_page;
}

bool HelpController::hasHelpPages() const
{
    // A folder without its first page is as good as none: there would be nothing to open.
    const QUrl index = HelpBook::url(HelpBook::kIndexSlug.toString(), m_helpFolder);
    return index.isValid() && QFileInfo(index.toLocalFile()).isFile();
}

void HelpController::setSelection(const QString &slug)
{
    if (slug == m_selection)
        return;
    m_selection = slug;
    emit selectionChanged(slug);
    // A finished navigation sets the current page before it moves the selection, so following a link inside
    // the help never loads that page a second time.
    if (m_page && !slug.isEmpty() && slug != m_currentSlug)
        load(slug);
}

HelpPage *HelpController::page()
{
    if (!m_page && hasHelpPages()) {
        m_page = new HelpPage(this);
        connect(m_page, &QWebEnginePage::loadFinished, this, &HelpController::navigationFinished);
        // Jumps inside a page change the history without a finished load.
        connect(m_page, &QWebEnginePage::urlChanged, this, &HelpController::updateHistoryState);
        load(m_selection.isEmpty() ? HelpBook::kIndexSlug.toString() : m_selection);
    }
    return m_page;
}

void HelpController::showHelp()
{
    if (!m_view)
        m_view = new HelpView(this);
    WindowActivation::bringToFront(m_view);
}

void HelpController::showHelp(const QString &slug)
{
    // Selecting first lets a window that is still to be made start on this page rather than on the index.
    setSelection(slug);
    showHelp();
}

QAction *HelpController::createShowHelpAction(QObject *parent)
{
    auto *action
        = new QAction(QIcon::fromTheme(QStringLiteral("help-contents")), tr("Lectorin Help"), parent);
    action->setShortcuts({ QKeySequence(Qt::Key_F1), QKeySequence(QStringLiteral("Ctrl+?")) });
    action->setMenuRole(QAction::NoRole);
    connect(action, &QAction::triggered, this, [this] { showHelp(); });
    return action;
}

void HelpController::goBack()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Back);
}

void HelpController::goForward()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Forward);
}

void HelpController::load(const QString &slug)
{
    const QUrl url = HelpBook::url(slug, m_helpFolder);
    if (url.isValid())
        m_page->load(url);
}

void HelpController::navigationFinished(bool ok)
{
    // A refused or failed navigation leaves the page where it was; only the history may have moved.
    if (ok) {
        const QString slug = HelpBook::slug(m_page->url());
        setCurrentSlug(slug);
        if (!slug.isEmpty())
            setSelection(slug);
    }
    updateHistoryState();
}

void HelpController::updateHistoryState()
{
    const bool back = m_page->history()->canGoBack();
    const bool forward = m_page->history()->canGoForward();
    if (back != m_canGoBack) {
        m_canGoBack = back;
        emit canGoBackChanged(back);
    }
    if (forward != m_canGoForward) {
        m_canGoForward = forward;
        emit canGoForwardChanged(forward);
    }
}

void HelpController::setCurrentSlug(const QString &slug)
{
    if (slug == m_currentSlug)
        return;
    m_currentSlug = slug;
    emit currentSlugChanged(slug);
}

} // namespace Lectorin
