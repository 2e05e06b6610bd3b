// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin-cli: the program's own code paths, scriptable.
#include "app/clicommands.h"
#include "app/climodel.h"
#include "app/engineflags.h"

#include "web/manschemehandler.h"
#include "buildinfo.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

struct Command
{
    const char *name;
    QSet<QString> valueOptions;
    std::function<int(const Lectorin::Cli::Arguments &)> run;
};

int usage()
{
    std::fputs("usage: lectorin-cli scan [--ids] [--manpath A:B] [--path A:B] [--infopath A:B] [--lang LL[_CC]|none]\n"
               "       lectorin-cli resolve NAME [SECTION] [--lang LL[_CC]|none]\n"
               "       lectorin-cli filter QUERY [--limit N] [--descriptions] [--lang LL[_CC]|none]\n"
               "       lectorin-cli render REF [--theme NAME] [--zoom F] [--timing] [--lang LL[_CC]|none]\n"
               "       lectorin-cli export REF --format pdf|pdf-single|html|rtf|text -o FILE\n"
               "       lectorin-cli links REF [REF…]\n"
               "       lectorin-cli options REF\n"
               "       lectorin-cli theme FILE\n"
               "       lectorin-cli index [--index FILE] [--manpath A:B]\n"
               "       lectorin-cli search QUERY [--limit N] [--index FILE] [--manpath A:B]\n"
               "       lectorin-cli lint FILE\n"
               "       lectorin-cli explain 'LINE' [--manpath A:B] [--path A:B] [--lang LL[_CC]|none]\n"
               "       lectorin-cli notes [--markdown]\n"
               "       lectorin-cli --version\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // Rich-text export needs a GUI application's font database, and links a web page; nothing is ever shown.
    const bool showsPage = argc > 1 && qstrcmp(argv[1], "links") == 0;
    const bool needsGui = showsPage || (argc > 1 && qstrcmp(argv[1], "export") == 0);
    if (showsPage)
        Lectorin::registerManUrlScheme();
    if (needsGui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The web engine draws nothing on screen here, so it needs no GPU.
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    }
    // The PDF formats print through the web engine, which wants shared GL contexts before the application.
    if (needsGui) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        // The command line says what went wrong in its own words; the engine's start-up notes are noise in a
        // script's output.
        Lectorin::EngineFlags::quietEngine(QStringLiteral("default.info=false\ndefault.warning=false"));
        Lectorin::EngineFlags::allowStartAsRoot("lectorin-cli");
    }
    const std::unique_ptr<QCoreApplication> application = needsGui
        ? std::make_unique<QGuiApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Lectorin"));
    QCoreApplication::setApplicationName(QStringLiteral(LECTORIN_APP_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(LECTORIN_VERSION));

    QStringList words = QCoreApplication::arguments().mid(1);
    if (words.isEmpty())
        return usage();
    const QString commandName = words.takeFirst();
    if (commandName == QLatin1String("--version")) {
        std::printf("%s %s (%s)\n", LECTORIN_APP_NAME, LECTORIN_VERSION, LECTORIN_BUILD_NUMBER);
        return 0;
    }

    using namespace Lectorin;
    const QSet<QString> pathOptions { QStringLiteral("manpath"), QStringLiteral("path"),
        QStringLiteral("infopath"), QStringLiteral("lang") };
    const Command commands[] = {
        { "scan", pathOptions, Cli::scan },
        { "resolve", pathOptions, Cli::resolve },
        { "filter", pathOptions + QSet<QString> { QStringLiteral("limit") }, Cli::filter },
        { "theme", {}, Cli::theme },
        { "render", pathOptions + QSet<QString> { QStringLiteral("theme"), QStringLiteral("zoom") },
            Cli::render },
        { "export", pathOptions + QSet<QString> { QStringLiteral("format"), QStringLiteral("output") },
            Cli::exportPage },
        { "links", pathOptions, Cli::links },
        { "options", pathOptions, Cli::options },
        { "index", pathOptions + QSet<QString> { QStringLiteral("index") }, Cli::index },
        { "search", pathOptions + QSet<QString> { QStringLiteral("index"), QStringLiteral("limit") },
            Cli::search },
        { "lint", {}, Cli::lint },
        { "explain", pathOptions, Cli::explain },
        { "notes", {}, Cli::notes },
    };
    for (const Command &command : commands) {
        if (commandName != QLatin1String(command.name))
            continue;
        const std::optional<Cli::Arguments> arguments = Cli::parseArguments(words, command.valueOptions);
        return arguments && Cli::checkLanguageOption(*arguments) ? command.run(*arguments) : 2;
    }
    return usage();
}
