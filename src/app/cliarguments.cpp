// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cliarguments.h"

#include <cstdio>

namespace Lectorin::Cli {

std::optional<QString> Arguments::option(const QString &name) const
{
    const auto found = options.constFind(name);
    if (found == options.cend())
        return std::nullopt;
    return *found;
}

std::optional<Arguments> parseArguments(const QStringList &words, const QSet<QString> &valueOptions)
{
    Arguments arguments;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words.at(i);
        if (word == QLatin1String("-o") || (word.startsWith(QLatin1String("--")) && word.size() > 2)) {
            const QString name = word == QLatin1String("-o") ? QStringLiteral("output") : word.mid(2);
            if (!valueOptions.contains(name)) {
                arguments.flags.insert(name);
                continue;
            }
            if (i + 1 >= words.size()) {
                std::fprintf(stderr, "lectorin-cli: %s needs a value\n", qPrintable(word));
                return std::nullopt;
            }
            arguments.options.insert(name, words.at(++i));
            continue;
        }
        arguments.positional.append(word);
    }
    return arguments;
}

} // namespace Lectorin::Cli
