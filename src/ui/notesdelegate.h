// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

namespace Lectorin {

// Paints a row of the Notes pane: a bar in the highlight's colour, the page and section in small secondary
// text, the highlighted text on up to two lines, the note in italics, and how it was found in the page shown
// when that was not exactly.
class NotesDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace Lectorin
