// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace Lectorin {

// One running Lectorin per user: a second start hands its references to the first over a local socket and
// exits.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `name` defaults to a per-user socket name; tests pass their own.
    explicit SingleInstance(QString name = defaultName(), QObject *parent = nullptr);

    static QString defaultName();

    // Hands `references` to a running instance; false when none answers.
    bool forwardToRunningInstance(const QStringList &references) const;
    // Becomes the running instance; false when the socket cannot be made.
    bool listen();

Q_SIGNALS:
    void referencesReceived(const QStringList &references);

private:
    void readConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace Lectorin
