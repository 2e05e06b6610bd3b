// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/htmltext.h"

namespace Lectorin::HtmlText {
namespace {

// The named references mandoc writes; others are numeric.
char32_t namedReference(QStringView name)
{
    if (name == u"amp")
        return u'&';
    if (name == u"lt")
        return u'<';
    if (name == u"gt")
        return u'>';
    if (name == u"quot")
        return u'"';
    if (name == u"apos")
        return u'\'';
    if (name == u"nbsp")
        return u' ';
    return 0;
}

char32_t reference(QStringView body)
{
    if (!body.startsWith(u'#'))
        return namedReference(body);
    bool isNumber = false;
    const uint value = body.startsWith(u"#x") || body.startsWith(u"#X")
        ? body.sliced(2).toUInt(&isNumber, 16)
        : body.sliced(1).toUInt(&isNumber, 10);
    return isNumber && value > 0 && value <= 0x10FFFF ? char32_t(value) : 0;
}

} // namespace

QString plain(QStringView html)
{
    QString text;
    text.reserve(html.size());
    bool pendingSpace = false;
    const auto append = [&](char32_t character) {
        if (QChar::isSpace(character)) {
            pendingSpace = !text.isEmpty();
            return;
        }
        if (pendingSpace)
            text.append(u' ');
        pendingSpace = false;
        text.append(QStringView(QChar::fromUcs4(character)));
    };
    for (qsizetype at = 0; at < html.size(); ++at) {
        const QChar character = html.at(at);
        if (character == u'<') {
            const qsizetype end = html.indexOf(u'>', at);
            if (end < 0)
                break;
            // A line break or a block ends a word.
            if (html.sliced(at + 1).startsWith(u"br") || html.sliced(at + 1).startsWith(u"/p")
                || html.sliced(at + 1).startsWith(u"/div"))
                pendingSpace = !text.isEmpty();
            at = end;
            continue;
        }
        if (character == u'&') {
            const qsizetype end = html.indexOf(u';', at);
            const char32_t decoded
                = end > at && end - at <= 10 ? reference(html.sliced(at + 1, end - at - 1)) : 0;
            if (decoded) {
                append(decoded);
                at = end;
                continue;
            }
        }
        append(character.unicode());
    }
    return text;
}

} // namespace Lectorin::HtmlText
