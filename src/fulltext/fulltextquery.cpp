// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltextquery.h"

#include "catalogue/sidebarfilter.h"

namespace Lectorin::FullTextQuery {
namespace {

// The characters the index keeps in words; everything else separates them, as the index's tokenizer does.
bool isWordCharacter(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_PrivateUse:
        return true;
    default:
        return false;
    }
}

QStringList wordsOf(QStringView text)
{
    QStringList words;
    QString word;
    for (const char32_t codePoint : text.toUcs4()) {
        if (isWordCharacter(codePoint)) {
            word += QString::fromUcs4(&codePoint, 1);
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
    }
    if (!word.isEmpty())
        words.append(word);
    return words;
}

// Each term becomes one quoted string. Only word characters and spaces reach the quotes, so no input can
// close a string early or form an operator.
QString joined(const QList<Term> &terms)
{
    QStringList strings;
    for (const Term &term : terms)
        strings.append(
            u'"' + term.words.join(u' ') + (term.isPrefix ? QStringLiteral("\" *") : QStringLiteral("\"")));
    return strings.join(QStringLiteral(" AND "));
}

} // namespace

QList<Term> terms(const QString &filter)
{
    const QString query = SidebarFilter::normalizedQuery(filter.left(kMaxQueryLength));
    QList<Term> result;
    qsizetype position = 0;
    while (position < query.size() && result.size() < kMaxTerms) {
        const QChar character = query.at(position);
        if (character.isSpace()) {
            ++position;
            continue;
        }
        qsizetype end;
        QStringView text;
        bool isPrefix = false;
        if (character == u'"') {
            // An unclosed quote runs to the end of the filter, as it would while the phrase is being typed.
            end = query.indexOf(u'"', position + 1);
            if (end < 0)
                end = query.size();
            text = QStringView(query).sliced(position + 1, end - position - 1);
            ++end;
        } else {
            end = position;
            while (end < query.size() && !query.at(end).isSpace() && query.at(end) != u'"')
                ++end;
            text = QStringView(query).sliced(position, end - position);
            isPrefix = text.endsWith(u'*');
        }
        position = end;
        if (QStringList words = wordsOf(text); !words.isEmpty())
            result.append({ std::move(words), isPrefix });
    }
    return result;
}

std::optional<QString> expression(const QString &filter)
{
    const QList<Term> parsed = terms(filter);
    if (parsed.isEmpty())
        return std::nullopt;
    return joined(parsed);
}

std::optional<QString> nameExpression(const QString &filter)
{
    const QList<Term> parsed = terms(filter);
    if (parsed.isEmpty())
        return std::nullopt;
    return QStringLiteral("name : (") + joined(parsed) + u')';
}

QString firstWord(const QString &filter)
{
    const QList<Term> parsed = terms(filter);
    return parsed.isEmpty() ? QString() : parsed.first().words.first();
}

} // namespace Lectorin::FullTextQuery
