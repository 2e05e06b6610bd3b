// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandlineexplainer.h"

#include "catalogue/manpage.h"
#include "render/commandlinerules.h"
#include "render/commandlinewords.h"

#include <QHash>
#include <QSet>

namespace Lectorin::CommandLineExplainer {
namespace {

using CommandLineWords::SimpleCommand;
using CommandLineWords::Word;
using namespace CommandLineRules;

// A line of thousands of commands still finishes promptly: past these, commands count as unknown.
constexpr qsizetype kMaxNamesAsked = 256;
// Each --help run may take seconds.
constexpr qsizetype kMaxHelpCommandsAsked = 8;
constexpr int kMaxSubcommandDepth = 3;
constexpr qsizetype kMaxAbbreviationTries = 8;
// Letters without a dash ("aux" for ps) come in short words; a longer one is an operand.
constexpr qsizetype kMaxLetterClusterLength = 16;

// The definition of exactly this spelling; a one-dash word never stands for a longer option.
const OptionDefinition *exactDefinition(const QList<OptionDefinition> &definitions, const QString &spelling)
{
    const OptionDefinition *found = OptionIndex::find(definitions, spelling);
    return found && found->spellings.contains(spelling) ? found : nullptr;
}

// The spelling a found definition has for what was typed: the whole long option for an abbreviation.
QString spellingFor(const OptionDefinition &definition, const QString &typed)
{
    if (definition.spellings.contains(typed))
        return typed;
    for (const QString &spelling : definition.spellings) {
        if (spelling.startsWith(typed))
            return spelling;
    }
    return typed;
}

QString field(QString text)
{
    return text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
}

// What explains the words after a command.
struct Context
{
    QString pageId;
    // The name a subcommand's page is looked up under: "git", then "git-stash".
    QString name;
    int depth = 0;
    bool subcommandAllowed = true;
};

class Session
{
public:
    explicit Session(const Sources &sources)
        : m_sources(sources)
    { }

    void explainCommand(const SimpleCommand &words);
    QList<Part> takeParts() { return std::move(m_parts); }

private:
    std::optional<PageSummary> page(const QString &name);
    std::optional<PageSummary> commandSource(const QString &name);
    QList<OptionDefinition> definitions(const QString &pageId);
    qsizetype explainCommandWord(const SimpleCommand &words, qsizetype index);
    qsizetype explainArguments(
        const SimpleCommand &words, qsizetype index, Context context, const Prefix *prefix);
    qsizetype explainOption(const SimpleCommand &words, qsizetype index, const Context &context);
    bool explainDashlessOption(const Word &word, const Context &context);
    bool explainSubcommand(const Word &word, Context &context);

    Part &add(Part::Kind kind, const Word &word, const QString &text, const QString &pageId = QString());
    void addOption(
        const Word &word, const QString &text, const QString &pageId, const OptionDefinition &option);
    void addArgument(const Word &word, const QString &text, const QString &option);

    const Sources &m_sources;
    QHash<QString, std::optional<PageSummary>> m_pages;
    QHash<QString, QList<OptionDefinition>> m_definitions;
    QSet<QString> m_helpCommandsAsked;
    QList<Part> m_parts;
};

std::optional<PageSummary> Session::page(const QString &name)
{
    if (const auto known = m_pages.constFind(name); known != m_pages.constEnd())
        return *known;
    if (!m_sources.page || m_pages.size() >= kMaxNamesAsked)
        return std::nullopt;
    return *m_pages.insert(name, m_sources.page(name));
}

// The page of a command, else its --help definitions under the id of its help page.
std::optional<PageSummary> Session::commandSource(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    if (std::optional<PageSummary> summary = page(name))
        return summary;
    const QString helpId = kHelpSection.toString() + u'/' + name;
    if (m_definitions.contains(helpId))
        return PageSummary { helpId, QString() };
    if (!m_sources.helpDefinitions || m_helpCommandsAsked.contains(name)
        || m_helpCommandsAsked.size() >= kMaxHelpCommandsAsked)
        return std::nullopt;
    m_helpCommandsAsked.insert(name);
    std::optional<QList<OptionDefinition>> help = m_sources.helpDefinitions(name);
    if (!help)
        return std::nullopt;
    m_definitions.insert(helpId, std::move(*help));
    return PageSummary { helpId, QString() };
}

QList<OptionDefinition> Session::definitions(const QString &pageId)
{
    if (pageId.isEmpty())
        return {};
    if (const auto known = m_definitions.constFind(pageId); known != m_definitions.constEnd())
        return *known;
    return *m_definitions.insert(
        pageId, m_sources.definitions ? m_sources.definitions(pageId) : QList<OptionDefinition>());
}

Part &Session::add(Part::Kind kind, const Word &word, const QString &text, const QString &pageId)
{
    m_parts.append(Part { kind, text, pageId, QString(), QString(), QString(), word.start, word.length });
    return m_parts.last();
}

void Session::addOption(
    const Word &word, const QString &text, const QString &pageId, const OptionDefinition &option)
{
    Part &part = add(Part::Kind::option, word, text, pageId);
    part.anchor = option.anchor;
    part.description = option.definition;
}

void Session::addArgument(const Word &word, const QString &text, const QString &option)
{
    add(Part::Kind::argument, word, text).option = option;
}

void Session::explainCommand(const SimpleCommand &words)
{
    qsizetype index = 0;
    for (; index < words.size() && isAssignment(words.at(index).text); ++index)
        add(Part::Kind::operand, words.at(index), words.at(index).text);
    while (index < words.size())
        index = explainCommandWord(words, index);
}

// The command at `index` and its words; returns where the command a prefix runs starts.
qsizetype Session::explainCommandWord(const SimpleCommand &words, qsizetype index)
{
    const Word &word = words.at(index);
    if (!word.quoted && isSkippedKeyword(word.text))
        return index + 1;
    if (!word.quoted && startsOperands(word.text)) {
        for (qsizetype rest = index + 1; rest < words.size(); ++rest)
            add(Part::Kind::operand, words.at(rest), words.at(rest).text);
        return words.size();
    }
    const QString name = commandName(word.text);
    const std::optional<PageSummary> source = commandSource(name);
    if (source)
        add(Part::Kind::command, word, word.text, source->pageId).description = source->description;
    else
        add(Part::Kind::unknown, word, word.text);
    return explainArguments(
        words, index + 1, Context { source ? source->pageId : QString(), name }, prefix(name));
}

qsizetype Session::explainArguments(
    const SimpleCommand &words, qsizetype index, Context context, const Prefix *prefix)
{
    bool optionsEnded = false;
    int operandsBeforeCommand = prefix ? prefix->operandsBefore : 0;
    while (index < words.size()) {
        const Word &word = words.at(index);
        const QString &text = word.text;
        if (!optionsEnded && text == u"--") {
            optionsEnded = true;
            OptionDefinition end;
            if (const OptionDefinition *defined = exactDefinition(definitions(context.pageId), text))
                end = *defined;
            else
                end.definition = QStringLiteral("The end of the options: the words after it are operands.");
            addOption(word, text, context.pageId, end);
            ++index;
            continue;
        }
        if (!optionsEnded && text.size() > 1 && text.startsWith(u'-')) {
            index = explainOption(words, index, context);
            continue;
        }
        ++index;
        if (!optionsEnded && text.startsWith(u'+')) {
            if (const OptionDefinition *option = exactDefinition(definitions(context.pageId), text)) {
                addOption(word, text, context.pageId, *option);
                continue;
            }
        }
        if (prefix) {
            if ((prefix->takesAssignments && isAssignment(text)) || operandsBeforeCommand-- > 0) {
                add(Part::Kind::operand, word, text);
                continue;
            }
            return index - 1;
        }
        if (!optionsEnded && explainDashlessOption(word, context))
            continue;
        if (!optionsEnded && context.subcommandAllowed) {
            context.subcommandAllowed = false;
            if (explainSubcommand(word, context))
                continue;
        }
        add(Part::Kind::operand, word, text);
    }
    return index;
}

// A word that starts with a dash: a long option, a one-dash long option ("-name"), or a cluster of letters.
qsizetype Session::explainOption(const SimpleCommand &words, qsizetype index, const Context &context)
{
    const Word &word = words.at(index);
    const QString &text = word.text;
    const QString &pageId = context.pageId;
    const QList<OptionDefinition> options = definitions(pageId);
    const auto followingArgument = [&](const OptionDefinition &option, const QString &spelling) {
        const qsizetype next = index + 1;
        if (!option.takesArgument || option.argumentIsOptional || next >= words.size())
            return next;
        addArgument(words.at(next), words.at(next).text, spelling);
        return next + 1;
    };
    if (text.startsWith(u"--")) {
        const qsizetype equals = text.indexOf(u'=');
        const QString name = equals < 0 ? text : text.left(equals);
        const OptionDefinition *option = OptionIndex::find(options, name);
        if (!option) {
            add(Part::Kind::unknown, word, text, pageId);
            return index + 1;
        }
        const QString spelling = spellingFor(*option, name);
        addOption(word, name, pageId, *option);
        if (equals < 0)
            return followingArgument(*option, spelling);
        addArgument(word, text.mid(equals + 1), spelling);
        return index + 1;
    }
    if (const OptionDefinition *option = exactDefinition(options, text)) {
        addOption(word, text, pageId, *option);
        return followingArgument(*option, text);
    }
    if (!exactDefinition(options, text.left(2))) {
        add(Part::Kind::unknown, word, text, pageId);
        return index + 1;
    }
    for (qsizetype letterIndex = 1; letterIndex < text.size(); ++letterIndex) {
        const QString letter = QString(u'-') + text.at(letterIndex);
        const OptionDefinition *option = exactDefinition(options, letter);
        if (!option) {
            add(Part::Kind::unknown, word, letter, pageId);
            continue;
        }
        addOption(word, letter, pageId, *option);
        if (!option->takesArgument)
            continue;
        // getopt: a letter that takes an argument takes the rest of the cluster, else the next word.
        if (letterIndex + 1 < text.size()) {
            addArgument(word, text.mid(letterIndex + 1), letter);
            return index + 1;
        }
        return followingArgument(*option, letter);
    }
    return index + 1;
}

// "bs=1M" where the page defines "bs", a dashless option it defines ("a"), or letters that each are one
// (ps's "aux").
bool Session::explainDashlessOption(const Word &word, const Context &context)
{
    const QString &text = word.text;
    const QList<OptionDefinition> options = definitions(context.pageId);
    if (options.isEmpty())
        return false;
    if (const qsizetype equals = text.indexOf(u'='); equals > 0) {
        const QString key = text.left(equals);
        const OptionDefinition *option = exactDefinition(options, key);
        if (!option)
            return false;
        addOption(word, key, context.pageId, *option);
        addArgument(word, text.mid(equals + 1), key);
        return true;
    }
    const OptionDefinition *whole = exactDefinition(options, text);
    if (whole && whole->kind == OptionDefinition::Kind::option) {
        addOption(word, text, context.pageId, *whole);
        return true;
    }
    if (text.isEmpty() || text.size() > kMaxLetterClusterLength)
        return false;
    QList<const OptionDefinition *> letters;
    for (const QChar letter : text) {
        const OptionDefinition *option
            = letter.isLetter() ? exactDefinition(options, QString(letter)) : nullptr;
        if (!option || option->kind != OptionDefinition::Kind::option)
            return false;
        letters.append(option);
    }
    for (qsizetype i = 0; i < letters.size(); ++i)
        addOption(word, QString(text.at(i)), context.pageId, *letters.at(i));
    return true;
}

// The first operand as a subcommand: a page NAME-WORD ("git-commit"), a subcommand the page defines
// ("systemctl restart"), or an abbreviation of one with a page of its own ("ip addr": ip-address).
bool Session::explainSubcommand(const Word &word, Context &context)
{
    const QString &text = word.text;
    if (context.pageId.isEmpty() || context.depth >= kMaxSubcommandDepth || !looksLikeSubcommand(text))
        return false;
    const auto enter = [&](const QString &name, const PageSummary &summary) {
        add(Part::Kind::command, word, text, summary.pageId).description = summary.description;
        context = Context { summary.pageId, name, context.depth + 1, true };
        return true;
    };
    const QString name = context.name + u'-' + text;
    if (const std::optional<PageSummary> summary = page(name))
        return enter(name, *summary);
    const QList<OptionDefinition> options = definitions(context.pageId);
    if (const OptionDefinition *defined = exactDefinition(options, text);
        defined && defined->kind == OptionDefinition::Kind::subcommand) {
        addOption(word, text, context.pageId, *defined);
        return true;
    }
    qsizetype tries = 0;
    for (const OptionDefinition &option : options) {
        if (option.kind != OptionDefinition::Kind::subcommand)
            continue;
        for (const QString &spelling : option.spellings) {
            if (!spelling.startsWith(text) || spelling == text)
                continue;
            if (++tries > kMaxAbbreviationTries)
                return false;
            const QString fullName = context.name + u'-' + spelling;
            if (const std::optional<PageSummary> summary = page(fullName))
                return enter(fullName, *summary);
        }
    }
    return false;
}

} // namespace

QList<Part> explain(QStringView line, const Sources &sources)
{
    Session session(sources);
    for (const SimpleCommand &command : CommandLineWords::simpleCommands(line))
        session.explainCommand(command);
    return session.takeParts();
}

QString rowText(const Part &part)
{
    const QChar tab = u'\t';
    switch (part.kind) {
    case Part::Kind::command:
        return u"command\t" + field(part.text) + tab + field(part.pageId) + tab + field(part.description);
    case Part::Kind::option:
        return u"option\t" + field(part.text) + tab + field(part.pageId) + tab + field(part.anchor) + tab
            + field(part.description);
    case Part::Kind::argument:
        return u"argument\t" + field(part.text) + tab + field(part.option);
    case Part::Kind::operand:
        return u"operand\t" + field(part.text);
    case Part::Kind::unknown:
        return u"unknown\t" + field(part.text) + tab + field(part.pageId);
    }
    return QString();
}

} // namespace Lectorin::CommandLineExplainer
