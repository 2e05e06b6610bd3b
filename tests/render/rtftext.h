// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace Lectorin::RenderFixtures {

// Reads the text back out of RTF the way a word processor would: paragraphs and line breaks become line
// feeds, \uN? escapes characters, font and colour tables and ignorable destinations are skipped. Returns
// nothing for unbalanced groups.
inline std::optional<QString> rtfText(const QByteArray &rtf)
{
    QString text;
    QList<bool> skipping;
    int pendingSkip = 0;
    for (qsizetype i = 0; i < rtf.size();) {
        const char c = rtf.at(i);
        if (c == '{') {
            skipping.append(!skipping.isEmpty() && skipping.last());
            ++i;
        } else if (c == '}') {
            skipping.removeLast();
            if (skipping.isEmpty())
                return i == rtf.size() - 1 ? std::optional<QString>(text) : std::nullopt;
            ++i;
        } else if (skipping.isEmpty()) {
            return std::nullopt;
        } else if (c == '\\') {
            const char next = i + 1 < rtf.size() ? rtf.at(i + 1) : '\0';
            if (!std::isalpha(static_cast<unsigned char>(next))) {
                if (next == '*')
                    skipping.last() = true;
                else if (!skipping.last())
                    text += next == '~' ? QChar(QChar::Nbsp) : QChar::fromLatin1(next);
                i += 2;
                continue;
            }
            qsizetype end = i + 1;
            while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf.at(end))))
                ++end;
            const QByteArray word = rtf.mid(i + 1, end - i - 1);
            qsizetype numberEnd = end;
            if (numberEnd < rtf.size() && rtf.at(numberEnd) == '-')
                ++numberEnd;
            while (numberEnd < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf.at(numberEnd))))
                ++numberEnd;
            const int number = rtf.mid(end, numberEnd - end).toInt();
            i = numberEnd < rtf.size() && rtf.at(numberEnd) == ' ' ? numberEnd + 1 : numberEnd;
            if (word == "fonttbl" || word == "colortbl")
                skipping.last() = true;
            if (skipping.last())
                continue;
            if (word == "par" || word == "line")
                text += u'\n';
            else if (word == "tab")
                text += u'\t';
            else if (word == "u") {
                text += QChar(char16_t(number < 0 ? number + 65536 : number));
                pendingSkip = 1;
            }
        } else {
            if (c != '\n' && c != '\r' && !skipping.last()) {
                if (pendingSkip > 0)
                    --pendingSkip;
                else
                    text += QChar::fromLatin1(c);
            }
            ++i;
        }
    }
    return std::nullopt;
}

// White space runs of any kind folded to one space, ends trimmed: layout differs, the words must not.
inline QString foldedWhiteSpace(const QString &text)
{
    QString folded = text;
    folded.replace(QChar(QChar::LineSeparator), u' ');
    return folded.simplified();
}

} // namespace Lectorin::RenderFixtures
