// SPDX-License-Identifier: GPL-3.0-or-later
#include "searchprovider/searchresults.h"

#include "catalogue/appmodel.h"
#include "catalogue/sidebarfilter.h"
#include "render/manurl.h"

namespace Lectorin::SearchResults {
namespace {

Result resultOf(const AppModel &app, const ManPage &page)
{
    return { page.id(), page.qualifiedName(), app.descriptions().of(page.id()) };
}

} // namespace

QList<Result> find(const AppModel &app, const QStringList &terms, qsizetype limit)
{
    const QString query = terms.join(u' ').simplified();
    QList<Result> results;
    if (query.isEmpty() || app.indexState() != AppModel::IndexState::ready)
        return results;
    const SidebarFilter::Rows rows = SidebarFilter::sections(app, query, true).commands;
    if (rows.kind != SidebarFilter::Rows::Kind::pages)
        return results;
    for (qsizetype row = 0; row < std::min(limit, rows.count()); ++row)
        results.append(resultOf(app, rows.pageAt(row)));
    return results;
}

QList<Result> describe(const AppModel &app, const QStringList &ids)
{
    QList<Result> results;
    for (const QString &id : ids) {
        if (const std::optional<ManPage> page = app.page(id))
            results.append(resultOf(app, *page));
    }
    return results;
}

std::optional<QString> urlOf(const QString &id)
{
    const std::optional<PageReference> reference = referenceOfID(id);
    return reference ? manURLString(reference->name, reference->section) : std::nullopt;
}

} // namespace Lectorin::SearchResults
