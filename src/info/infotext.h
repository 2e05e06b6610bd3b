// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace Lectorin {

// The line that opens a node: "File: coreutils.info,  Node: ls invocation,  Next: dir invocation,  Up: …".
struct InfoNodeHeader
{
    QString file;
    QString node;
    QString next;
    QString prev;
    QString up;

    bool operator==(const InfoNodeHeader &) const = default;
};

// Where a menu entry or a cross reference leads: `manual` is empty for the manual it is written in, and an
// empty `node` there means its Top node.
struct InfoTarget
{
    QString manual;
    QString node;

    bool operator==(const InfoTarget &) const = default;
};

// "* Label: (manual)Node.   description" or "* Node::   description"; `start` and `length` span the entry in
// the text it came from, the leading "* " and any continuation lines included.
struct InfoMenuEntry
{
    QString label;
    InfoTarget target;
    QString description;
    qsizetype start = 0;
    qsizetype length = 0;

    bool operator==(const InfoMenuEntry &) const = default;
};

// "*Note Label: (manual)Node." or "*note Node::"; `length` ends after the node name or the "::", so the
// sentence's own punctuation stays outside.
struct InfoCrossReference
{
    QString label;
    InfoTarget target;
    // "*Note" begins a sentence ("See"), "*note" sits inside one ("see").
    bool capitalized = false;
    qsizetype start = 0;
    qsizetype length = 0;

    bool operator==(const InfoCrossReference &) const = default;
};

// A line underlined by a line of one character, as long as it is: '*' chapter (1), '=' section (2),
// '-' subsection (3), '.' subsubsection (4). `line` counts from 0 in the text given.
struct InfoHeading
{
    QString title;
    int level = 0;
    int line = 0;

    bool operator==(const InfoHeading &) const = default;
};

// Reading the constructs inside a node's text.
namespace InfoText {

// A node name as written, without the DEL quotes that protect punctuation and with its whitespace folded.
QString cleanName(QStringView name);
// The key node names are compared by: cleanName() folded to one case, as Info readers match them.
QString foldName(QStringView name);

std::optional<InfoNodeHeader> parseHeader(QStringView line);
// "(manual)Node", "(manual)" or "Node".
InfoTarget parseTarget(QStringView text);

// One menu entry from the text after its "* ", continuation lines included; nothing when it names no node.
std::optional<InfoMenuEntry> parseMenuEntry(QStringView entry);
// The entries of the menus in `text`: the lines starting with "* " after a "* Menu:" line, up to the
// footnotes.
QList<InfoMenuEntry> menuEntries(QStringView text);

QList<InfoCrossReference> crossReferences(QStringView text);

// 0 when `underline` does not underline `line`.
int headingLevel(QStringView line, QStringView underline);
QList<InfoHeading> headings(QStringView text);

// "(line 6)" from an index entry's description; nothing for another text.
std::optional<int> indexLine(QStringView description);

// The line that separates a node's footnotes from its text.
bool isFootnotesSeparator(QStringView line);

} // namespace InfoText
} // namespace Lectorin
