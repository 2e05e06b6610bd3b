// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

namespace Lectorin {

// Paints the sidebar's rows: section headers, page rows with their descriptions, the faint "--help" of help
// pages in the history, secondary-coloured messages and missing pages, the spinner of the scanning row,
// full-text results (name over an excerpt with the matches emphasised) and the indexing row with its progress
// bar.
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
    void paintResult(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintIndexing(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;

    int m_spinnerStep = 0;
};

} // namespace Lectorin
