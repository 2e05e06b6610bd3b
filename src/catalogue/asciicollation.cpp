// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/asciicollation.h"

#include "catalogue/collation.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace Lectorin {
const AsciiCollation *AsciiCollation::forCurrentLocale()
{
    // Built once per process; the collation locale does not change while it runs.
    static const std::optional<AsciiCollation> table = []() -> std::optional<AsciiCollation> {
        AsciiCollation candidate;
        if (!candidate.agreesWithCollator())
            return std::nullopt;
        return candidate;
    }();
    return table ? &*table : nullptr;
}

bool AsciiCollation::isPrintableAscii(QStringView text)
{
    return std::all_of(
        text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

AsciiCollation::AsciiCollation()
{
    const QCollator collator = Collation::caseInsensitive();
    QStringList characters;
    for (char16_t c = 0x20; c < 0x7f; ++c)
        characters.append(QString(QChar(c)));
    std::stable_sort(characters.begin(), characters.end(),
        [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    quint8 weight = 0;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (i == 0 || collator.compare(characters.at(i - 1), characters.at(i)) != 0)
            ++weight;
        m_weights[characters.at(i).at(0).unicode() - 0x20] = weight;
    }
}

bool AsciiCollation::agreesWithCollator() const
{
    // Every pair of name characters: a contraction or a multi-character rule would reorder some pair.
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyzACHLZ0123456789-_.:+ ");
    QStringList samples;
    for (QChar first : alphabet) {
        for (QChar second : alphabet)
            samples.append(QString(first) + second);
        samples.append(QString(first));
    }
    // Sorted by the table, every neighbour must also be in the collator's order, and equal exactly when
    // the collator calls them equal; then the two orders agree on all samples.
    std::sort(samples.begin(), samples.end(),
        [this](const QString &a, const QString &b) { return compare(a, b) < 0; });
    const QCollator collator = Collation::caseInsensitive();
    for (qsizetype i = 1; i < samples.size(); ++i) {
        const int expected = collator.compare(samples.at(i - 1), samples.at(i));
        const bool tableEqual = compare(samples.at(i - 1), samples.at(i)) == 0;
        if (expected > 0 || tableEqual != (expected == 0))
            return false;
    }
    return true;
}

int AsciiCollation::compare(QStringView a, QStringView b) const
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int difference = int(weight(a.at(i).unicode())) - int(weight(b.at(i).unicode()));
        if (difference != 0)
            return difference;
    }
    return int(a.size() > b.size()) - int(a.size() < b.size());
}

} // namespace Lectorin
