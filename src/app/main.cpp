// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin: the desktop program.
#include "buildinfo.h"
#include "catalogue/appearancesetting.h"
#include "platform/singleinstance.h"
#include "platform/systemappearance.h"
#include "platform/trace.h"
#include "render/manschemehandler.h"
#include "skeppa/appinfo.h"
#include "skeppa/updatechecker.h"
#include "ui/lectorinapp.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <QUrl>

namespace {

// The update feed; its path is fixed, the host is the project's own.
const QUrl kFeedURL(QStringLiteral("https://updates.lectorin.org/lectorin/lectorin.json"));

} // namespace

int main(int argc, char *argv[])
{
    Lectorin::Trace::mark(QStringLiteral("process started"));
    Lectorin::registerManUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lectorin"));
    QApplication::setApplicationName(QStringLiteral(LECTORIN_APP_NAME));
    QApplication::setApplicationVersion(QStringLiteral(LECTORIN_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Lectorin"));
    QApplication::setDesktopFileName(QStringLiteral("lectorin"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("lectorin")));

    // Page files to preview go to a running instance as absolute paths: it has another working directory.
    const QStringList references
        = Lectorin::LectorinApp::withAbsolutePageFiles(QApplication::arguments().mid(1));
    Lectorin::SingleInstance instance;
    if (instance.forwardToRunningInstance(references))
        return 0;
    instance.listen();

    QSettings settings;
    Lectorin::SystemAppearance appearance;
    appearance.apply(Lectorin::storedAppearance(settings));
    Skeppa::UpdateChecker::shared().configure(kFeedURL,
        Skeppa::AppInfo::fromStrings(QStringLiteral(LECTORIN_APP_NAME), QStringLiteral(LECTORIN_VERSION),
            QStringLiteral(LECTORIN_BUILD_NUMBER)));

    Lectorin::LectorinApp app(&settings, &appearance);
    QObject::connect(&instance, &Lectorin::SingleInstance::referencesReceived, &app,
        &Lectorin::LectorinApp::openReferences);
    app.openWindow(std::nullopt, std::nullopt);
    if (!references.isEmpty())
        app.openReferences(references);
    return application.exec();
}
