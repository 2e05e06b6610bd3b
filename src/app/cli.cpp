// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin-cli: the program's own code paths, scriptable.
#include "app/clicommands.h"

#include "buildinfo.h"

#include <QCoreApplication>

#include <cstdio>
#include <functional>

namespace {

struct Command
{
    const char *name;
    QSet<QString> valueOptions;
    std::function<int(const Lectorin::Cli::Arguments &)> run;
};

int usage()
{
    std::fputs("usage: lectorin-cli scan [--ids] [--manpath A:B] [--path A:B]\n"
               "       lectorin-cli resolve NAME [SECTION]\n"
               "       lectorin-cli filter QUERY [--limit N]\n"
               "       lectorin-cli theme FILE\n"
               "       lectorin-cli --version\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
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
    const QSet<QString> pathOptions { QStringLiteral("manpath"), QStringLiteral("path") };
    const Command commands[] = {
        { "scan", pathOptions, Cli::scan },
        { "resolve", pathOptions, Cli::resolve },
        { "filter", pathOptions + QSet<QString> { QStringLiteral("limit") }, Cli::filter },
        { "theme", {}, Cli::theme },
    };
    for (const Command &command : commands) {
        if (commandName != QLatin1String(command.name))
            continue;
        const std::optional<Cli::Arguments> arguments = Cli::parseArguments(words, command.valueOptions);
        return arguments ? command.run(*arguments) : 2;
    }
    return usage();
}
