// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Lectorin {
class AppModel;
}

// What the desktop's search lists for the words typed into it: the sidebar's ranking of the manual pages.
namespace Lectorin::SearchResults {

struct Result
{
    QString id; // "1/printf"
    QString name; // "printf(1)"
    QString description;
    bool operator==(const Result &) const = default;
};

inline constexpr qsizetype kLimit = 20;

// The best pages for the terms as one query; none while the catalogue loads or for empty terms.
QList<Result> find(const AppModel &app, const QStringList &terms, qsizetype limit = kLimit);
// The results of the identifiers the catalogue still has, in their order.
QList<Result> describe(const AppModel &app, const QStringList &ids);
// The man page URL that opens a result's identifier; nothing for one that names no page.
std::optional<QString> urlOf(const QString &id);

} // namespace Lectorin::SearchResults
