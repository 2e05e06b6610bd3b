// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/highlightscript.h"

#include "browser/highlightcolours.h"

namespace Lectorin::HighlightScript {
namespace {

// Shared by every body: the counted text nodes with where each starts, and the sections.
const QString kPrelude = QStringLiteral(R"js(
const folded = (text) => (text || "").replace(/\s+/g, " ").trim();
const pageText = () => {
    const nodes = [];
    const sections = [];
    let text = "";
    let heading = null;
    if (!document.body)
        return { nodes, sections, text };
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
        acceptNode: (node) => node.parentElement.closest("script, style, button")
            ? NodeFilter.FILTER_REJECT : NodeFilter.FILTER_ACCEPT,
    });
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        const h1 = node.parentElement.closest("h1");
        if (h1 && h1 !== heading)
            sections.push({ start: text.length, title: folded(h1.textContent) });
        heading = h1 || heading;
        nodes.push({ node, start: text.length });
        text += node.data;
    }
    return { nodes, sections, text };
};
)js");

const QString kPageText = QStringLiteral(R"js(
const page = pageText();
return { text: page.text, sections: page.sections };
)js");

const QString kSelection = QStringLiteral(R"js(
const page = pageText();
const result = { text: page.text, sections: page.sections, start: -1, length: 0 };
const selection = window.getSelection();
if (!selection || selection.rangeCount === 0 || selection.isCollapsed)
    return result;
const range = selection.getRangeAt(0);
let start = -1;
let end = -1;
for (const { node, start: at } of page.nodes) {
    if (!range.intersectsNode(node))
        continue;
    const from = at + (node === range.startContainer ? range.startOffset : 0);
    const to = at + (node === range.endContainer ? range.endOffset : node.data.length);
    if (start < 0 || from < start)
        start = from;
    end = Math.max(end, to);
}
while (start >= 0 && start < end && /\s/.test(page.text[start]))
    ++start;
while (start >= 0 && end > start && /\s/.test(page.text[end - 1]))
    --end;
if (start >= 0 && end > start) {
    result.start = start;
    result.length = end - start;
}
return result;
)js");

const QString kUnmark = QStringLiteral(R"js(
const unmark = () => {
    for (const mark of Array.from(document.querySelectorAll("mark.lectorin-highlight"))) {
        const parent = mark.parentNode;
        while (mark.firstChild)
            parent.insertBefore(mark.firstChild, mark);
        parent.removeChild(mark);
        parent.normalize();
    }
};
)js");

// White space between blocks (a list's or a table's line breaks) stays unmarked: a mark there would be a
// line of its own. Between two pieces of running text it is marked, so a highlight has no gaps.
const QString kMark = QStringLiteral(R"js(
unmark();
const inline = (node) => node && (node.nodeType === Node.TEXT_NODE
    || (node.nodeType === Node.ELEMENT_NODE && getComputedStyle(node).display.startsWith("inline")));
let made = 0;
for (const wanted of marks) {
    const end = wanted.start + wanted.length;
    const pieces = [];
    for (const { node, start } of pageText().nodes) {
        const nodeEnd = start + node.data.length;
        if (nodeEnd <= wanted.start || node.data.length === 0)
            continue;
        if (start >= end)
            break;
        pieces.push({ node, from: Math.max(wanted.start, start) - start, to: Math.min(end, nodeEnd) - start });
    }
    for (const { node, from, to } of pieces) {
        let piece = node;
        if (to < piece.data.length)
            piece.splitText(to);
        if (from > 0)
            piece = piece.splitText(from);
        if (/^\s*$/.test(piece.data) && !(inline(piece.previousSibling) && inline(piece.nextSibling)))
            continue;
        const mark = document.createElement("mark");
        mark.className = "lectorin-highlight";
        mark.dataset.colour = wanted.colour;
        mark.dataset.highlight = wanted.id;
        if (wanted.note)
            mark.title = wanted.note;
        piece.parentNode.insertBefore(mark, piece);
        mark.appendChild(piece);
        ++made;
    }
}
return made;
)js");

const QString kReveal = QStringLiteral(R"js(
const mark = Array.from(document.querySelectorAll("mark.lectorin-highlight"))
    .find((candidate) => candidate.dataset.highlight === id);
if (!mark)
    return false;
mark.scrollIntoView({ block: "center" });
mark.classList.remove("lectorin-marked");
void mark.offsetWidth;
mark.classList.add("lectorin-marked");
return true;
)js");

const QString kHighlightAt = QStringLiteral(R"js(
const element = document.elementFromPoint(x, y);
const mark = element && element.closest("mark.lectorin-highlight");
return mark ? mark.dataset.highlight : null;
)js");

const QString kClearSelection = QStringLiteral("window.getSelection()?.removeAllRanges();");

qsizetype integerOf(const QVariant &value, qsizetype otherwise)
{
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (!isNumber || value.typeId() == QMetaType::QString || value.typeId() == QMetaType::Bool
        || number != double(qint64(number)))
        return otherwise;
    return qsizetype(number);
}

} // namespace

QString pageTextScript()
{
    return kPrelude + kPageText;
}

QString selectionScript()
{
    return kPrelude + kSelection;
}

QString markScript()
{
    return kPrelude + kUnmark + kMark;
}

QString unmarkScript()
{
    return kUnmark + QStringLiteral("unmark();");
}

QString revealScript()
{
    return kReveal;
}

QString highlightAtScript()
{
    return kHighlightAt;
}

QString clearSelectionScript()
{
    return kClearSelection;
}

Marking marksFor(const PageText &text, const QList<Highlight> &highlights)
{
    Marking marking;
    for (const Highlight &highlight : highlights) {
        const HighlightAnchoring::Placement placement = HighlightAnchoring::place(text, highlight.quote);
        marking.placements.insert(highlight.id, placement);
        if (placement.attachment != Attachment::notFound && placement.length > 0)
            marking.marks.append(
                { highlight.id, placement.start, placement.length, highlight.colour, highlight.note });
    }
    return marking;
}

PageText pageTextFrom(const QVariant &result)
{
    const QVariantMap fields = result.toMap();
    PageText text;
    if (fields.value(QStringLiteral("text")).typeId() != QMetaType::QString)
        return text;
    text.text = fields.value(QStringLiteral("text")).toString();
    qsizetype previous = -1;
    for (const QVariant &entry : fields.value(QStringLiteral("sections")).toList()) {
        const QVariantMap section = entry.toMap();
        const qsizetype start = integerOf(section.value(QStringLiteral("start")), -1);
        // Only what the contract promises: starts inside the text, in ascending order.
        if (start < 0 || start > text.text.size() || start < previous)
            continue;
        previous = start;
        text.sections.append({ start, section.value(QStringLiteral("title")).toString() });
    }
    return text;
}

std::optional<Selection> selectionFrom(const QVariant &result)
{
    Selection selection { pageTextFrom(result) };
    const QVariantMap fields = result.toMap();
    selection.start = integerOf(fields.value(QStringLiteral("start")), -1);
    selection.length = integerOf(fields.value(QStringLiteral("length")), 0);
    if (selection.start < 0 || selection.length <= 0
        || selection.start + selection.length > selection.text.text.size())
        return std::nullopt;
    return selection;
}

QVariantList marksArgument(const QList<Mark> &marks)
{
    QVariantList argument;
    for (const Mark &mark : marks) {
        argument.append(QVariantMap { { QStringLiteral("id"), mark.id.toString(QUuid::WithoutBraces) },
            { QStringLiteral("start"), mark.start }, { QStringLiteral("length"), mark.length },
            { QStringLiteral("colour"), HighlightColours::key(mark.colour) },
            { QStringLiteral("note"), mark.note } });
    }
    return argument;
}

std::optional<QUuid> highlightFrom(const QVariant &result)
{
    if (result.typeId() != QMetaType::QString)
        return std::nullopt;
    const QUuid id(result.toString());
    return id.isNull() ? std::nullopt : std::optional(id);
}

} // namespace Lectorin::HighlightScript
