// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace Lectorin {

// What the shell and common programs make of a word by its place and shape, apart from any page.
namespace CommandLineRules {

inline constexpr qsizetype kMaxNameLength = 128;

// A program that runs the command a later operand names (sudo, env, xargs …).
struct Prefix
{
    // Operands before the command: timeout's duration, chroot's folder.
    int operandsBefore = 0;
    // "NAME=value" words may come before the command (env).
    bool takesAssignments = false;

    bool operator==(const Prefix &) const = default;
};

// The prefix a command name is; null for another name.
const Prefix *prefix(const QString &commandName);

// A reserved word that only shapes the line ("if", "then", "{"): the next word starts a command.
bool isSkippedKeyword(const QString &word);
// A reserved word whose following words are names and patterns ("for", "case"), not a command.
bool startsOperands(const QString &word);
// "NAME=value".
bool isAssignment(const QString &word);
// A word a subcommand could be spelled as: "commit", "x509", "cat-file".
bool looksLikeSubcommand(const QString &word);
// The name a command word is looked up by: "/usr/bin/tar" is tar. Empty for a word no page could be named.
QString commandName(const QString &word);

} // namespace CommandLineRules
} // namespace Lectorin
