// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/notesexport.h"

#include <QStringList>

#include <algorithm>

namespace Lectorin::NotesExport {
namespace {

QString linkOf(const Bookmark &bookmark)
{
    return bookmark.fragment.isEmpty() ? bookmark.page : bookmark.page + u'#' + bookmark.fragment;
}

QString titleOf(const Bookmark &bookmark)
{
    return bookmark.title.isEmpty() ? bookmark.page : bookmark.title;
}

QString pageTitleOf(const Highlight &highlight)
{
    return highlight.pageTitle.isEmpty() ? highlight.page : highlight.pageTitle;
}

// The page text's lines, each with its white space folded; blank ones dropped.
QStringList linesOf(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        const QString simplified = line.simplified();
        if (!simplified.isEmpty())
            lines.append(simplified);
    }
    return lines;
}

// Page text read as Markdown would lose its "*", "_" and brackets, and a line starting "-" or "#" would
// become a list or a heading.
QString escaped(const QString &text)
{
    QString result;
    for (QChar character : text) {
        if (QStringView(u"\\`*_[]<>").contains(character))
            result += u'\\';
        result += character;
    }
    if (!result.isEmpty() && QStringView(u"#-+").contains(result.front()))
        result.prepend(u'\\');
    return result;
}

// Highlights by page, each page's in page order.
QList<QList<Highlight>> groupedByPage(QList<Highlight> highlights)
{
    std::stable_sort(highlights.begin(), highlights.end(), [](const Highlight &a, const Highlight &b) {
        return a.page != b.page ? a.page < b.page : a.quote.position < b.quote.position;
    });
    QList<QList<Highlight>> groups;
    for (const Highlight &highlight : std::as_const(highlights)) {
        if (groups.isEmpty() || groups.last().first().page != highlight.page)
            groups.append(QList<Highlight>());
        groups.last().append(highlight);
    }
    return groups;
}

} // namespace

QString markdown(const QList<Bookmark> &bookmarks, const QList<Highlight> &highlights)
{
    QString text = QStringLiteral("# Bookmarks\n\n");
    for (const Bookmark &bookmark : bookmarks)
        text += QStringLiteral("- [%1](<%2>)\n").arg(escaped(titleOf(bookmark)), linkOf(bookmark));
    if (bookmarks.isEmpty())
        text += QStringLiteral("No bookmarks.\n");
    text += QStringLiteral("\n# Highlights and notes\n");
    for (const QList<Highlight> &group : groupedByPage(highlights)) {
        text += QStringLiteral("\n### %1\n").arg(escaped(pageTitleOf(group.first())));
        for (const Highlight &highlight : group) {
            text += u'\n';
            for (const QString &line : linesOf(highlight.quote.exact))
                text += QStringLiteral("> %1\n").arg(escaped(line));
            if (!highlight.quote.section.isEmpty())
                text += QStringLiteral(">\n> — *%1*\n").arg(escaped(highlight.quote.section));
            if (!highlight.note.trimmed().isEmpty())
                text += u'\n' + highlight.note.trimmed() + u'\n';
        }
    }
    if (highlights.isEmpty())
        text += QStringLiteral("\nNo highlights.\n");
    return text;
}

QString plainText(const QList<Bookmark> &bookmarks, const QList<Highlight> &highlights)
{
    QString text = QStringLiteral("Bookmarks\n");
    for (const Bookmark &bookmark : bookmarks)
        text += QStringLiteral("  %1  %2\n").arg(titleOf(bookmark), linkOf(bookmark));
    if (bookmarks.isEmpty())
        text += QStringLiteral("  (none)\n");
    text += QStringLiteral("\nHighlights and notes\n");
    for (const QList<Highlight> &group : groupedByPage(highlights)) {
        text += QStringLiteral("  %1\n").arg(pageTitleOf(group.first()));
        for (const Highlight &highlight : group) {
            const QString section = highlight.quote.section.isEmpty()
                ? QString()
                : QStringLiteral(" (%1)").arg(highlight.quote.section);
            text += QStringLiteral("    \u201C%1\u201D%2\n").arg(highlight.quote.exact.simplified(), section);
            for (const QString &line : highlight.note.trimmed().split(u'\n', Qt::SkipEmptyParts))
                text += QStringLiteral("      %1\n").arg(line.trimmed());
        }
    }
    if (highlights.isEmpty())
        text += QStringLiteral("  (none)\n");
    return text;
}

} // namespace Lectorin::NotesExport
