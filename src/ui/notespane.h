// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QListView;
class QMenu;
class QPushButton;

namespace Lectorin {

class BrowserModel;
class NotesListModel;

// The Notes pane beside a page: every highlight with its page, section, text and note, and how the page shown
// holds it. Choosing one opens its page at it; a highlight the page shown no longer holds can be deleted or
// given the page's selection in its place.
class NotesPane : public QWidget
{
    Q_OBJECT

public:
    // `browser` has highlights (an annotation store).
    explicit NotesPane(BrowserModel *browser, QWidget *parent = nullptr);

    QListView *list() const { return m_list; }
    NotesListModel *model() const { return m_model; }
    // The context menu of the row at `row`; public so tests can read its items.
    QMenu *makeContextMenu(int row);

    void openRow(int row);
    void editNote(int row);
    void reattach(int row);
    void remove(int row);

Q_SIGNALS:
    void closeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateButtons();

    QPointer<BrowserModel> m_browser;
    NotesListModel *m_model;
    QListView *m_list;
    QLabel *m_empty;
    QPushButton *m_editNote;
    QPushButton *m_reattach;
    QPushButton *m_delete;
};

} // namespace Lectorin
