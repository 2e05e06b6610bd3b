// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/launcharguments.h"

#include "buildinfo.h"

#include <QFileInfo>
#include <QSet>
#include <QUrl>

#include <cstdio>

namespace Lectorin::LaunchArguments {
namespace {

// The options QApplication reads and removes itself (single dash; Qt also takes them with two).
const QSet<QString> kToolkitOptionsWithValue { QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"), QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"), QStringLiteral("qwindowtitle"),
    QStringLiteral("session"), QStringLiteral("style"), QStringLiteral("stylesheet"),
    QStringLiteral("display"), QStringLiteral("geometry"), QStringLiteral("title"), QStringLiteral("name"),
    QStringLiteral("visual"), QStringLiteral("qmljsdebugger") };
const QSet<QString> kToolkitSwitches { QStringLiteral("reverse"), QStringLiteral("widgetcount"),
    QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync") };
// Everything after it belongs to the web engine (Chromium's flags).
const QString kEngineArguments = QStringLiteral("--webEngineArgs");

Request refused(const QString &error)
{
    return { Action::usageError, {}, error };
}

} // namespace

Request parse(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parse(arguments);
}

Request parse(const QStringList &arguments)
{
    Request request;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            // Each positional word is a page reference; another kind (a page source file given by path,
            // say) is told apart here.
            request.references.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            return { Action::showHelp, {}, {} };
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            return { Action::showVersion, {}, {} };
        } else if (argument == kEngineArguments) {
            break;
        } else {
            QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            const bool hasInlineValue = name.contains(u'=');
            name = name.section(u'=', 0, 0);
            if (kToolkitOptionsWithValue.contains(name)) {
                if (!hasInlineValue && ++i >= arguments.size())
                    return refused(QStringLiteral("option “%1” needs a value").arg(argument));
            } else if (!kToolkitSwitches.contains(name) || hasInlineValue) {
                return refused(QStringLiteral("unknown option “%1”").arg(argument));
            }
        }
    }
    return request;
}

QString usage()
{
    return QStringLiteral(
        "Usage: lectorin [OPTION…] [REF…]\n"
        "Show the manual pages installed on this system in a window.\n"
        "\n"
        "Each REF is opened in the main window, the first in the current tab and each further one in a tab "
        "of\n"
        "its own. While Lectorin runs on this display, a new start hands its REFs to the running program "
        "and\n"
        "brings its window to the front.\n"
        "\n"
        "REF is one of:\n"
        "  NAME                    the page NAME, from the first section that has it (ls)\n"
        "  NAME(SECTION)           the page NAME in SECTION (printf(3))\n"
        "  x-man-page://SECTION/NAME, x-man-page:///NAME, x-lectorin-man://SECTION/NAME\n"
        "                          a man page link\n"
        "\n"
        "Options:\n"
        "  -h, --help              print this help and exit\n"
        "  -v, --version           print the version and exit\n"
        "  --                      take every later argument as a REF\n"
        "\n"
        "Qt's own options (-platform, -style, -reverse, …) are accepted; arguments after --webEngineArgs go\n"
        "to the web engine. See lectorin(1) and the help book (F1).\n");
}

QString versionLine()
{
    return QStringLiteral("Lectorin %1 (%2)")
        .arg(QStringLiteral(LECTORIN_VERSION), QStringLiteral(LECTORIN_BUILD_NUMBER));
}

std::optional<QString> pageFileArgument(const QString &reference)
{
    const QUrl asURL(reference);
    if (asURL.isLocalFile())
        return QFileInfo(asURL.toLocalFile()).absoluteFilePath();
    // Man page and other URLs are references, never files.
    if (!asURL.scheme().isEmpty() || !reference.contains(u'/'))
        return std::nullopt;
    return QFileInfo(reference).absoluteFilePath();
}

QStringList withAbsolutePageFiles(const QStringList &references)
{
    QStringList absolute;
    for (const QString &reference : references)
        absolute.append(pageFileArgument(reference).value_or(reference));
    return absolute;
}

std::optional<int> answerWithoutStarting(const Request &request)
{
    const auto print
        = [](std::FILE *stream, const QString &text) { std::fputs(text.toLocal8Bit().constData(), stream); };
    switch (request.action) {
    case Action::showHelp:
        print(stdout, usage());
        return 0;
    case Action::showVersion:
        print(stdout, versionLine() + u'\n');
        return 0;
    case Action::usageError:
        print(stderr, QStringLiteral("lectorin: %1\n\n").arg(request.error) + usage());
        return 2;
    case Action::run:
        break;
    }
    return std::nullopt;
}

} // namespace Lectorin::LaunchArguments
