// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fulltext/foundinpages.h"

#include <QAbstractListModel>

namespace Lectorin {

// The "Found in Pages" section: its header, the indexing progress while it runs, the full-text results and
// "Show All". It follows the results, which change on their own while the names above stay put.
class FoundInPagesSectionModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit FoundInPagesSectionModel(QObject *parent = nullptr);

    // Rows of the same kinds repaint where they changed; otherwise the old rows go and the new ones come.
    void setSection(const FoundInPages::Section &section);
    const FoundInPages::Section &section() const { return m_section; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // The result row showing `pageID`, or -1.
    int rowOf(const QString &pageID) const;

private:
    int firstResultRow() const { return m_section.indexing ? 2 : 1; }
    void repaintChangedRows(const FoundInPages::Section &before);

    FoundInPages::Section m_section;
};

} // namespace Lectorin
