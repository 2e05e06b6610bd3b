// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sidebarview.h"

#include "browser/browsermodel.h"
#include "browser/pagehighlights.h"
#include "catalogue/appmodel.h"
#include "catalogue/sidebarhistory.h"
#include "platform/trace.h"
#include "ui/accessiblenames.h"
#include "ui/bookmarklistmodel.h"
#include "ui/bookmarklistview.h"
#include "ui/foundinpagesfeed.h"
#include "ui/historypanehandle.h"
#include "ui/sidebardelegate.h"
#include "ui/sidebarmodels.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

namespace Lectorin {
namespace {

constexpr int kShowCommandsDelayMilliseconds = 200;
// The bookmarks take no more of the sidebar than this; more of them scroll.
constexpr double kBookmarksShare = 0.3;

QListView *makeList(QWidget *parent, QAbstractItemModel *model, SidebarDelegate *delegate)
{
    auto *list = new QListView(parent);
    list->setModel(model);
    list->setItemDelegate(delegate);
    list->setFrameShape(QFrame::NoFrame);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setAttribute(Qt::WA_MacShowFocusRect, false);
    return list;
}

QString pageIDAt(const QModelIndex &index)
{
    return index.data(SidebarRoles::PageID).toString();
}

} // namespace

SidebarView::SidebarView(
    AppModel *app, BrowserModel *browser, QSettings *settings, FullTextIndexer *indexer, QWidget *parent)
    : QWidget(parent)
    , m_app(app)
    , m_browser(browser)
    , m_settings(settings)
    , m_filter(new QLineEdit(this))
    , m_handle(new HistoryPaneHandle(this))
    , m_catalogueModel(new CatalogueListModel(app, this))
    , m_historyModel(new HistoryListModel(app, SidebarHistory::storedHistoryLimit(*settings), this))
    , m_delegate(new SidebarDelegate(this))
    , m_spinner(new QTimer(this))
{
    m_filter->setPlaceholderText(tr("Filter Commands"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    m_filter->setAccessibleName(tr("Filter Commands"));
    AccessibleNames::nameClearButton(m_filter, tr("Clear the filter"));

    m_historyList = makeList(this, m_historyModel, m_delegate);
    m_catalogueList = makeList(this, m_catalogueModel, m_delegate);
    m_historyList->setAccessibleName(tr("History"));
    m_catalogueList->setAccessibleName(tr("Commands"));
    m_catalogueList->installEventFilter(this);
    m_historyList->installEventFilter(this);
    // A right-click only opens the row's menu; it must not choose (and load) the row first.
    m_catalogueList->viewport()->installEventFilter(this);
    m_historyList->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->setSpacing(0);
    auto *filterRow = new QVBoxLayout;
    filterRow->setContentsMargins(8, 0, 8, 6);
    filterRow->addWidget(m_filter);
    layout->addLayout(filterRow);
    if (PageHighlights *highlights = browser->highlights()) {
        m_bookmarkList = new BookmarkListView(new BookmarkListModel(app, highlights->store(), this), this);
        m_bookmarkList->setItemDelegate(m_delegate);
        layout->addWidget(m_bookmarkList);
        connect(m_bookmarkList->model(), &QAbstractItemModel::modelReset, this, [this] {
            layoutBookmarksPane();
            layoutHistoryPane();
        });
        connect(m_bookmarkList, &BookmarkListView::openRequested, this,
            [this](const QString &key, const QString &fragment, PageBookmarks::OpenTarget target) {
                if (m_browser)
                    PageBookmarks::open(m_browser, key, fragment, target);
            });
    }
    layout->addWidget(m_historyList);
    layout->addWidget(m_handle);
    layout->addWidget(m_catalogueList, 1);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_browser)
            m_browser->setFilter(text);
    });
    connect(browser, &BrowserModel::filterChanged, this, [this](const QString &filter) {
        if (m_filter->text() != filter)
            m_filter->setText(filter);
        showCommands();
        m_catalogueModel->setFilter(filter);
        if (m_feed)
            m_feed->setFilter(filter);
        syncSelection(filter.isEmpty() ? Reveal::selection : Reveal::nothing);
        // A new query shows its best rows; with none the list goes back to the chosen page.
        if (!filter.isEmpty())
            m_catalogueList->scrollToTop();
    });
    connect(browser, &BrowserModel::filterFocusTokenChanged, this, [this] {
        showCommands();
        m_filter->setFocus(Qt::ShortcutFocusReason);
        m_filter->selectAll();
    });
    connect(browser, &BrowserModel::selectionChanged, this, [this] { syncSelection(Reveal::selection); });
    // Rows that change under a query (results arriving) leave the list where the user is.
    connect(m_catalogueModel, &QAbstractItemModel::modelReset, this,
        [this] { syncSelection(m_filter->text().isEmpty() ? Reveal::selection : Reveal::nothing); });
    connect(m_historyModel, &QAbstractItemModel::modelReset, this, [this] {
        layoutHistoryPane();
        syncSelection(Reveal::selection);
    });

    connect(m_catalogueList->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { choose(current, false); });
    connect(m_historyList->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { choose(current, true); });
    connect(m_catalogueList, &QListView::customContextMenuRequested, this,
        [this](const QPoint &at) { showContextMenu(m_catalogueList, at); });
    connect(m_historyList, &QListView::customContextMenuRequested, this,
        [this](const QPoint &at) { showContextMenu(m_historyList, at); });

    connect(m_handle, &HistoryPaneHandle::dragged, this, &SidebarView::dragHistoryPane);
    connect(m_handle, &HistoryPaneHandle::dragEnded, this, [this] { m_dragStartHeight.reset(); });

    // The scanning row's spinner turns only while the first catalogue load runs.
    m_spinner->setInterval(80);
    connect(m_spinner, &QTimer::timeout, this, [this] {
        m_delegate->setSpinnerStep(m_delegate->spinnerStep() + 1);
        m_catalogueList->viewport()->update();
    });
    if (indexer) {
        m_feed = new FoundInPagesFeed(app, indexer, this);
        connect(m_feed, &FoundInPagesFeed::sectionChanged, this, &SidebarView::showFoundInPages);
        m_feed->setFilter(browser->filter());
    }

    const auto followIndexState = [this] {
        if (m_app->indexState() == AppModel::IndexState::loading)
            m_spinner->start();
        else
            m_spinner->stop();
    };
    connect(app, &AppModel::indexStateChanged, this, followIndexState);
    followIndexState();
    layoutBookmarksPane();
    layoutHistoryPane();
}

void SidebarView::reloadHistoryLimit()
{
    m_historyModel->setHistoryLimit(SidebarHistory::storedHistoryLimit(*m_settings));
}

void SidebarView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_catalogueModel->showsCommands())
        QTimer::singleShot(kShowCommandsDelayMilliseconds, this, &SidebarView::showCommands);
}

void SidebarView::showCommands()
{
    m_catalogueModel->setShowsCommands(true);
}

void SidebarView::showFoundInPages()
{
    // Results replace each other while the user may sit on one; the selection follows the shown page.
    m_syncingSelection = true;
    const FoundInPages::Section &section = m_feed->section();
    // Result rows are taller than name rows.
    m_catalogueList->setUniformItemSizes(!section.isPresent);
    m_catalogueModel->setFoundInPages(section);
    m_syncingSelection = false;
    syncSelection(Reveal::nothing);
}

void SidebarView::choose(const QModelIndex &index, bool fromHistory)
{
    if (m_syncingSelection || !m_browser || !index.isValid())
        return;
    if (index.data(SidebarRoles::Kind).toInt() == int(SidebarRoles::RowKind::explain)) {
        m_browser->explain(index.data(SidebarRoles::CommandLine).toString());
        return;
    }
    if (index.data(SidebarRoles::Kind).toInt() == int(SidebarRoles::RowKind::showAll)) {
        if (m_feed)
            m_feed->showAll();
        return;
    }
    const QString id = pageIDAt(index);
    if (id.isEmpty())
        return;
    const bool isResult = index.data(SidebarRoles::Kind).toInt() == int(SidebarRoles::RowKind::result);
    // One selection for both lists: choosing in one clears the other.
    m_syncingSelection = true;
    (fromHistory ? m_catalogueList : m_historyList)->selectionModel()->clearCurrentIndex();
    (fromHistory ? m_catalogueList : m_historyList)->clearSelection();
    m_syncingSelection = false;
    Trace::mark(QStringLiteral("sidebar choice ") + id);
    m_browser->setSelection(fromHistory ? SidebarItem::history(id) : SidebarItem::command(id));
    m_browser->show(id, index.data(SidebarRoles::Fragment).toString());
    if (isResult)
        emit findRequested(index.data(SidebarRoles::FindText).toString());
}

void SidebarView::syncSelection(Reveal reveal)
{
    if (!m_browser || m_syncingSelection)
        return;
    m_syncingSelection = true;
    const std::optional<SidebarItem> selection = m_browser->selection();
    const bool inHistory = selection && selection->kind == SidebarItem::Kind::history;
    const int historyRow = inHistory ? m_historyModel->rowOf(selection->pageID) : -1;
    int catalogueRow = selection && !inHistory ? m_catalogueModel->rowOf(selection->pageID) : -1;
    // A page listed both by name and among the results keeps the row it was chosen in.
    if (const QModelIndex current = m_catalogueList->currentIndex();
        catalogueRow >= 0 && current.isValid() && pageIDAt(current) == selection->pageID)
        catalogueRow = current.row();
    const auto select = [reveal](QListView *list, int row) {
        if (row < 0) {
            list->selectionModel()->clearCurrentIndex();
            list->clearSelection();
            return;
        }
        const QModelIndex index = list->model()->index(row, 0);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        if (reveal == Reveal::selection)
            list->scrollTo(index);
    };
    select(m_historyList, historyRow);
    select(m_catalogueList, catalogueRow);
    m_syncingSelection = false;
}

bool SidebarView::eventFilter(QObject *watched, QEvent *event)
{
    const bool isListViewport
        = watched == m_catalogueList->viewport() || watched == m_historyList->viewport();
    if (isListViewport
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_filter) {
        switch (key->key()) {
        case Qt::Key_Down: {
            showCommands();
            m_catalogueList->setFocus(Qt::TabFocusReason);
            const int first = m_catalogueModel->firstPageRow();
            if (first >= 0)
                m_catalogueList->setCurrentIndex(m_catalogueModel->index(first, 0));
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            const int first = m_catalogueModel->firstPageRow();
            if (first >= 0)
                m_catalogueList->setCurrentIndex(m_catalogueModel->index(first, 0));
            return true;
        }
        case Qt::Key_Escape:
            if (m_filter->text().isEmpty())
                return false;
            m_filter->clear();
            return true;
        default:
            return false;
        }
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && (watched == m_catalogueList || watched == m_historyList)) {
        auto *list = static_cast<QListView *>(watched);
        choose(list->currentIndex(), list == m_historyList);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SidebarView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutBookmarksPane();
    layoutHistoryPane();
}

double SidebarView::historyRoom() const
{
    return height() - (m_bookmarkList && !m_bookmarkList->isHidden() ? m_bookmarkList->height() : 0);
}

void SidebarView::layoutBookmarksPane()
{
    if (!m_bookmarkList)
        return;
    const int rows = m_bookmarkList->model()->rowCount();
    m_bookmarkList->setVisible(rows > 0);
    int height = 0;
    for (int row = 0; row < rows; ++row)
        height += m_bookmarkList->sizeHintForRow(row);
    m_bookmarkList->setFixedHeight(std::max(1, std::min(height + 4, int(this->height() * kBookmarksShare))));
}

void SidebarView::layoutHistoryPane()
{
    const bool hasHistory = !m_historyModel->displayedIDs().isEmpty();
    m_historyList->setVisible(hasHistory);
    m_handle->setVisible(hasHistory);
    if (!hasHistory)
        return;
    const double height
        = SidebarHistory::laidOutPaneHeight(SidebarHistory::storedPaneHeight(*m_settings), historyRoom());
    m_historyList->setFixedHeight(int(height));
}

void SidebarView::dragHistoryPane(double translation, bool started)
{
    if (started || !m_dragStartHeight)
        m_dragStartHeight = SidebarHistory::storedPaneHeight(*m_settings);
    const double height = SidebarHistory::draggedPaneHeight(*m_dragStartHeight, translation, historyRoom());
    SidebarHistory::storePaneHeight(*m_settings, height);
    layoutHistoryPane();
}

void SidebarView::showContextMenu(QListView *list, const QPoint &position)
{
    const QString id = pageIDAt(list->indexAt(position));
    if (id.isEmpty() || !m_browser)
        return;
    QMenu menu(this);
    menu.addAction(tr("Open in New Tab"), this, [this, id] {
        if (m_browser)
            m_browser->openPageInNewTab(id);
    });
    menu.addAction(tr("Open in New Window"), this, [this, id] {
        if (m_browser)
            m_browser->openPageInNewWindow(id);
    });
    menu.exec(list->viewport()->mapToGlobal(position));
}

} // namespace Lectorin
