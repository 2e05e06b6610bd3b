// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/notespane.h"

#include "annotations/annotationstore.h"
#include "browser/browsermodel.h"
#include "browser/browserpresenter.h"
#include "browser/pagebookmarks.h"
#include "browser/pagehighlights.h"
#include "ui/fallbackicons.h"
#include "ui/notedialog.h"
#include "ui/notesdelegate.h"
#include "ui/noteslistmodel.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace Lectorin {

NotesPane::NotesPane(BrowserModel *browser, QWidget *parent)
    : QWidget(parent)
    , m_browser(browser)
    , m_model(new NotesListModel(browser->highlights()->store(), browser->highlights(), this))
    , m_list(new QListView(this))
    , m_empty(new QLabel(tr("No highlights yet. Select text in a page and choose Highlight or Add Note\u2026 "
                            "from its menu."),
          this))
    , m_editNote(new QPushButton(tr("Edit Note\u2026"), this))
    , m_reattach(new QPushButton(tr("Re-attach to Selection"), this))
    , m_delete(new QPushButton(tr("Delete"), this))
{
    auto *title = new QLabel(tr("Notes"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *close = new QToolButton(this);
    close->setIcon(
        FallbackIcons::themed(QStringLiteral("window-close-symbolic"), FallbackIcons::Shape::close));
    close->setAutoRaise(true);
    close->setAccessibleName(tr("Close the notes"));
    close->setToolTip(tr("Close the notes"));
    connect(close, &QToolButton::clicked, this, &NotesPane::closeRequested);

    m_list->setModel(m_model);
    m_list->setItemDelegate(new NotesDelegate(this));
    m_list->setAccessibleName(tr("Notes"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    m_empty->setWordWrap(true);
    m_empty->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_empty->setForegroundRole(QPalette::PlaceholderText);
    m_empty->setContentsMargins(8, 8, 8, 8);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(title, 0, 0);
    layout->addWidget(close, 0, 1, Qt::AlignRight);
    layout->addWidget(m_list, 1, 0, 1, 2);
    layout->addWidget(m_empty, 2, 0, 1, 2);
    layout->addWidget(m_reattach, 3, 0, 1, 2);
    layout->addWidget(m_editNote, 4, 0);
    layout->addWidget(m_delete, 4, 1);
    layout->setRowStretch(1, 1);

    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { openRow(index.row()); });
    connect(m_list, &QListView::customContextMenuRequested, this, [this](const QPoint &at) {
        const QModelIndex index = m_list->indexAt(at);
        if (index.isValid())
            makeContextMenu(index.row())->popup(m_list->viewport()->mapToGlobal(at));
    });
    connect(m_editNote, &QPushButton::clicked, this, [this] { editNote(m_list->currentIndex().row()); });
    connect(m_reattach, &QPushButton::clicked, this, [this] { reattach(m_list->currentIndex().row()); });
    connect(m_delete, &QPushButton::clicked, this, [this] { remove(m_list->currentIndex().row()); });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &NotesPane::updateButtons);
    connect(m_model, &QAbstractItemModel::modelReset, this, &NotesPane::updateButtons);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &NotesPane::updateButtons);
    updateButtons();
}

void NotesPane::updateButtons()
{
    const std::optional<Highlight> highlight = m_model->highlightAt(m_list->currentIndex().row());
    const PageHighlights *shown = m_browser ? m_browser->highlights() : nullptr;
    m_editNote->setEnabled(highlight.has_value());
    m_delete->setEnabled(highlight.has_value());
    // A highlight moves to the page shown with the selection it is given.
    m_reattach->setEnabled(highlight && shown && !shown->pageKey().isEmpty());
    m_empty->setVisible(m_model->rowCount() == 0);
    m_list->setVisible(m_model->rowCount() > 0);
}

QMenu *NotesPane::makeContextMenu(int row)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::optional<Highlight> highlight = m_model->highlightAt(row);
    if (!highlight)
        return menu;
    m_list->setCurrentIndex(m_model->index(row, 0));
    const QUuid id = highlight->id;
    const auto at = [this, id] { return m_model->rowOf(id); };
    menu->addAction(tr("Open"), this, [this, at] { openRow(at()); });
    menu->addAction(tr("Edit Note\u2026"), this, [this, at] { editNote(at()); });
    menu->addAction(tr("Re-attach to Selection"), this, [this, at] { reattach(at()); })
        ->setEnabled(m_reattach->isEnabled());
    menu->addSeparator();
    menu->addAction(tr("Delete"), this, [this, at] { remove(at()); });
    return menu;
}

void NotesPane::openRow(int row)
{
    const std::optional<Highlight> highlight = m_model->highlightAt(row);
    if (!highlight || !m_browser)
        return;
    m_browser->highlights()->reveal(highlight->id);
    if (highlight->page != m_browser->highlights()->pageKey())
        PageBookmarks::open(m_browser, highlight->page, QString(), PageBookmarks::OpenTarget::here);
}

void NotesPane::editNote(int row)
{
    const std::optional<Highlight> highlight = m_model->highlightAt(row);
    if (!highlight || !m_browser)
        return;
    AnnotationStore *store = m_browser->highlights()->store();
    NoteDialog::ask(window(), tr("Edit Note"), highlight->quote.exact, highlight->note,
        [store, id = highlight->id](const QString &note) {
            for (Highlight updated : store->highlights()) {
                if (updated.id != id || updated.note == note)
                    continue;
                updated.note = note;
                updated.modified = QDateTime::currentDateTimeUtc();
                store->updateHighlight(updated);
            }
        });
}

void NotesPane::reattach(int row)
{
    const std::optional<Highlight> highlight = m_model->highlightAt(row);
    if (!highlight || !m_browser)
        return;
    m_browser->highlights()->reattachToSelection(highlight->id, [](bool reattached) {
        if (!reattached)
            QApplication::beep();
    });
}

void NotesPane::remove(int row)
{
    if (const std::optional<Highlight> highlight = m_model->highlightAt(row); highlight && m_browser)
        m_browser->highlights()->store()->removeHighlight(highlight->id);
}

bool NotesPane::eventFilter(QObject *watched, QEvent *event)
{
    // Rows wrap their text to the list's width: a new width is new row heights.
    if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        m_list->doItemsLayout();
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int row = m_list->currentIndex().row();
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            openRow(row);
            return true;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            remove(row);
            return true;
        case Qt::Key_F2:
            editNote(row);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Lectorin
