// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manpage.h"

#include "catalogue/pageidentifierview.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace Lectorin {
namespace {

constexpr std::array<QStringView, 11> kSectionPreference
    = { u"1", u"8", u"2", u"3", u"n", u"4", u"5", u"6", u"7", u"9", u"l" };

int preferencePosition(QStringView key)
{
    for (size_t i = 0; i < kSectionPreference.size(); ++i) {
        if (kSectionPreference[i] == key)
            return int(i);
    }
    return int(kSectionPreference.size());
}

bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

qsizetype firstGraphemeLength(QStringView text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? text.size() : next;
}

} // namespace

size_t qHash(const ManPage &page, size_t seed) noexcept
{
    // The location is left out: equal pages may store it differently.
    return qHashMulti(seed, page.name, page.section, page.displayName, page.lowercasedName);
}

QString lowercasedPageName(const QString &name)
{
    if (isAscii(name)) {
        // Most names are already lower case; then the name's own string is shared, not copied.
        const bool hasUpper
            = std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
        return hasUpper ? name.toLower() : name;
    }
    // Composed form, so that a query typed as precomposed characters finds decomposed names and back.
    return name.toLower().normalized(QString::NormalizationForm_C);
}

SectionRank sectionRank(QStringView section)
{
    if (section.isEmpty())
        return {};
    if (const int whole = preferencePosition(section); whole < int(kSectionPreference.size()))
        return { whole, QString() };
    return { preferencePosition(section.left(firstGraphemeLength(section))), section.toString() };
}

bool isSectionPreferred(QStringView a, QStringView b)
{
    return sectionRank(a) < sectionRank(b);
}

qsizetype graphemeCount(QStringView text)
{
    if (isAscii(text))
        return text.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

std::optional<PageReference> parseReference(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty() || graphemeCount(trimmed) >= 200)
        return std::nullopt;
    const qsizetype open = trimmed.indexOf(u'(');
    if (open > 0 && trimmed.endsWith(u')'))
        return PageReference { trimmed.left(open).toString(),
            trimmed.mid(open + 1, trimmed.size() - open - 2).toString() };
    return PageReference { trimmed.toString(), std::nullopt };
}

std::optional<PageReference> referenceOfID(QStringView id)
{
    const PageIdentifierView parts(id);
    if (!parts.hasSection())
        return std::nullopt;
    return PageReference { parts.name.toString(), parts.section.toString() };
}

} // namespace Lectorin
