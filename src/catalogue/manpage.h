// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QExplicitlySharedDataPointer>
#include <QHashFunctions>
#include <QSharedData>
#include <QString>
#include <QStringView>

#include <compare>
#include <optional>

namespace Lectorin {

inline constexpr QStringView kHelpSection = u"help";
// Info nodes take the place of pages as "info/(manual)node": name "(coreutils)ls invocation".
inline constexpr QStringView kInfoSection = u"info";

// Where a page's file is. The scan stores a folder and the part of the file name after the page's name
// (".1.gz"), and all pages of one folder and suffix share one location, so a page holds no path of its own
// and its location costs a pointer.
class PageLocation
{
public:
    PageLocation() = default;
    // A file given by its whole path.
    PageLocation(QString path, QString language = QString()) // NOLINT: a whole path is a location
        : m_data(new Data { {}, std::move(path), QString(), std::move(language), false })
    { }
    // The file `folder` + the page's name + `suffix`, in the translation `language` (empty: untranslated).
    static PageLocation named(QString folder, QString suffix, QString language = QString())
    {
        PageLocation location;
        location.m_data = new Data { {}, std::move(folder), std::move(suffix), std::move(language), true };
        return location;
    }

    QString path(QStringView name) const
    {
        if (!m_data)
            return QString();
        if (!m_data->holdsName)
            return m_data->head;
        QString path;
        path.reserve(m_data->head.size() + name.size() + m_data->tail.size());
        path.append(m_data->head).append(name).append(m_data->tail);
        return path;
    }
    // Same representation; two locations may still give one path when this is false.
    bool isSameAs(const PageLocation &other) const
    {
        if (m_data == other.m_data)
            return true;
        const Data empty;
        const Data &a = m_data ? *m_data : empty;
        const Data &b = other.m_data ? *other.m_data : empty;
        return a.holdsName == b.holdsName && a.head == b.head && a.tail == b.tail && a.language == b.language;
    }
    // The translation folder the file is in ("de", "pt_BR"); empty for an untranslated page.
    QString language() const { return m_data ? m_data->language : QString(); }

private:
    struct Data : QSharedData
    {
        QString head;
        QString tail;
        QString language;
        bool holdsName = false;
    };
    QExplicitlySharedDataPointer<const Data> m_data;
};

// One catalogue entry: a manual page file, or an executable without a manual page shown through its --help.
struct ManPage
{
    QString name;
    QString section;
    PageLocation location;
    QString displayName;
    QString lowercasedName;

    QString path() const { return location.path(name); }
    QString id() const { return section + u'/' + name; }
    bool isHelpPage() const { return section == kHelpSection; }
    bool isInfoNode() const { return section == kInfoSection; }
    // The name proposed for exported files: "ls(1)", or the bare name of a help page or an info node.
    QString qualifiedName() const
    {
        return isHelpPage() || isInfoNode() ? name : name + u'(' + section + u')';
    }

    bool operator==(const ManPage &other) const
    {
        return name == other.name && section == other.section && displayName == other.displayName
            && lowercasedName == other.lowercasedName
            && (location.isSameAs(other.location)
                || (path() == other.path() && location.language() == other.location.language()));
    }
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
// The reference of an identifier "section/name" (ManPage::id()); nothing without a section.
std::optional<PageReference> referenceOfID(QStringView id);

// Counts user-perceived characters; ASCII text is counted without the boundary finder.
qsizetype graphemeCount(QStringView text);

} // namespace Lectorin

Q_DECLARE_TYPEINFO(Lectorin::PageLocation, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Lectorin::ManPage, Q_RELOCATABLE_TYPE);
