// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sidebardelegate.h"

#include "catalogue/sidebarhistory.h"
#include "ui/sidebarmodels.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QTextDocument>

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

constexpr int kProgressBarHeight = 6;
constexpr int kDescriptionGap = 10;
// Less room than this shows no description at all rather than a lone ellipsis.
constexpr int kSmallestDescriptionWidth = 40;

QColor rowTextColour(const QStyleOptionViewItem &option)
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group
        = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    return option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
}

void paintDescription(
    QPainter *painter, const QStyleOptionViewItem &option, const QString &description, const QRect &rect)
{
    if (description.isEmpty() || rect.width() < kSmallestDescriptionWidth)
        return;
    const bool selected = option.state & QStyle::State_Selected;
    QColor colour = selected ? rowTextColour(option) : secondary(option.palette);
    if (selected)
        colour.setAlphaF(0.75f);
    painter->setPen(colour);
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
        option.fontMetrics.elidedText(description, Qt::ElideRight, rect.width()));
}

} // namespace

QSize SidebarDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int lineHeight = option.fontMetrics.height();
    switch (SidebarRoles::RowKind(index.data(SidebarRoles::Kind).toInt())) {
    case SidebarRoles::RowKind::header:
        return { option.rect.width(), lineHeight + 10 };
    case SidebarRoles::RowKind::result:
        return { option.rect.width(), 2 * lineHeight + 10 };
    case SidebarRoles::RowKind::indexing:
        return { option.rect.width(), lineHeight + kProgressBarHeight + 12 };
    default:
        return { option.rect.width(), lineHeight + 8 };
    }
}

void SidebarDelegate::paintResult(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    row.text.clear();
    QApplication::style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, option.widget);
    const QColor normal = rowTextColour(option);
    const bool selected = option.state & QStyle::State_Selected;
    const int lineHeight = option.fontMetrics.height();
    const QRect nameRect = option.rect.adjusted(10, 4, -8, 0);
    painter->setPen(normal);
    painter->drawText(QRect(nameRect.topLeft(), QSize(nameRect.width(), lineHeight)),
        Qt::AlignLeft | Qt::AlignVCenter,
        option.fontMetrics.elidedText(
            index.data(Qt::DisplayRole).toString(), Qt::ElideRight, nameRect.width()));

    // The excerpt is rich text (escaped page text, matches in bold) on one line, cut at the row's edge.
    QFont small = option.font;
    small.setPointSizeF(option.font.pointSizeF() * 0.9);
    QTextDocument excerpt;
    excerpt.setDefaultFont(small);
    excerpt.setDocumentMargin(0);
    QTextOption noWrap;
    noWrap.setWrapMode(QTextOption::NoWrap);
    excerpt.setDefaultTextOption(noWrap);
    excerpt.setHtml(index.data(SidebarRoles::SnippetHTML).toString());
    const QRect excerptRect(nameRect.left(), nameRect.top() + lineHeight + 1, nameRect.width(), lineHeight);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = option.palette;
    context.palette.setColor(QPalette::Text, selected ? normal : secondary(option.palette));
    context.clip = QRectF(0, 0, excerptRect.width(), excerptRect.height());
    painter->translate(excerptRect.topLeft());
    painter->setClipRect(context.clip);
    excerpt.documentLayout()->draw(painter, context);
}

void SidebarDelegate::paintIndexing(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int lineHeight = option.fontMetrics.height();
    const QRect textRect = option.rect.adjusted(10, 4, -8, 0);
    painter->setPen(secondary(option.palette));
    painter->drawText(QRect(textRect.topLeft(), QSize(textRect.width(), lineHeight)),
        Qt::AlignLeft | Qt::AlignVCenter, index.data(Qt::DisplayRole).toString());
    QStyleOptionProgressBar bar;
    bar.rect = QRect(textRect.left(), textRect.top() + lineHeight + 2, textRect.width(), kProgressBarHeight);
    bar.palette = option.palette;
    bar.state = QStyle::State_Enabled | QStyle::State_Horizontal;
    const qlonglong total = index.data(SidebarRoles::ProgressTotal).toLongLong();
    const qlonglong done = index.data(SidebarRoles::ProgressDone).toLongLong();
    // QStyleOptionProgressBar holds ints; a per-mille scale keeps any count in range.
    bar.minimum = 0;
    bar.maximum = 1000;
    bar.progress = total > 0 ? int(std::clamp<qlonglong>(done * 1000 / total, 0, 1000)) : 0;
    bar.textVisible = false;
    QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter, option.widget);
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
    case SidebarRoles::RowKind::result:
        paintResult(painter, option, index);
        break;
    case SidebarRoles::RowKind::showAll:
    case SidebarRoles::RowKind::explain: {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        row.text.clear();
        QApplication::style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, option.widget);
        const bool selected = option.state & QStyle::State_Selected;
        painter->setPen(selected ? rowTextColour(option) : option.palette.color(QPalette::Link));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
            option.fontMetrics.elidedText(text, Qt::ElideMiddle, textRect.width()));
        break;
    }
    case SidebarRoles::RowKind::indexing:
        paintIndexing(painter, option, index);
        break;
    case SidebarRoles::RowKind::page: {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        row.text.clear();
        QApplication::style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, option.widget);
        const bool selected = option.state & QStyle::State_Selected;
        const QColor normal = rowTextColour(option);
        using Style = SidebarHistory::RowLabel::Style;
        const auto style = Style(index.data(SidebarRoles::LabelStyle).toInt());
        painter->setPen(style == Style::missing && !selected ? secondary(option.palette) : normal);
        const QString elided = option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, elided);
        int nameEnd = textRect.left() + option.fontMetrics.horizontalAdvance(elided);
        if (style == Style::helpPage) {
            QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            mono.setPointSizeF(option.font.pointSizeF() * 0.85);
            painter->setFont(mono);
            painter->setPen(selected ? normal : tertiary(option.palette));
            painter->drawText(
                QRect(nameEnd + 6, textRect.top(), textRect.right() - nameEnd - 6, textRect.height()),
                Qt::AlignLeft | Qt::AlignVCenter, SidebarHistory::kHelpSuffix);
            nameEnd += 6 + QFontMetrics(mono).horizontalAdvance(SidebarHistory::kHelpSuffix);
            painter->setFont(option.font);
        }
        paintDescription(painter, option, index.data(SidebarRoles::Description).toString(),
            QRect(nameEnd + kDescriptionGap, textRect.top(), textRect.right() - nameEnd - kDescriptionGap,
                textRect.height()));
        break;
    }
    }
    painter->restore();
}

} // namespace Lectorin
