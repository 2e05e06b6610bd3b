// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <compare>
#include <optional>

namespace Lectorin {

inline constexpr QStringView kHelpSection = u"help";

// One catalogue entry: a manual page file, or an executable without a manual page shown through its --help.
struct ManPage
{
    QString name;
    QString section;
    QString path;
    QString displayName;
    QString lowercasedName;

    QString id() const { return section + u'/' + name; }
    bool isHelpPage() const { return section == kHelpSection; }
    // The name proposed for exported files: "ls(1)", or the bare name of a help page.
    QString qualifiedName() const { return isHelpPage() ? name : name + u'(' + section + u')'; }

    bool operator==(const ManPage &) const = default;
};

size_t qHash(const ManPage &page, size_t seed = 0) noexcept;

// Lower-cases a page name (full Unicode, locale-independent) in the form the sidebar filter searches.
QString lowercasedPageName(const QString &name);

// Where a section stands in the preference order that decides which page a bare name opens.
struct SectionRank
{
    int position = 11;
    QString tie;

    auto operator<=>(const SectionRank &other) const
    {
        if (const auto byPosition = position <=> other.position; byPosition != 0)
            return byPosition;
        return QStringView(tie).compare(other.tie) <=> 0;
    }
    bool operator==(const SectionRank &) const = default;
};

SectionRank sectionRank(QStringView section);
bool isSectionPreferred(QStringView a, QStringView b);

// A typed or selected reference such as "printf(3)".
struct PageReference
{
    QString name;
    std::optional<QString> section;

    bool operator==(const PageReference &) const = default;
};

std::optional<PageReference> parseReference(QStringView text);

// Counts user-perceived characters; ASCII text is counted without the boundary finder.
qsizetype graphemeCount(QStringView text);

} // namespace Lectorin
