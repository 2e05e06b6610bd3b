// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin-window: the desktop program, started by the lectorin launcher when no Lectorin runs yet (run on
// its own, it hands over the same way).
#include "app/engineflags.h"
#include "app/launcharguments.h"
#include "catalogue/appearancesetting.h"
#include "platform/desktopicons.h"
#include "platform/singleinstance.h"
#include "platform/systemappearance.h"
#include "skeppa/appinfo.h"
#include "skeppa/networkfeedtransport.h"
#include "skeppa/updatechecker.h"
#include "ui/lectorinapp.h"
#include "web/manschemehandler.h"
#include "buildinfo.h"

#include <QApplication>
#include <QIcon>
#include <QOpenGLContext>
#include <QSettings>
#include <QSslCertificate>
#include <QUrl>

namespace {

// The update feed; its path is fixed, the host is the project's own.
const QUrl kFeedURL(QStringLiteral("https://updates.lectorin.org/lectorin/lectorin.json"));

// Without a working OpenGL (some remote and virtual displays) the engine should draw in software from the
// start instead of failing to share a context and saying so.
void drawInSoftwareWithoutOpenGL()
{
    const QOpenGLContext *shared = QOpenGLContext::globalShareContext();
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if ((!shared || !shared->isValid()) && !flags.contains("--disable-gpu"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --disable-gpu");
}

// Points the update check at another feed server, to try a release feed before it is published:
// LECTORIN_UPDATE_FEED names an https feed, LECTORIN_UPDATE_CA a PEM file of the authorities that sign its
// server in addition to the system's. Without them, or with a feed that is not https, the project's feed.
void configureUpdates(Skeppa::NetworkFeedTransport &transport)
{
    const Skeppa::AppInfo app = Skeppa::AppInfo::fromStrings(QStringLiteral(LECTORIN_APP_NAME),
        QStringLiteral(LECTORIN_VERSION), QStringLiteral(LECTORIN_BUILD_NUMBER));
    const QUrl feed(qEnvironmentVariable("LECTORIN_UPDATE_FEED"));
    if (!feed.isValid() || feed.scheme() != u"https" || feed.host().isEmpty()) {
        Skeppa::UpdateChecker::shared().configure(kFeedURL, app);
        return;
    }
    if (const QString authorities = qEnvironmentVariable("LECTORIN_UPDATE_CA"); !authorities.isEmpty())
        transport.setAdditionalCaCertificates(QSslCertificate::fromPath(authorities));
    Skeppa::UpdateChecker::shared().configure(feed, app, nullptr, &transport, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    const Lectorin::LaunchArguments::Request request = Lectorin::LaunchArguments::parse(argc, argv);
    if (const std::optional<int> status = Lectorin::LaunchArguments::answerWithoutStarting(request))
        return *status;

    // Another instance may have started since the launcher looked.
    const QStringList references = Lectorin::LaunchArguments::withAbsolutePageFiles(request.references);
    Lectorin::SingleInstance instance;
    if (instance.forwardToRunningInstance(references, qEnvironmentVariable("XDG_ACTIVATION_TOKEN")))
        return 0;

    Lectorin::EngineFlags::quietEngine();
    Lectorin::EngineFlags::shareOneRenderer();
    Lectorin::EngineFlags::exposePagesToAccessibility();
    Lectorin::registerManUrlScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    drawInSoftwareWithoutOpenGL();
    QApplication::setOrganizationName(QStringLiteral("Lectorin"));
    QApplication::setApplicationName(QStringLiteral(LECTORIN_APP_NAME));
    QApplication::setApplicationVersion(QStringLiteral(LECTORIN_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Lectorin"));
    QApplication::setDesktopFileName(QStringLiteral("lectorin"));
    Lectorin::DesktopIcons::install();
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("lectorin")));

    instance.listen();
    // Read when the engine starts, with the first page; a start that only hands over never says it.
    Lectorin::EngineFlags::allowStartAsRoot("lectorin");

    QSettings settings;
    Lectorin::SystemAppearance appearance;
    appearance.apply(Lectorin::storedAppearance(settings));
    Skeppa::NetworkFeedTransport feedTransport;
    configureUpdates(feedTransport);

    Lectorin::LectorinApp app(&settings, &appearance);
    QObject::connect(
        &instance, &Lectorin::SingleInstance::activationRequested, &app, &Lectorin::LectorinApp::activate);
    app.openWindow(std::nullopt, std::nullopt);
    if (!references.isEmpty())
        app.openReferences(references);
    return application.exec();
}
