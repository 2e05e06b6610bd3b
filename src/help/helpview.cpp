// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/helpview.h"

#include "help/helpbook.h"
#include "help/helpcontroller.h"
#include "help/helppage.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace Lectorin {
namespace {

constexpr int kSlugRole = Qt::UserRole;
constexpr int kSidebarMinimumWidth = 170;
constexpr int kSidebarPreferredWidth = 190;

// The desktop's icon theme first, then the style's own picture, so the buttons never come out blank.
QIcon themedIcon(const QString &name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback));
}

QWidget *missingPagesNotice()
{
    auto *notice = new QWidget;
    notice->setObjectName(QStringLiteral("helpPagesMissing"));
    auto *layout = new QVBoxLayout(notice);
    layout->addStretch();

    auto *icon = new QLabel;
    icon->setPixmap(themedIcon(QStringLiteral("help-about"), QStyle::SP_MessageBoxQuestion).pixmap(48));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);

    auto *title = new QLabel(HelpView::tr("Help Pages Missing"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto *description = new QLabel(HelpView::tr("The Help pages are missing from this copy of Lectorin."));
    description->setAlignment(Qt::AlignCenter);
    description->setWordWrap(true);
    description->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(description);

    layout->addStretch();
    return notice;
}

} // namespace

HelpView::HelpView(HelpController *controller, QWidget *parent)
    : QMainWindow(parent)
    , m_controller(controller)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(tr("Lectorin Help"));
    resize(kDefaultSize);

    buildSidebar();
    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_sidebar);
    splitter->addWidget(m_controller->hasHelpPages() ? buildWebView() : missingPagesNotice());
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ kSidebarPreferredWidth, kDefaultSize.width() - kSidebarPreferredWidth });
    setCentralWidget(splitter);

    auto *close = new QAction(tr("Close"), this);
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    selectSlug(m_controller->selection());
    connect(m_controller, &HelpController::selectionChanged, this, &HelpView::selectSlug);
    connect(m_sidebar, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem *> selected = m_sidebar->selectedItems();
        // Only a chosen page moves the book; a cleared selection leaves the page on display.
        if (!selected.isEmpty())
            m_controller->setSelection(selected.first()->data(0, kSlugRole).toString());
    });
}

HelpView::~HelpView() = default;

void HelpView::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyAppearance();
}

void HelpView::buildSidebar()
{
    m_sidebar = new QTreeWidget;
    m_sidebar->setObjectName(QStringLiteral("helpSidebar"));
    m_sidebar->setHeaderHidden(true);
    m_sidebar->setRootIsDecorated(false);
    m_sidebar->setItemsExpandable(false);
    m_sidebar->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sidebar->setMinimumWidth(kSidebarMinimumWidth);
    for (const HelpBook::Chapter &chapter : HelpBook::tableOfContents()) {
        auto *header = new QTreeWidgetItem(m_sidebar, { chapter.title });
        header->setFlags(Qt::ItemIsEnabled);
        QFont font = header->font(0);
        font.setBold(true);
        header->setFont(0, font);
        for (const HelpBook::Page &page : chapter.pages) {
            auto *row = new QTreeWidgetItem(header, { page.title });
            row->setData(0, kSlugRole, page.slug);
        }
    }
    m_sidebar->expandAll();
}

QWidget *HelpView::buildWebView()
{
    m_webView = new QWebEngineView;
    m_webView->setObjectName(QStringLiteral("helpWebView"));
    m_webView->setPage(m_controller->page());
    m_webView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_webView, &QWidget::customContextMenuRequested, this, &HelpView::showContextMenu);
    applyAppearance();

    auto *toolbar = addToolBar(tr("Navigation"));
    toolbar->setObjectName(QStringLiteral("helpNavigation"));
    toolbar->setMovable(false);
    toolbar->toggleViewAction()->setVisible(false);

    m_backAction
        = toolbar->addAction(themedIcon(QStringLiteral("go-previous"), QStyle::SP_ArrowBack), tr("Back"));
    m_backAction->setToolTip(tr("Show the previous page"));
    m_backAction->setShortcuts({ QKeySequence::Back, QKeySequence(QStringLiteral("Ctrl+[")) });
    m_backAction->setEnabled(m_controller->canGoBack());
    connect(m_backAction, &QAction::triggered, m_controller, &HelpController::goBack);
    connect(m_controller, &HelpController::canGoBackChanged, m_backAction, &QAction::setEnabled);

    m_forwardAction
        = toolbar->addAction(themedIcon(QStringLiteral("go-next"), QStyle::SP_ArrowForward), tr("Forward"));
    m_forwardAction->setToolTip(tr("Show the next page"));
    m_forwardAction->setShortcuts({ QKeySequence::Forward, QKeySequence(QStringLiteral("Ctrl+]")) });
    m_forwardAction->setEnabled(m_controller->canGoForward());
    connect(m_forwardAction, &QAction::triggered, m_controller, &HelpController::goForward);
    connect(m_controller, &HelpController::canGoForwardChanged, m_forwardAction, &QAction::setEnabled);
    return m_webView;
}

void HelpView::showContextMenu(const QPoint &position)
{
    QMenu *menu = m_webView->createStandardContextMenu();
    // Everything that would save files or show the source has no place in a help book.
    const QWebEnginePage *page = m_webView->page();
    for (const auto action :
        { QWebEnginePage::ViewSource, QWebEnginePage::SavePage, QWebEnginePage::DownloadLinkToDisk,
            QWebEnginePage::DownloadImageToDisk, QWebEnginePage::DownloadMediaToDisk,
            QWebEnginePage::OpenLinkInNewTab, QWebEnginePage::OpenLinkInNewWindow,
            QWebEnginePage::OpenLinkInNewBackgroundTab, QWebEnginePage::InspectElement })
        menu->removeAction(page->action(action));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_webView->mapToGlobal(position));
}

void HelpView::selectSlug(const QString &slug)
{
    for (int chapter = 0; chapter < m_sidebar->topLevelItemCount(); ++chapter) {
        QTreeWidgetItem *header = m_sidebar->topLevelItem(chapter);
        for (int row = 0; row < header->childCount(); ++row) {
            QTreeWidgetItem *item = header->child(row);
            if (item->data(0, kSlugRole).toString() == slug) {
                m_sidebar->setCurrentItem(item);
                return;
            }
        }
    }
    m_sidebar->clearSelection();
}

void HelpView::applyAppearance()
{
    if (!m_webView)
        return;
    const QColor window = palette().color(QPalette::Window);
    // The page's own edges and its light or dark scheme follow the window, as the rest of the desktop does.
    HelpPage *page = m_controller->page();
    page->setBackgroundColor(window);
    page->setDarkAppearance(window.lightness() < 128);
}

} // namespace Lectorin
