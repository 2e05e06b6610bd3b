// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin-search-provider: the desktop's search (GNOME Shell's overview, KDE's KRunner) over Lectorin's
// catalogue, started by D-Bus when the desktop first asks. No window and no web engine.
#include "catalogue/appmodel.h"
#include "catalogue/searchpathcache.h"
#include "catalogue/searchpaths.h"
#include "searchprovider/krunnerservice.h"
#include "searchprovider/searchproviderservice.h"

#include "buildinfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QProcess>
#include <QSettings>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.lectorin.Lectorin.SearchProvider");
const QString kProviderPath = QStringLiteral("/org/lectorin/Lectorin/SearchProvider");
const QString kRunnerPath = QStringLiteral("/runner");

// The folders the program last scanned, as it remembers them; the login shell only when it remembers none.
QStringList manualDirectories()
{
    const std::optional<Lectorin::SearchPathSet> cached
        = Lectorin::SearchPathCache::read(Lectorin::SearchPathCache::defaultPath());
    return cached ? cached->manualDirectories : Lectorin::SearchPaths::manualDirectories();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Lectorin"));
    QCoreApplication::setApplicationName(QStringLiteral(LECTORIN_APP_NAME));
    QCommandLineParser parser;
    const QCommandLineOption manpath(
        QStringLiteral("manpath"), QStringLiteral("Manual folders, A:B."), QStringLiteral("folders"));
    const QCommandLineOption program(QStringLiteral("program"),
        QStringLiteral("The program that opens pages."), QStringLiteral("path"), QStringLiteral("lectorin"));
    parser.addOptions({ manpath, program });
    parser.addHelpOption();
    parser.process(application);

    Lectorin::AppModel::Discovery discovery;
    discovery.manualDirectories = parser.isSet(manpath)
        ? std::function<QStringList()>(
            [folders = parser.value(manpath).split(u':', Qt::SkipEmptyParts)] { return folders; })
        : std::function<QStringList()>(manualDirectories);
    discovery.commandDirectories = [] { return QStringList(); };
    QSettings settings;
    Lectorin::AppModel app(&settings, std::move(discovery));
    // Lectorin hands the page to its running window, or starts with it.
    const auto open = [lectorin = parser.value(program)](
                          const QString &reference) { QProcess::startDetached(lectorin, { reference }); };
    Lectorin::SearchProviderService provider(&app, open);
    Lectorin::KRunnerService runner(&app, open);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kProviderPath, &provider, QDBusConnection::ExportAllSlots)
        || !bus.registerObject(kRunnerPath, &runner, QDBusConnection::ExportAllSlots)
        || !bus.registerService(kService)) {
        std::fprintf(
            stderr, "lectorin-search-provider: %s\n", bus.lastError().message().toUtf8().constData());
        return 1;
    }
    app.loadIndexIfNeeded();
    return application.exec();
}
