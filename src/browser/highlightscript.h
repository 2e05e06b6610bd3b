// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotations/annotation.h"
#include "annotations/highlightanchoring.h"
#include "annotations/pagetext.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <optional>

// The page's side of highlights, as bodies for ScriptCall: the page's text as the reader's view has it, the
// selection as a range of that text, and <mark> elements over ranges of it. The text is that of the body's
// text nodes in document order, without those of scripts, styles and the program's own buttons; marks only
// wrap text, so the text is the same with or without them.
namespace Lectorin::HighlightScript {

// A range of the page's text to mark.
struct Mark
{
    QUuid id;
    qsizetype start = 0;
    qsizetype length = 0;
    HighlightColour colour = HighlightColour::yellow;
    QString note;
    bool operator==(const Mark &) const = default;
};

// The selection as a range of the text it was taken from, without the white space at its ends.
struct Selection
{
    PageText text;
    qsizetype start = 0;
    qsizetype length = 0;
};

// Returns { text, sections: [{ start, title }] }; a section starts at each h1 heading.
QString pageTextScript();
// Returns the page text's object with `start` and `length` added; `start` is -1 without a selection in it.
QString selectionScript();
// Takes `marks` (marksArgument()): removes the marks there were, marks each range and returns how many
// elements it made. A mark is <mark class="lectorin-highlight" data-colour="yellow" data-highlight="ID"
// title="NOTE">; a range that crosses elements gets one per text node.
QString markScript();
// Removes every mark.
QString unmarkScript();
// Takes `id`: scrolls the first mark of that highlight into the middle of the view, flashes it and returns
// whether there was one.
QString revealScript();
// Takes `x` and `y` (view coordinates): the id of the highlight there, or null.
QString highlightAtScript();
// Collapses the selection.
QString clearSelectionScript();

// Where each highlight is in `text` (HighlightAnchoring), and the marks of those found.
struct Marking
{
    QList<Mark> marks;
    QHash<QUuid, HighlightAnchoring::Placement> placements;
};
Marking marksFor(const PageText &text, const QList<Highlight> &highlights);

PageText pageTextFrom(const QVariant &result);
std::optional<Selection> selectionFrom(const QVariant &result);
QVariantList marksArgument(const QList<Mark> &marks);
// The highlight id highlightAtScript() found.
std::optional<QUuid> highlightFrom(const QVariant &result);

} // namespace Lectorin::HighlightScript
