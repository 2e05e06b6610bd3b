// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sidebardelegate.h"

#include "catalogue/sidebarhistory.h"
#include "ui/sidebarmodels.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>

namespace Lectorin {
namespace {

QColor secondary(const QPalette &palette)
{
    QColor colour = palette.color(QPalette::Text);
    colour.setAlphaF(0.6f);
    return colour;
}

QColor tertiary(const QPalette &palette)
{
    QColor colour = palette.color(QPalette::Text);
    colour.setAlphaF(0.4f);
    return colour;
}

} // namespace

QSize SidebarDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int lineHeight = option.fontMetrics.height();
    const auto kind = SidebarRoles::RowKind(index.data(SidebarRoles::Kind).toInt());
    return { option.rect.width(), lineHeight + (kind == SidebarRoles::RowKind::header ? 10 : 8) };
}

void SidebarDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto kind = SidebarRoles::RowKind(index.data(SidebarRoles::Kind).toInt());
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect textRect = option.rect.adjusted(10, 0, -8, 0);
    painter->save();
    switch (kind) {
    case SidebarRoles::RowKind::header: {
        QFont font = option.font;
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 0.85);
        painter->setFont(font);
        painter->setPen(secondary(option.palette));
        painter->drawText(option.rect.adjusted(6, 4, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        break;
    }
    case SidebarRoles::RowKind::scanning: {
        const int size = option.fontMetrics.height() - 4;
        const QRect spinner(textRect.left(), option.rect.center().y() - size / 2, size, size);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(secondary(option.palette), 2));
        painter->drawArc(spinner, -m_spinnerStep * 30 * 16, 270 * 16);
        painter->drawText(textRect.adjusted(size + 8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        break;
    }
    case SidebarRoles::RowKind::message:
        painter->setPen(secondary(option.palette));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
        break;
    case SidebarRoles::RowKind::page: {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        row.text.clear();
        QApplication::style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, option.widget);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group
            = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        const QColor normal
            = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
        using Style = SidebarHistory::RowLabel::Style;
        const auto style = Style(index.data(SidebarRoles::LabelStyle).toInt());
        painter->setPen(style == Style::missing && !selected ? secondary(option.palette) : normal);
        const QString elided = option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, elided);
        if (style == Style::helpPage) {
            QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            mono.setPointSizeF(option.font.pointSizeF() * 0.85);
            painter->setFont(mono);
            painter->setPen(selected ? normal : tertiary(option.palette));
            const int offset = option.fontMetrics.horizontalAdvance(elided) + 6;
            painter->drawText(textRect.adjusted(offset, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                SidebarHistory::kHelpSuffix);
        }
        break;
    }
    }
    painter->restore();
}

} // namespace Lectorin
