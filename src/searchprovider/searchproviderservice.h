// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>

namespace Lectorin {

class AppModel;

// GNOME Shell's search provider interface over the catalogue. Questions that come while the catalogue loads
// are answered once it is there.
class SearchProviderService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.SearchProvider2")

public:
    // `open` shows a reference ("x-lectorin-man://1/printf", or typed words) in Lectorin.
    SearchProviderService(
        AppModel *app, std::function<void(const QString &)> open, QObject *parent = nullptr);

public Q_SLOTS:
    QStringList GetInitialResultSet(const QStringList &terms);
    QStringList GetSubsearchResultSet(const QStringList &previousResults, const QStringList &terms);
    QList<QVariantMap> GetResultMetas(const QStringList &identifiers);
    void ActivateResult(const QString &identifier, const QStringList &terms, uint timestamp);
    void LaunchSearch(const QStringList &terms, uint timestamp);

private:
    QStringList idsFor(const QStringList &terms);

    AppModel *m_app;
    std::function<void(const QString &)> m_open;
};

} // namespace Lectorin
