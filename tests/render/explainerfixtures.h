// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/commandlineexplainer.h"

#include <QHash>
#include <QStringList>

// Option indexes shaped like those of real pages, for the explainer's tests.
namespace Lectorin::ExplainerFixtures {

using CommandLineExplainer::PageSummary;
using Kind = OptionDefinition::Kind;

// "-f --file": the spellings; the anchor is the first without its dashes.
inline OptionDefinition option(
    const QString &spellings, const QString &definition, bool takesArgument = false)
{
    const QStringList names = spellings.split(u' ');
    QString anchor = names.first();
    while (anchor.size() > 1 && anchor.startsWith(u'-'))
        anchor.remove(0, 1);
    return { Kind::option, anchor, names, takesArgument, false, definition };
}

inline OptionDefinition withArgument(const QString &spellings, const QString &definition)
{
    return option(spellings, definition, true);
}

inline OptionDefinition subcommand(const QString &word, const QString &definition)
{
    return { Kind::subcommand, word, { word }, false, false, definition };
}

// A catalogue of a few commands, counting what the explainer asks of it.
struct FakeCatalogue
{
    QHash<QString, PageSummary> pages;
    QHash<QString, QList<OptionDefinition>> definitions;
    QHash<QString, QList<OptionDefinition>> help;
    QHash<QString, int> pageCalls;
    QHash<QString, int> definitionCalls;
    QHash<QString, int> helpCalls;

    void add(const QString &name, const QString &id, const QString &description,
        const QList<OptionDefinition> &options)
    {
        pages.insert(name, { id, description });
        definitions.insert(id, options);
    }

    CommandLineExplainer::Sources sources()
    {
        return {
            [this](const QString &name) -> std::optional<PageSummary> {
                ++pageCalls[name];
                return pages.contains(name) ? std::optional(pages.value(name)) : std::nullopt;
            },
            [this](const QString &id) {
                ++definitionCalls[id];
                return definitions.value(id);
            },
            [this](const QString &name) -> std::optional<QList<OptionDefinition>> {
                ++helpCalls[name];
                return help.contains(name) ? std::optional(help.value(name)) : std::nullopt;
            },
        };
    }
};

inline FakeCatalogue fakeCatalogue()
{
    FakeCatalogue c;
    c.add("tar", "1/tar", "an archiving utility",
        { option("-x --extract", "Extract files."), option("-z --gzip", "Filter through gzip."),
            option("-v --verbose", "List files."), withArgument("-f --file", "Use archive file."),
            withArgument("--exclude", "Exclude files."), option("--exclude-vcs", "Exclude VCS folders."),
            withArgument("-C --directory", "Change to DIR.") });
    c.add("git", "1/git", "the stupid content tracker", { withArgument("-C", "Run in <path>.") });
    c.add("git-commit", "1/git-commit", "Record changes",
        { option("-a --all", "Stage modified files."), withArgument("-m --message", "Use <msg>.") });
    c.add("find", "1/find", "search for files",
        { withArgument("-name", "Base of file name matches."), withArgument("-mtime", "Modified n days ago."),
            option("-delete", "Delete files.") });
    c.add("ps", "1/ps", "report processes",
        { option("a", "All with a tty."), option("u", "User format."), option("x", "Without a tty.") });
    c.add("grep", "1/grep", "print lines that match patterns",
        { option("-v --invert-match", "Invert."), withArgument("-e --regexp", "Use PATTERNS."),
            withArgument("--include", "Search only GLOB.") });
    c.add("sort", "1/sort", "sort lines",
        { withArgument("-k --key", "sort via a key"), option("-r --reverse", "reverse"),
            option("-n --numeric-sort", "numeric"), withArgument("-t --field-separator", "use SEP") });
    c.add("head", "1/head", "output the first part", { withArgument("-n --lines", "print NUM lines") });
    c.add("cut", "1/cut", "remove sections",
        { withArgument("-d --delimiter", "use DELIM"), withArgument("-f --fields", "select fields") });
    c.add("dd", "1/dd", "convert and copy a file",
        { subcommand("if", "read from FILE"), withArgument("of", "write to FILE"),
            withArgument("bs", "BYTES at a time") });
    c.add("systemctl", "1/systemctl", "Control systemd",
        { option("--user", "Talk to the user's manager."), subcommand("restart", "Restart units."),
            subcommand("start", "Start units.") });
    c.add("sudo", "8/sudo", "run as another user", { withArgument("-u --user", "Run as user.") });
    c.add("env", "1/env", "run in a modified environment", { option("-i", "start empty") });
    c.add("xargs", "1/xargs", "build command lines",
        { option("-0 --null", "Null-terminated."), withArgument("-n --max-args", "At most max-args."),
            withArgument("-I", "Replace replace-str.") });
    c.add("ip", "8/ip", "manipulate routing",
        { option("-4", "IPv4 only."), subcommand("address", "addresses."),
            subcommand("addrlabel", "labels.") });
    c.add("ip-address", "8/ip-address", "address management", { subcommand("show", "look at addresses.") });
    c.add("openssl", "1ssl/openssl", "OpenSSL program", {});
    c.add("openssl-x509", "1ssl/openssl-x509", "Certificate command", { withArgument("-in", "The input.") });
    c.help.insert("frob", { option("-q --quiet", "Print nothing.") });
    for (OptionDefinition &definition : c.help["frob"])
        definition.anchor.clear();
    return c;
}

inline QStringList rows(const QList<CommandLineExplainer::Part> &parts)
{
    QStringList rows;
    for (const CommandLineExplainer::Part &part : parts)
        rows.append(CommandLineExplainer::rowText(part));
    return rows;
}

// Rows written with "|" for the tabs.
inline QStringList tabbed(const QStringList &rows)
{
    QStringList result;
    for (const QString &row : rows)
        result.append(QString(row).replace(u'|', u'\t'));
    return result;
}

} // namespace Lectorin::ExplainerFixtures
