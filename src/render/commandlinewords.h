// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace Lectorin {

// A shell command line split into the words each program would receive: quotes and backslashes removed,
// the operators between commands and the redirections with their targets left out, nothing expanded.
// Input that a shell would reject still splits: a quote left open runs to the end of the line.
namespace CommandLineWords {

struct Word
{
    // The word without its quotes and escapes; a substitution ("$(…)", "`…`", "${…}") is kept as written.
    QString text;
    // Where the word stands in the line, its quotes included.
    qsizetype start = 0;
    qsizetype length = 0;
    // Part of it was quoted or escaped, so it is no reserved word.
    bool quoted = false;

    bool operator==(const Word &) const = default;
};

using SimpleCommand = QList<Word>;

// The simple commands of the line in order, split at "|", "|&", "||", "&&", ";", "&", newlines and
// parentheses; a command left empty by the split is dropped.
QList<SimpleCommand> simpleCommands(QStringView line);

} // namespace CommandLineWords
} // namespace Lectorin
