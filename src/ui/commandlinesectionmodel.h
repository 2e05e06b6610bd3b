// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>

#include <optional>

namespace Lectorin {

class AppModel;

// The rows a filter typed as a command line earns above the lists: "tar -x" jumps to -x in tar(1) when the
// first word names a page, and a line with an option ("tar -xzvf a.tgz") can be explained. Absent otherwise.
class CommandLineSectionModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CommandLineSectionModel(const AppModel *app, QObject *parent = nullptr);

    // Rows follow the filter and the catalogue it is read against.
    void update(const QString &filter);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Jump
    {
        QString pageID;
        QString pageName; // "tar(1)"
        QString option;
        bool operator==(const Jump &) const = default;
    };

    int explainRow() const { return m_jump ? 1 : 0; }

    const AppModel *m_app;
    std::optional<Jump> m_jump;
    QString m_explained; // the command line of the explain row, or empty
};

} // namespace Lectorin
