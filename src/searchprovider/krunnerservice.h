// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

namespace Lectorin {

class AppModel;

// One KRunner match: (id, text, icon, type, relevance, properties).
struct KRunnerMatch
{
    QString id;
    QString text;
    QString icon;
    int type = 0;
    double relevance = 0;
    QVariantMap properties;
};

// One KRunner action: (id, text, icon).
struct KRunnerAction
{
    QString id;
    QString text;
    QString icon;
};

// KRunner's D-Bus runner interface over the catalogue.
class KRunnerService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.krunner1")

public:
    KRunnerService(AppModel *app, std::function<void(const QString &)> open, QObject *parent = nullptr);

public Q_SLOTS:
    QList<KRunnerAction> Actions();
    QList<KRunnerMatch> Match(const QString &query);
    void Run(const QString &matchId, const QString &actionId);

private:
    AppModel *m_app;
    std::function<void(const QString &)> m_open;
};

QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerMatch &match);
const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerMatch &match);
QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerAction &action);
const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerAction &action);

} // namespace Lectorin

Q_DECLARE_METATYPE(Lectorin::KRunnerMatch)
Q_DECLARE_METATYPE(Lectorin::KRunnerAction)
