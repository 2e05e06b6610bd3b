// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

namespace Lectorin {

// Paints the sidebar's rows: section headers, page rows, the faint "--help" of help pages in the history,
// secondary-coloured messages and missing pages, and the spinner of the scanning row.
class SidebarDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The spinner's angle; the view advances it while a scanning row is visible.
    void setSpinnerStep(int step) { m_spinnerStep = step; }
    int spinnerStep() const { return m_spinnerStep; }

private:
    int m_spinnerStep = 0;
};

} // namespace Lectorin
