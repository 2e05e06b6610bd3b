// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/pagedescriptions.h"

#include <QRegularExpression>

namespace Lectorin {
namespace {

// whatis folds a description onto one line; a page's own text may still hold tabs.
QString folded(QStringView text)
{
    return text.toString().simplified();
}

// "name - description" as lexgrog and whatis write it; the name may hold spaces in odd pages, the
// separator never starts one.
std::optional<std::pair<QString, QString>> nameAndDescription(QStringView entry)
{
    const qsizetype separator = entry.indexOf(u" - ");
    if (separator <= 0)
        return std::nullopt;
    return std::pair { entry.first(separator).trimmed().toString(), folded(entry.sliced(separator + 3)) };
}

} // namespace

void PageDescriptions::insert(const QString &id, const QString &description)
{
    if (!description.isEmpty() && !m_byID.contains(id))
        m_byID.insert(id, description);
}

QString describedName(const QString &name, const QString &description)
{
    return description.isEmpty() ? name : name + u" \u2014 " + description;
}

namespace DescriptionSources {

PageDescriptions fromApropos(const QByteArray &output)
{
    static const QRegularExpression line(QStringLiteral(R"(^(.+?) ?\(([^()\s]+)\)\s+- (.*)$)"));
    PageDescriptions descriptions;
    for (const QByteArray &bytes : output.split('\n')) {
        const QString text = QString::fromUtf8(bytes);
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        const QString section = match.captured(2);
        const QString description = folded(match.capturedView(3));
        for (QStringView name : match.capturedView(1).split(u", ", Qt::SkipEmptyParts))
            descriptions.insert(section + u'/' + name.trimmed(), description);
    }
    return descriptions;
}

PageDescriptions fromLexgrog(const QByteArray &output, const QList<ManPage> &pages)
{
    QHash<QString, const ManPage *> byPath;
    for (const ManPage &page : pages)
        byPath.insert(page.path(), &page);
    QHash<QString, QString> firstByID;
    PageDescriptions descriptions;
    for (const QByteArray &bytes : output.split('\n')) {
        const QString text = QString::fromUtf8(bytes);
        if (!text.endsWith(u'"'))
            continue;
        // A path may hold ": \"" itself; the one that names a page of the batch is the separator.
        for (qsizetype colon = text.indexOf(u": \""); colon > 0; colon = text.indexOf(u": \"", colon + 1)) {
            const ManPage *page = byPath.value(text.first(colon));
            if (!page)
                continue;
            const auto entry = nameAndDescription(QStringView(text).sliced(colon + 3).chopped(1));
            if (!entry)
                break;
            if (entry->first == page->name)
                descriptions.insert(page->id(), entry->second);
            else if (!firstByID.contains(page->id()))
                firstByID.insert(page->id(), entry->second);
            break;
        }
    }
    for (auto it = firstByID.cbegin(); it != firstByID.cend(); ++it)
        descriptions.insert(it.key(), it.value());
    return descriptions;
}

} // namespace DescriptionSources

} // namespace Lectorin
