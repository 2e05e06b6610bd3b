// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/optionindex.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace Lectorin {

// What a shell command line does, word by word, told from the option indexes of the pages of the commands
// it runs. Stateless; any thread, as long as the sources may be called there.
namespace CommandLineExplainer {

// The manual page a command name opens.
struct PageSummary
{
    QString pageId;
    // The page's one-line description; may be empty.
    QString description;

    bool operator==(const PageSummary &) const = default;
};

// What the explainer asks of its caller. For one line each is asked at most once per name or page, and only
// for a name that could be a command.
struct Sources
{
    // The page a name opens ("tar", "git-commit"); nothing when there is none.
    std::function<std::optional<PageSummary>(const QString &name)> page;
    // The option index of a page that page() gave. May block.
    std::function<QList<OptionDefinition>(const QString &pageId)> definitions;
    // For a command without a page: the definitions its --help text gives; nothing when it is no command.
    std::function<std::optional<QList<OptionDefinition>>(const QString &commandName)> helpDefinitions;
};

// One part of a word of the line.
struct Part
{
    enum class Kind
    {
        // A program the line runs, or a subcommand with a page of its own ("commit" of "git commit").
        command,
        // An option, or a subcommand or "key=" operand its command's page defines.
        option,
        // The argument an option takes: "FILE" of "-f FILE", "*.c" of "--include=*.c".
        argument,
        operand,
        // An option or command that nothing defines.
        unknown,
    };
    Kind kind = Kind::operand;
    // The part as its program receives it: "-f" of "-xzvf", "if" of "if=/dev/zero".
    QString text;
    // The page that explains it: "1/tar", "help/NAME" for a command known by its --help text; empty for a
    // command without either.
    QString pageId;
    // The definition's anchor in the page; empty for --help definitions and for the end of options ("--").
    QString anchor;
    // A command's page description, an option's definition.
    QString description;
    // An argument's option: the spelling it belongs to ("--exclude" for "--excl=x").
    QString option;
    // The word the part is from, as positions in the line, its quotes included.
    qsizetype wordStart = 0;
    qsizetype wordLength = 0;

    bool operator==(const Part &) const = default;
};

// The parts of every simple command of the line, in order; operators and redirections have none. A line asks
// about a few hundred names and a few --help texts at most; commands past those count as unknown.
QList<Part> explain(QStringView line, const Sources &sources);

// One tab-separated line per part, as lectorin-cli prints it:
//   command<TAB>WORD<TAB>PAGE-ID<TAB>description
//   option<TAB>WORD<TAB>PAGE-ID<TAB>ANCHOR<TAB>definition
//   argument<TAB>WORD<TAB>OPTION
//   operand<TAB>WORD
//   unknown<TAB>WORD<TAB>PAGE-ID
// Tabs and line breaks inside a field become spaces.
QString rowText(const Part &part);

} // namespace CommandLineExplainer
} // namespace Lectorin
