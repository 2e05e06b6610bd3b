// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/infofilter.h"

#include <QAbstractListModel>

namespace Lectorin {

class AppModel;

// The "Manuals" section: the Info manuals and, for a query, the index topics and nodes that match it. Shows
// only with rows.
class ManualsSectionModel : public QAbstractListModel
{
    Q_OBJECT

public:
    inline static const QString kTitle = QStringLiteral("Manuals");

    explicit ManualsSectionModel(AppModel *app, QObject *parent = nullptr);

    // Rows that differ from the current ones replace them.
    void update(const QString &filter);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    int rowOf(const QString &pageID) const;

private:
    AppModel *m_app;
    QString m_filter;
    QList<InfoFilter::Row> m_rows;
};

} // namespace Lectorin
