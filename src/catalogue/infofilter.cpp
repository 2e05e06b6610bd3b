// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/infofilter.h"

#include "catalogue/infonodes.h"

#include <QSet>

#include <algorithm>

namespace Lectorin::InfoFilter {
namespace {

QString pageIDOf(const QString &manual, const QString &node)
{
    return kInfoSection + u'/' + InfoNodes::pageName({ manual, node });
}

// 0 exact, 1 prefix, 2 contained, -1 none.
int matchRank(const QString &text, const QString &query)
{
    if (text.compare(query, Qt::CaseInsensitive) == 0)
        return 0;
    if (text.startsWith(query, Qt::CaseInsensitive))
        return 1;
    return text.contains(query, Qt::CaseInsensitive) ? 2 : -1;
}

} // namespace

QList<Topic> topicsOf(const InfoManual &manual, const InfoDocument &document)
{
    QList<Topic> topics;
    for (const InfoIndexEntry &entry : document.indexEntries())
        topics.append({ entry.entry, manual.name, entry.node });
    for (const QString &node : document.nodeNames())
        topics.append({ node, manual.name, node });
    return topics;
}

QList<Row> rows(const InfoLibrary &library, const QList<Topic> &topics, const QString &query)
{
    QList<Row> rows;
    const QString wanted = query.simplified();
    if (wanted.isEmpty() && !library.manuals.isEmpty())
        rows.append({ pageIDOf(InfoNodes::kDirectoryManual, QStringLiteral("Top")),
            QStringLiteral("All Manuals"), QStringLiteral("the manuals by category") });
    for (const InfoManual &manual : library.manuals) {
        if (wanted.isEmpty() || manual.name.contains(wanted, Qt::CaseInsensitive))
            rows.append({ pageIDOf(manual.name, QStringLiteral("Top")), manual.name, manual.description });
    }
    if (wanted.isEmpty())
        return rows;

    QList<std::pair<int, const Topic *>> found;
    for (const Topic &topic : topics) {
        if (const int rank = matchRank(topic.text, wanted); rank >= 0)
            found.append({ rank, &topic });
    }
    std::stable_sort(
        found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QSet<QString> listed;
    for (const auto &[rank, topic] : std::as_const(found)) {
        const QString id = pageIDOf(topic->manual, topic->node);
        if (listed.contains(id))
            continue;
        listed.insert(id);
        const QString where = u'(' + topic->manual + u')' + topic->node;
        rows.append({ id, topic->text, topic->text == topic->node ? u'(' + topic->manual + u')' : where });
        if (listed.size() == kTopicLimit)
            break;
    }
    return rows;
}

} // namespace Lectorin::InfoFilter
