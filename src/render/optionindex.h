// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace Lectorin {

// One definition a page gives: an option ("-a, --all") or a subcommand it documents ("restart PATTERN…").
struct OptionDefinition
{
    enum class Kind
    {
        option,
        subcommand,
    };
    Kind kind = Kind::option;
    // The element id of the definition's term in the rendered document; unique in the page.
    QString anchor;
    // The names as the page writes them, without their arguments: "-a", "--all", "--block-size", "-name",
    // "+x", or a subcommand's word.
    QStringList spellings;
    bool takesArgument = false;
    // Whether the argument is optional ("--color[=WHEN]").
    bool argumentIsOptional = false;
    // The first sentence of the definition's text, whitespace folded.
    QString definition;

    bool operator==(const OptionDefinition &) const = default;
};

// The option index of a page, read from mandoc's HTML: every definition-list term, tagged paragraph or
// DocBook-style paragraph that starts with an option (or, for subcommands, a lone word followed by
// arguments in a section such as COMMANDS), with an anchor for each. Stateless; any thread.
namespace OptionIndex {

struct Indexed
{
    // The fragment with an id on every definition's term that had none, and each term marked with
    // data-lectorin-option (its spellings, space-separated) for the page's scripts.
    QString html;
    QList<OptionDefinition> definitions;
};

Indexed index(const QString &mandocFragment);

// The definition a command-line word names, by exact spelling first ("--exclude"), then by a unique long
// prefix as getopt_long accepts it ("--excl"); nothing when none or several match.
const OptionDefinition *find(const QList<OptionDefinition> &definitions, QStringView spelling);

// The definitions in a command's --help text ("  -a, --all   do not ignore …" lines); anchors are empty.
QList<OptionDefinition> fromHelpText(const QString &helpText);

} // namespace OptionIndex
} // namespace Lectorin
