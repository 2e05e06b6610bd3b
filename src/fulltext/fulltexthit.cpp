// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltexthit.h"

namespace Lectorin {

QString FullTextHit::snippetHTML() const
{
    QString html;
    qsizetype position = 0;
    for (const Emphasis &range : emphasis) {
        html += snippet.sliced(position, range.start - position).toHtmlEscaped();
        html += QStringLiteral("<b>");
        html += snippet.sliced(range.start, range.length).toHtmlEscaped();
        html += QStringLiteral("</b>");
        position = range.start + range.length;
    }
    html += snippet.sliced(position).toHtmlEscaped();
    return html;
}

FullTextHit FullTextHit::fromMarkedSnippet(const QString &id, QStringView marked)
{
    FullTextHit hit { id, QString(), {} };
    hit.snippet.reserve(marked.size());
    qsizetype emphasisStart = -1;
    bool pendingSpace = false;
    for (const QChar character : marked) {
        if (character == kEmphasisStart) {
            if (pendingSpace && !hit.snippet.isEmpty())
                hit.snippet += u' ';
            pendingSpace = false;
            emphasisStart = hit.snippet.size();
        } else if (character == kEmphasisEnd) {
            if (emphasisStart >= 0 && hit.snippet.size() > emphasisStart)
                hit.emphasis.append({ emphasisStart, hit.snippet.size() - emphasisStart });
            emphasisStart = -1;
        } else if (character.isSpace()) {
            pendingSpace = true;
        } else {
            if (pendingSpace && !hit.snippet.isEmpty())
                hit.snippet += u' ';
            pendingSpace = false;
            hit.snippet += character;
        }
    }
    return hit;
}

} // namespace Lectorin
