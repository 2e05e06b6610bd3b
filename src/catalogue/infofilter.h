// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "info/infodocument.h"
#include "info/infopath.h"

#include <QList>
#include <QString>

// What the sidebar's "Manuals" section lists for a query: the manuals whose names match, then the topics of
// the manuals' indexes and their node names that match.
namespace Lectorin::InfoFilter {

// An index entry ("--sort" → "Sorting the output") or a node's own name, of one manual.
struct Topic
{
    QString text;
    QString manual;
    QString node;
    bool operator==(const Topic &) const = default;
};

// The topics of a manual: its index entries, then its node names.
QList<Topic> topicsOf(const InfoManual &manual, const InfoDocument &document);

struct Row
{
    QString pageID;
    QString label;
    QString description;
    bool operator==(const Row &) const = default;
};

inline constexpr qsizetype kTopicLimit = 20;

// An empty query lists the manuals' directory and every manual. Otherwise the manuals whose name contains
// the query, then up to kTopicLimit topics, each node once: exact matches, then those that start with the
// query, then those that contain it, ignoring case.
QList<Row> rows(const InfoLibrary &library, const QList<Topic> &topics, const QString &query);

} // namespace Lectorin::InfoFilter
