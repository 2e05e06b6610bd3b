// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/sidebarfilter.h"
#include "catalogue/sidebarhistory.h"
#include "fulltext/foundinpages.h"

#include <QAbstractListModel>
#include <QStringList>

namespace Lectorin {

class AppModel;

// Roles and row kinds the sidebar's lists share with their delegate.
namespace SidebarRoles {
enum Role
{
    Kind = Qt::UserRole + 1,
    PageID,
    LabelStyle,
    // Result rows: the excerpt as rich text, and what the find bar starts with when the page opens.
    SnippetHTML,
    FindText,
    // The indexing row: pages done and pages in all.
    ProgressDone,
    ProgressTotal
};
enum class RowKind
{
    header,
    page,
    scanning,
    message,
    result,
    indexing,
    showAll
};
} // namespace SidebarRoles

// The "Commands", "Command Help" and "Found in Pages" sections as one list with header rows. Rows index
// straight into the catalogue (or the ranked positions of a filter); nothing is copied per keystroke. The
// third section follows the full-text results, which change on their own while the first two stay put.
class CatalogueListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CatalogueListModel(AppModel *app, QObject *parent = nullptr);

    void setFilter(const QString &filter);
    void setShowsCommands(bool shows);
    bool showsCommands() const { return m_showsCommands; }
    // Replaces the "Found in Pages" rows; the rows above them stay as they are.
    void setFoundInPages(const FoundInPages::Section &section);
    const FoundInPages::Section &foundInPages() const { return m_found; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The row showing `pageID`, or -1.
    int rowOf(const QString &pageID) const;
    // The first row that opens a page, in any section; -1 without one.
    int firstPageRow() const;

private:
    struct Place
    {
        SidebarRoles::RowKind kind;
        const SidebarFilter::Rows *rows = nullptr;
        qsizetype index = 0;
        QString text;
    };
    Place placeOf(int row) const;
    void rebuild();
    int catalogueRowCount() const;
    QVariant foundData(int row, int role) const;

    AppModel *m_app;
    QString m_filter;
    bool m_showsCommands = false;
    SidebarFilter::Sections m_sections;
    FoundInPages::Section m_found;
};

// The "History" section: the most recent visits up to the stored limit, labelled from the catalogue.
class HistoryListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    HistoryListModel(AppModel *app, int historyLimit, QObject *parent = nullptr);

    void setHistoryLimit(int limit);
    const QStringList &displayedIDs() const { return m_ids; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    int rowOf(const QString &pageID) const;

private:
    void rebuild();

    AppModel *m_app;
    int m_historyLimit;
    QStringList m_ids;
};

} // namespace Lectorin
