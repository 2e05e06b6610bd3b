// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotations/htmlpagetext.h"

namespace Lectorin::HtmlPageText {
namespace {

QString decoded(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype end = text.at(i) == u'&' ? text.indexOf(u';', i) : -1;
        if (end < 0 || end - i > 10) {
            result += text.at(i);
            continue;
        }
        const QStringView name = text.mid(i + 1, end - i - 1);
        bool ok = false;
        char32_t code = 0;
        if (name.startsWith(u"#x") || name.startsWith(u"#X"))
            code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(u'#'))
            code = name.mid(1).toUInt(&ok, 10);
        else {
            static constexpr std::pair<QStringView, char32_t> kNamed[] = { { u"amp", U'&' }, { u"lt", U'<' },
                { u"gt", U'>' }, { u"quot", U'"' }, { u"apos", U'\'' }, { u"nbsp", U'\u00A0' } };
            for (const auto &[entity, character] : kNamed) {
                if (name == entity) {
                    code = character;
                    ok = true;
                }
            }
        }
        if (!ok || code == 0 || code > 0x10FFFF) {
            result += text.at(i);
            continue;
        }
        result += QString::fromUcs4(&code, 1);
        i = end;
    }
    return result;
}

QString tagName(QStringView tag)
{
    if (tag.startsWith(u'/'))
        tag = tag.mid(1);
    qsizetype length = 0;
    while (length < tag.size() && tag.at(length).isLetterOrNumber())
        ++length;
    return tag.left(length).toString().toLower();
}

} // namespace

PageText read(QStringView html)
{
    PageText page;
    qsizetype headingStart = -1;
    QString hiddenElement;
    for (qsizetype i = 0; i < html.size();) {
        if (html.mid(i).startsWith(u"<!--")) {
            const qsizetype end = html.indexOf(u"-->", i + 4);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        if (html.at(i) == u'<') {
            const qsizetype end = html.indexOf(u'>', i);
            if (end < 0)
                break;
            const QStringView tag = html.mid(i + 1, end - i - 1);
            const QString name = tagName(tag);
            const bool closing = tag.startsWith(u'/');
            if (!hiddenElement.isEmpty()) {
                if (closing && name == hiddenElement)
                    hiddenElement.clear();
            } else if (!closing && (name == u"head" || name == u"style" || name == u"script")) {
                hiddenElement = name;
            } else if (name == u"h1" && !closing) {
                headingStart = page.text.size();
            } else if (name == u"h1" && headingStart >= 0) {
                page.sections.append({ headingStart, page.text.mid(headingStart).simplified() });
                headingStart = -1;
            }
            i = end + 1;
            continue;
        }
        qsizetype next = html.indexOf(u'<', i);
        if (next < 0)
            next = html.size();
        if (hiddenElement.isEmpty())
            page.text += decoded(html.mid(i, next - i));
        i = next;
    }
    return page;
}

} // namespace Lectorin::HtmlPageText
