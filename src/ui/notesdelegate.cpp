// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/notesdelegate.h"

#include "browser/highlightcolours.h"
#include "ui/noteslistmodel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace Lectorin {
namespace {

constexpr int kPadding = 6;
constexpr int kBarWidth = 4;
constexpr int kTextIndent = kBarWidth + 10;
constexpr int kQuoteLines = 2;
constexpr int kNoteLines = 2;

QFont smaller(const QFont &font)
{
    QFont small = font;
    small.setPointSizeF(font.pointSizeF() * 0.85);
    return small;
}

QFont italic(const QFont &font)
{
    QFont slanted = font;
    slanted.setItalic(true);
    return slanted;
}

// `text` broken into lines of `width`, at most `maxLines`, the last one elided when text is left over.
QStringList lines(const QString &text, const QFont &font, int width, int maxLines)
{
    QStringList broken;
    if (text.isEmpty() || width <= 0)
        return broken;
    QTextLayout layout(text, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (broken.size() == maxLines - 1) {
            broken << QFontMetrics(font).elidedText(text.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        broken << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return broken;
}

struct RowText
{
    QString heading;
    QStringList quote;
    QStringList note;
    QString state;
};

// A size hint's option has no rectangle; the row is as wide as the list.
int rowWidth(const QStyleOptionViewItem &option)
{
    if (option.rect.width() > 0)
        return option.rect.width();
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    return view ? view->viewport()->width() : 240;
}

RowText rowText(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const int width = rowWidth(option) - kTextIndent - kPadding;
    QString heading = index.data(NotesListModel::PageTitle).toString();
    if (const QString section = index.data(NotesListModel::Section).toString(); !section.isEmpty())
        heading += QStringLiteral(" \u00B7 ") + section;
    return { heading, lines(index.data(Qt::DisplayRole).toString(), option.font, width, kQuoteLines),
        lines(index.data(NotesListModel::Note).toString(), italic(option.font), width, kNoteLines),
        index.data(NotesListModel::StateText).toString() };
}

QColor secondary(const QPalette &palette, bool selected)
{
    QColor colour = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    colour.setAlphaF(selected ? 0.8f : 0.6f);
    return colour;
}

} // namespace

QSize NotesDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const RowText text = rowText(option, index);
    const int small = QFontMetrics(smaller(option.font)).height();
    const int line = option.fontMetrics.height();
    int height = 2 * kPadding + small + int(text.quote.size()) * line + int(text.note.size()) * line;
    if (!text.state.isEmpty())
        height += small;
    return { rowWidth(option), height };
}

void NotesDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    row.text.clear();
    QApplication::style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, option.widget);
    const bool selected = option.state & QStyle::State_Selected;
    const RowText text = rowText(option, index);
    painter->save();
    const auto colour = HighlightColour(index.data(NotesListModel::Colour).toInt());
    const QRect bar(option.rect.left() + kPadding, option.rect.top() + kPadding, kBarWidth,
        option.rect.height() - 2 * kPadding);
    painter->fillRect(bar, HighlightColours::swatch(colour).darker(115));

    const int left = option.rect.left() + kTextIndent;
    const int width = option.rect.width() - kTextIndent - kPadding;
    int y = option.rect.top() + kPadding;
    const auto draw = [&](const QString &line, const QFont &font, const QColor &ink) {
        const QFontMetrics metrics(font);
        painter->setFont(font);
        painter->setPen(ink);
        painter->drawText(QRect(left, y, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(line, Qt::ElideRight, width));
        y += metrics.height();
    };
    const QColor normal = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    draw(text.heading, smaller(option.font), secondary(option.palette, selected));
    for (const QString &line : text.quote)
        draw(line, option.font, normal);
    for (const QString &line : text.note)
        draw(line, italic(option.font), normal);
    if (!text.state.isEmpty()) {
        QFont state = smaller(option.font);
        state.setBold(true);
        draw(text.state, state, secondary(option.palette, selected));
    }
    painter->restore();
}

} // namespace Lectorin
