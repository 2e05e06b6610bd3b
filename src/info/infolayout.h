// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "info/infotext.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace Lectorin {

// A piece of a node's text as a reader sees it: a heading, a filled paragraph, a list item, lines whose
// layout matters, a menu entry or comment, or the start of the footnotes.
struct InfoBlock
{
    enum class Kind
    {
        heading,
        paragraph,
        item,
        preformatted,
        menuEntry,
        menuComment,
        footnotes
    };

    Kind kind = Kind::paragraph;
    // A heading's rank (1 '*' … 4 '.'); for other blocks how far they are indented, 0 flush, in steps of
    // five columns.
    int level = 0;
    // The lines as written, without the indentation they share, joined by "\n": reflowing is the reader's
    // job, and a cross reference may span a line break.
    QString text;
    // The terms of a table item ("‘-a’", "‘--all’") whose description `text` is.
    QStringList terms;
    std::optional<InfoMenuEntry> entry;
    // The block's first line in the node's text, counting from 0.
    int line = 0;

    bool operator==(const InfoBlock &) const = default;
};

// Telling the layout of a node's text apart, the way makeinfo fills and indents it.
namespace InfoLayout {

// The blocks of a node's text, makeinfo's markers turned to text first: the index marker dropped and an
// image shown as its alternative text in brackets.
QList<InfoBlock> blocks(QStringView text);

} // namespace InfoLayout
} // namespace Lectorin
