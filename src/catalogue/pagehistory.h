// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

class QSettings;

namespace Lectorin {

// The identifiers of the pages visited, most recent first, kept in the settings under "history".
class PageHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kCapacity = 100;

    explicit PageHistory(QSettings *settings, QObject *parent = nullptr);

    const QStringList &identifiers() const { return m_identifiers; }
    // Puts `id` first; without `promote` a page already listed keeps its place.
    void recordVisit(const QString &id, bool promote);
    void clear();

signals:
    void changed(const QStringList &identifiers);

private:
    void setIdentifiers(QStringList identifiers);

    QSettings *m_settings;
    QStringList m_identifiers;
};

} // namespace Lectorin
