// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/infonodes.h"

namespace Lectorin::InfoNodes {

QString pageName(const InfoReference &reference)
{
    return u'(' + reference.manual + u')'
        + (reference.node.isEmpty() ? QStringLiteral("Top") : reference.node);
}

std::optional<InfoReference> referenceOf(QStringView pageName)
{
    const qsizetype close = pageName.indexOf(u')');
    if (!pageName.startsWith(u'(') || close < 2)
        return std::nullopt;
    const QString node = pageName.sliced(close + 1).trimmed().toString();
    return InfoReference { pageName.sliced(1, close - 1).trimmed().toString(),
        node.isEmpty() ? QStringLiteral("Top") : node };
}

ManPage page(const InfoManual &manual, const QString &node)
{
    const QString name = pageName({ manual.name, node });
    return { name, kInfoSection.toString(), PageLocation(manual.path), name, lowercasedPageName(name) };
}

std::optional<InfoReference> referenceOf(const ManPage &page)
{
    return page.isInfoNode() ? referenceOf(page.name) : std::nullopt;
}

bool isDirectory(const InfoReference &reference)
{
    return reference.manual.compare(kDirectoryManual, Qt::CaseInsensitive) == 0;
}

std::optional<ManPage> pageIn(
    const InfoLibrary &library, const QStringList &directories, QStringView pageName)
{
    const std::optional<InfoReference> reference = referenceOf(pageName);
    if (!reference)
        return std::nullopt;
    if (isDirectory(*reference))
        return page({ kDirectoryManual, directories.join(u':') }, QStringLiteral("Top"));
    const std::optional<InfoManual> manual = InfoPath::find(library.manuals, reference->manual);
    return manual ? std::optional(page(*manual, reference->node)) : std::nullopt;
}

} // namespace Lectorin::InfoNodes
