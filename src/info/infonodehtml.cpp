// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infonodehtml.h"

#include "info/infolayout.h"
#include "info/infomarkup.h"
#include "info/infourl.h"

#include <QSet>

#include <algorithm>
#include <array>

namespace Lectorin::InfoNodeHtml {
namespace {

const char16_t kStylesheet[] = uR"css(
.lectorin-info-nav { display: flex; flex-wrap: wrap; gap: 0.3em 1.6em; font-size: 0.85em;
    color: color-mix(in srgb, CanvasText 60%, Canvas); margin: 0 0 1.2em; }
.lectorin-info-nav-bottom { margin: 2.5em 0 0; }
h1.lectorin-info-title { font-size: 1.4em; margin: 0.2em 0 0.9em -1.2em; }
div.lectorin-info h4.Ss, div.lectorin-info h5.Ss, div.lectorin-info h6.Ss { font-size: 1.0em;
    margin: 1.3em 0 0.4em -0.3em; font-style: italic; }
pre.lectorin-info-example { margin: 0.6em 0; }
.lectorin-info-i1 { margin-left: 2.4em; } .lectorin-info-i2 { margin-left: 4.8em; }
.lectorin-info-i3 { margin-left: 7.2em; } .lectorin-info-i4 { margin-left: 9.6em; }
.lectorin-info-i5 { margin-left: 12em; } .lectorin-info-i6 { margin-left: 14.4em; }
dl.lectorin-info-table { margin: 0.9em 0 0.6em; }
dl.lectorin-info-table > dd { margin-left: 2.4em; }
dl.lectorin-info-table > dd > p, dl.lectorin-info-table > dd > pre { margin: 0.2em 0; }
p.lectorin-info-item { text-indent: -1.2em; }
ul.lectorin-info-menu { list-style: none; padding-left: 1.2em; margin: 0.4em 0; }
ul.lectorin-info-menu > li { margin: 0.15em 0; }
.lectorin-info-menu-description { margin-left: 0.8em; color: color-mix(in srgb, CanvasText 70%, Canvas); }
p.lectorin-info-menu-comment { font-weight: 600; margin: 1.2em 0 0.3em; }
hr.lectorin-info-footnotes { border: none; border-top: 1px solid color-mix(in srgb, CanvasText 25%, Canvas);
    margin: 2em 0 1em; }
)css";

QString escaped(QStringView text)
{
    QString html = text.toString();
    html.replace(u'&', QStringLiteral("&amp;"))
        .replace(u'<', QStringLiteral("&lt;"))
        .replace(u'>', QStringLiteral("&gt;"));
    // DEL quotes what Info syntax would misread; it is not shown.
    html.remove(QChar(0x7f));
    return html;
}

QString attribute(QStringView text)
{
    return escaped(text).replace(u'"', QStringLiteral("&quot;"));
}

QString targetURL(const InfoTarget &target, const QString &manual)
{
    return InfoUrl::urlString(target.manual.isEmpty() ? manual : target.manual,
        target.node.isEmpty() ? QStringLiteral("Top") : target.node);
}

QString anchor(const QString &url, const QString &html, const QString &rel = {})
{
    return u"<a " + (rel.isEmpty() ? QString() : QString(u"rel=\"" + rel + u"\" ")) + u"href=\""
        + attribute(url) + u"\">" + html + u"</a>";
}

// Line breaks and runs of blanks as single spaces; no-break spaces stay, unlike with QString::simplified().
QString folded(const QString &html)
{
    QString text;
    text.reserve(html.size());
    bool blank = false;
    for (const QChar character : html) {
        const bool isBlank
            = character == u' ' || character == u'\n' || character == u'\t' || character == u'\r';
        if (isBlank && !blank && !text.isEmpty())
            text += u' ';
        else if (!isBlank)
            text += character;
        blank = isBlank;
    }
    if (text.endsWith(u' '))
        text.chop(1);
    return text;
}

// Whether the text before a reference already says "see", as "Also see *note Common options::" does.
bool endsWithSee(QStringView text)
{
    const QStringView before = text.trimmed();
    return before.endsWith(u"see", Qt::CaseInsensitive)
        && (before.size() == 3 || !before[before.size() - 4].isLetter());
}

// The text with its cross references as links, "*note" read as Info readers show it: "see Label".
QString inlineHTML(QStringView text, const QString &manual)
{
    QString html;
    qsizetype position = 0;
    for (const InfoCrossReference &reference : InfoText::crossReferences(text)) {
        const QStringView before = text.sliced(position, reference.start - position);
        html += escaped(before);
        if (!endsWithSee(text.first(reference.start)))
            html += reference.capitalized ? QStringLiteral("See ") : QStringLiteral("see ");
        html += anchor(targetURL(reference.target, manual), escaped(reference.label));
        position = reference.start + reference.length;
    }
    return html + escaped(text.sliced(position));
}

QString levelClass(int level)
{
    return level > 0 ? QStringLiteral("lectorin-info-i") + QString::number(std::min(level, 6)) : QString();
}

QString classes(const QStringList &names)
{
    QStringList present;
    for (const QString &name : names) {
        if (!name.isEmpty())
            present.append(name);
    }
    return present.isEmpty() ? QString() : u" class=\"" + present.join(u' ') + u'"';
}

// Ids as mandoc makes them for its section headings ("SEE_ALSO"), told apart by a number when repeated.
class Ids
{
public:
    QString take(const QString &title)
    {
        QString id = title.simplified().replace(u' ', u'_');
        if (id.isEmpty())
            id = QStringLiteral("section");
        QString unique = id;
        for (int n = 2; m_taken.contains(unique); ++n)
            unique = id + u'_' + QString::number(n);
        m_taken.insert(unique);
        return unique;
    }

private:
    QSet<QString> m_taken;
};

QString heading(int tag, const QString &title, Ids &ids)
{
    const QString id = attribute(ids.take(title));
    const QString name = u'h' + QString::number(tag);
    return u'<' + name + u" class=\"" + (tag == 2 ? u"Sh" : u"Ss") + u"\" id=\"" + id
        + u"\"><a class=\"permalink\" href=\"#" + id + u"\">" + escaped(title) + u"</a></" + name + u">\n";
}

QString navigation(const InfoNode &node, const QString &manual, bool bottom)
{
    const std::array<std::array<QString, 3>, 3> pointers {
        { { QStringLiteral("Up"), QStringLiteral("up"), node.up },
            { QStringLiteral("Prev"), QStringLiteral("prev"), node.prev },
            { QStringLiteral("Next"), QStringLiteral("next"), node.next } }
    };
    QStringList links;
    for (const auto &[label, rel, value] : pointers) {
        if (!value.isEmpty()) {
            links.append(u"<span>" + label + u": "
                + anchor(targetURL(InfoText::parseTarget(value), manual), escaped(value), rel) + u"</span>");
        }
    }
    if (links.isEmpty())
        return {};
    return QStringLiteral("<nav class=\"lectorin-info-nav")
        + (bottom ? QStringLiteral(" lectorin-info-nav-bottom") : QString()) + u"\">" + links.join(u' ')
        + u"</nav>\n";
}

QString dataLine(const InfoBlock &block)
{
    // Index entries count the header line as line 1; the text starts on the line after it.
    return u" data-line=\"" + QString::number(block.line + 2) + u'"';
}

QString textBlock(const InfoBlock &block, const QString &manual)
{
    const QString content = inlineHTML(block.text, manual);
    const bool pre = block.kind == InfoBlock::Kind::preformatted;
    if (!block.terms.isEmpty()) {
        const QString inner = block.text.isEmpty() ? QString()
            : pre ? QString(u"<dd><pre class=\"lectorin-info-example\">" + content + u"</pre></dd>")
                  : QString(u"<dd><p>" + folded(content) + u"</p></dd>");
        QString terms;
        for (const QString &term : block.terms)
            terms += u"<dt>" + folded(inlineHTML(term, manual)) + u"</dt>";
        return u"<dl" + classes({ QStringLiteral("lectorin-info-table"), levelClass(block.level) })
            + dataLine(block) + u'>' + terms + inner + u"</dl>\n";
    }
    if (pre) {
        return u"<pre" + classes({ QStringLiteral("lectorin-info-example"), levelClass(block.level) })
            + dataLine(block) + u'>' + content + u"</pre>\n";
    }
    const QString item
        = block.kind == InfoBlock::Kind::item ? QStringLiteral("lectorin-info-item") : QString();
    return u"<p" + classes({ item, levelClass(block.level) }) + dataLine(block) + u'>' + folded(content)
        + u"</p>\n";
}

QString menuEntry(const InfoBlock &block, const QString &manual, bool isIndex)
{
    const InfoMenuEntry &entry = *block.entry;
    // An index entry's description is where in the node the term is: the node's name says more.
    const QString description
        = isIndex && InfoText::indexLine(entry.description) ? entry.target.node : entry.description;
    return u"<li" + dataLine(block) + u'>' + anchor(targetURL(entry.target, manual), escaped(entry.label))
        + (description.isEmpty() ? QString()
                                 : QString(u"<span class=\"lectorin-info-menu-description\">"
                                     + folded(inlineHTML(description, manual)) + u"</span>"))
        + u"</li>\n";
}

} // namespace

QString body(const InfoNode &node, const QString &manual)
{
    QList<InfoBlock> blocks = InfoLayout::blocks(node.text);
    QString title = node.name;
    if (!blocks.isEmpty() && blocks.first().kind == InfoBlock::Kind::heading) {
        title = blocks.first().text;
        blocks.removeFirst();
    }
    // The ranks the node uses, highest first, become h2, h3, h4…: a section's subsections are its h2s.
    QList<int> ranks;
    for (const InfoBlock &block : std::as_const(blocks)) {
        if (block.kind == InfoBlock::Kind::heading && !ranks.contains(block.level))
            ranks.append(block.level);
    }
    std::sort(ranks.begin(), ranks.end());
    const bool isIndex = InfoMarkup::hasIndexMarker(node.text);

    QString html = u"<style>" + stylesheet() + u"</style>\n" + navigation(node, manual, false)
        + u"<div class=\"manual-text lectorin-info\">\n<h1 class=\"lectorin-info-title\">" + escaped(title)
        + u"</h1>\n";
    Ids ids;
    bool inList = false;
    for (const InfoBlock &block : std::as_const(blocks)) {
        const bool isEntry = block.kind == InfoBlock::Kind::menuEntry;
        if (isEntry != inList) {
            html += isEntry
                ? (isIndex ? QStringLiteral("<ul class=\"lectorin-info-menu lectorin-info-index\">\n")
                           : QStringLiteral("<ul class=\"lectorin-info-menu\">\n"))
                : QStringLiteral("</ul>\n");
            inList = isEntry;
        }
        switch (block.kind) {
        case InfoBlock::Kind::heading:
            html += heading(std::min(2 + int(ranks.indexOf(block.level)), 6), block.text, ids);
            break;
        case InfoBlock::Kind::menuEntry:
            html += menuEntry(block, manual, isIndex);
            break;
        case InfoBlock::Kind::menuComment:
            html += u"<p class=\"lectorin-info-menu-comment\"" + dataLine(block) + u'>'
                + folded(inlineHTML(block.text, manual)) + u"</p>\n";
            break;
        case InfoBlock::Kind::footnotes:
            html += QStringLiteral("<hr class=\"lectorin-info-footnotes\">\n");
            break;
        default:
            html += textBlock(block, manual);
            break;
        }
    }
    if (inList)
        html += QStringLiteral("</ul>\n");
    return html + u"</div>\n" + navigation(node, manual, true);
}

QString title(const InfoNode &node, const QString &manual)
{
    return node.name + u" (" + manual + u')';
}

QString topPageBody(const QList<InfoDirCategory> &categories)
{
    QString html = u"<style>" + stylesheet()
        + u"</style>\n<div class=\"manual-text lectorin-info\">\n<h1 class=\"lectorin-info-title\">Info "
          u"Manuals</h1>\n";
    Ids ids;
    for (const InfoDirCategory &category : categories) {
        html += heading(2, category.name, ids) + u"<ul class=\"lectorin-info-menu\">\n";
        for (const InfoDirEntry &entry : category.entries) {
            html += u"<li>"
                + anchor(targetURL({ entry.manual, entry.node }, entry.manual), escaped(entry.title))
                + (entry.description.isEmpty() ? QString()
                                               : QString(u"<span class=\"lectorin-info-menu-description\">"
                                                   + escaped(entry.description) + u"</span>"))
                + u"</li>\n";
        }
        html += QStringLiteral("</ul>\n");
    }
    return html + u"</div>\n";
}

QString stylesheet()
{
    return QString::fromUtf16(kStylesheet);
}

} // namespace Lectorin::InfoNodeHtml
