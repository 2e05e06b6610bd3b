// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/pagedescriptions.h"
#include "catalogue/sidebarfilter.h"

#include <QAbstractListModel>

namespace Lectorin {

// One section of catalogue names under its header row. Its rows index straight into a shared copy of the
// catalogue's list (or the ranked positions of a filter), so nothing is copied per keystroke and a catalogue
// replaced underneath does not change what the section shows until it is given new rows.
class PageRowsSectionModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum class Header
    {
        always, // the header shows even while the section has no rows
        withPages, // header and section show only with page rows
    };

    PageRowsSectionModel(QString title, Header header, QObject *parent = nullptr);

    // Rows that show anything other than the current ones replace them.
    void setRows(const SidebarFilter::Rows &rows);
    // Descriptions that differ from the current ones repaint the page rows.
    void setDescriptions(const PageDescriptions &descriptions);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // The row showing `pageID`, or -1.
    int rowOf(const QString &pageID) const;

private:
    bool isShown() const;
    bool shows(const SidebarFilter::Rows &rows) const;

    QString m_title;
    Header m_header;
    QList<ManPage> m_source;
    SidebarFilter::Rows m_rows; // over m_source
    PageDescriptions m_descriptions;
};

} // namespace Lectorin
