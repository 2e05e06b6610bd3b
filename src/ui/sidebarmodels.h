// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/sidebarhistory.h"
#include "fulltext/foundinpages.h"
#include "ui/sidebarroles.h"

#include <QAbstractListModel>
#include <QConcatenateTablesProxyModel>
#include <QStringList>

namespace Lectorin {

class AppModel;
class CommandHelpSectionModel;
class CommandLineSectionModel;
class CommandsSectionModel;
class FoundInPagesSectionModel;
class ManualsSectionModel;

// The command-line rows, the "Commands", "Manuals", "Command Help" and "Found in Pages" sections as one list,
// each section a model of its own.
class CatalogueListModel : public QConcatenateTablesProxyModel
{
    Q_OBJECT

public:
    explicit CatalogueListModel(AppModel *app, QObject *parent = nullptr);

    void setFilter(const QString &filter);
    void setShowsCommands(bool shows);
    bool showsCommands() const { return m_showsCommands; }
    // Replaces the "Found in Pages" rows; the rows above them stay as they are.
    void setFoundInPages(const FoundInPages::Section &section);
    const FoundInPages::Section &foundInPages() const;

    // The row showing `pageID`, or -1.
    int rowOf(const QString &pageID) const;
    // The first row that opens a page, in any section; -1 without one.
    int firstPageRow() const;

private:
    void rebuild();

    AppModel *m_app;
    QString m_filter;
    bool m_showsCommands = false;
    CommandLineSectionModel *m_commandLine;
    CommandsSectionModel *m_commands;
    ManualsSectionModel *m_manuals;
    CommandHelpSectionModel *m_commandHelp;
    FoundInPagesSectionModel *m_found;
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
