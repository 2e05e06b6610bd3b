// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/detailview.h"

#include "annotations/annotationstore.h"
#include "browser/browsermodel.h"
#include "browser/pagebookmarks.h"
#include "browser/pagehighlights.h"
#include "browser/pagetranslation.h"
#include "catalogue/pagelanguages.h"
#include "skeppaui/updatenotice.h"
#include "ui/fallbackicons.h"
#include "ui/findbar.h"
#include "ui/manwebview.h"
#include "ui/outlinemenu.h"

#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEnginePage>

namespace Lectorin {
namespace {

QIcon themedIcon(const QWidget *widget, const QString &name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(name, widget->style()->standardIcon(fallback));
}

QWidget *makeEmptyState(QWidget *parent)
{
    auto *state = new QWidget(parent);
    auto *layout = new QVBoxLayout(state);
    layout->addStretch(1);
    auto *icon = new QLabel(state);
    icon->setPixmap(
        themedIcon(parent, QStringLiteral("accessories-dictionary"), QStyle::SP_FileDialogInfoView)
            .pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);
    auto *title = new QLabel(QObject::tr("No Command Selected"), state);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    auto *description
        = new QLabel(QObject::tr("Choose a command in the sidebar, or filter to find one."), state);
    description->setAlignment(Qt::AlignCenter);
    description->setWordWrap(true);
    description->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(icon);
    layout->addWidget(title);
    layout->addWidget(description);
    layout->addStretch(1);
    return state;
}

} // namespace

DetailView::DetailView(BrowserModel *browser, Skeppa::UpdateChecker *checker, QWidget *parent)
    : QWidget(parent)
    , m_browser(browser)
    , m_toolBar(new QToolBar(this))
    , m_findBar(new FindBar(browser, this))
    , m_stack(new QStackedWidget(this))
    , m_emptyState(makeEmptyState(this))
    , m_webView(new ManWebView(browser, this))
{
    m_toolBar->setIconSize(QSize(18, 18));
    m_toolBar->setMovable(false);
    m_back = m_toolBar->addAction(
        FallbackIcons::themed(QStringLiteral("go-previous"), FallbackIcons::Shape::back), tr("Back"), browser,
        &BrowserModel::goBack);
    m_back->setToolTip(tr("Show the previous page"));
    m_forward = m_toolBar->addAction(
        FallbackIcons::themed(QStringLiteral("go-next"), FallbackIcons::Shape::forward), tr("Forward"),
        browser, &BrowserModel::goForward);
    m_forward->setToolTip(tr("Show the next page"));
    auto *spacer = new QWidget(m_toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->addWidget(spacer);
    m_language = m_toolBar->addAction(QIcon::fromTheme(QStringLiteral("preferences-desktop-locale")),
        QString(), browser->translation(), &PageTranslation::toggle);
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(m_language)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    if (PageHighlights *highlights = browser->highlights()) {
        m_bookmark = m_toolBar->addAction(
            FallbackIcons::themed(QStringLiteral("bookmark-new"), FallbackIcons::Shape::star),
            tr("Bookmark This Page"), this, [this, browser, highlights] {
                PageBookmarks::bookmarkWhereViewIs(browser, highlights->store());
                // A click on a filled star toggled it; it stays filled while the page has a bookmark.
                updateBookmark();
            });
        m_bookmark->setToolTip(tr("Bookmark this page, or the section it shows (Ctrl+D)"));
        connect(highlights, &PageHighlights::pageChanged, this, &DetailView::updateBookmark);
        connect(highlights->store(), &AnnotationStore::bookmarksChanged, this, &DetailView::updateBookmark);
    }
    m_sections
        = new QAction(themedIcon(this, QStringLiteral("view-list-symbolic"), QStyle::SP_FileDialogListView),
            tr("Sections"), this);
    m_sections->setToolTip(tr("Jump to a section of this page"));
    m_outline = new OutlineMenu(this);
    connect(
        m_outline, &OutlineMenu::entryChosen, browser, [browser](const QString &id) { browser->jumpTo(id); });
    m_sections->setMenu(m_outline);
    m_toolBar->addAction(m_sections);
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(m_sections)))
        button->setPopupMode(QToolButton::InstantPopup);

    m_findBar->setPageView(m_webView);
    m_toolBar->setAccessibleName(tr("Page toolbar"));
    // The toolbar's overflow button, shown when the window is narrow.
    for (QToolButton *button :
        m_toolBar->findChildren<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        button->setAccessibleName(tr("More"));
    m_stack->addWidget(m_emptyState);
    m_stack->addWidget(m_webView);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (checker)
        layout->addWidget(new SkeppaUI::UpdateNotice(*checker, this));
    layout->addWidget(m_toolBar);
    layout->addWidget(m_findBar);
    layout->addWidget(m_stack, 1);

    QWebEnginePage *page = browser->page();
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        m_loading = true;
        updateContent();
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this] {
        m_loading = false;
        updateContent();
    });
    connect(page, &QWebEnginePage::urlChanged, this, &DetailView::updateContent);
    connect(browser, &BrowserModel::navigationStateChanged, this, &DetailView::updateNavigation);
    connect(browser, &BrowserModel::pageSectionsChanged, this, &DetailView::rebuildSections);
    connect(browser->translation(), &PageTranslation::changed, this, &DetailView::updateLanguage);
    updateLanguage();
    updateBookmark();
    updateContent();
    updateNavigation();
    rebuildSections();
}

bool DetailView::showsEmptyState() const
{
    return m_stack->currentWidget() == m_emptyState;
}

void DetailView::updateContent()
{
    if (!m_browser)
        return;
    const bool empty = m_browser->page()->url().isEmpty() && !m_loading;
    m_stack->setCurrentWidget(empty ? m_emptyState : static_cast<QWidget *>(m_webView));
}

void DetailView::updateNavigation()
{
    if (!m_browser)
        return;
    m_back->setEnabled(m_browser->canGoBack());
    m_forward->setEnabled(m_browser->canGoForward());
}

void DetailView::updateLanguage()
{
    if (!m_browser)
        return;
    const PageTranslation *translation = m_browser->translation();
    m_language->setVisible(!translation->language().isEmpty());
    m_language->setEnabled(translation->canSwitch());
    if (translation->language().isEmpty())
        return;
    const QString translated = PageLanguages::displayName(translation->language());
    const QString untranslated = PageLanguages::untranslatedDisplayName();
    if (!translation->canSwitch()) {
        m_language->setText(translated);
        m_language->setToolTip(tr("This page in %1. It has no untranslated page.").arg(translated));
    } else if (translation->showsTranslation()) {
        m_language->setText(translated);
        m_language->setToolTip(
            tr("This page in %1. Click to show the untranslated page (%2).").arg(translated, untranslated));
    } else {
        m_language->setText(untranslated);
        m_language->setToolTip(
            tr("The untranslated page (%1). Click to show it in %2.").arg(untranslated, translated));
    }
}

void DetailView::updateBookmark()
{
    const PageHighlights *highlights = m_browser ? m_browser->highlights() : nullptr;
    if (!m_bookmark || !highlights)
        return;
    const QString key = highlights->pageKey();
    m_bookmark->setEnabled(!key.isEmpty());
    const QList<Bookmark> bookmarks = highlights->store()->bookmarks();
    const bool bookmarked = std::any_of(bookmarks.cbegin(), bookmarks.cend(),
        [&key](const Bookmark &bookmark) { return !key.isEmpty() && bookmark.page == key; });
    // A filled star: the page has a bookmark.
    m_bookmark->setCheckable(bookmarked);
    m_bookmark->setChecked(bookmarked);
}

void DetailView::rebuildSections()
{
    if (!m_browser)
        return;
    m_outline->setEntries(m_browser->pageSections());
    m_sections->setEnabled(!m_browser->pageSections().isEmpty());
}

} // namespace Lectorin
