// SPDX-License-Identifier: GPL-3.0-or-later
// OptionIndex::fromHelpText: the definitions of a command's --help output, as GNU and argparse lay them out.
#include "render/optionindex.h"

#include <QRegularExpression>

namespace Lectorin::OptionIndex {
namespace {

// Lines wider than any help text are not read past this.
constexpr qsizetype kLineLimit = 4096;

struct Term
{
    QStringList spellings;
    bool takesArgument = false;
    bool argumentIsOptional = false;
};

QString expandTabs(QStringView line)
{
    QString expanded;
    for (const QChar c : line.left(kLineLimit)) {
        if (c == u'\t')
            expanded.append(QString(8 - expanded.size() % 8, u' '));
        else
            expanded.append(c);
    }
    return expanded;
}

qsizetype indentOf(QStringView line)
{
    qsizetype indent = 0;
    while (indent < line.size() && line.at(indent) == u' ')
        ++indent;
    return indent;
}

// "-a", "--block-size=SIZE", "--color[=WHEN]", "-f FILE", "-o <file>", "--[no-]pager"; nothing when the
// group is no option.
std::optional<Term> parseGroup(const QString &group)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(--?)(\[no-\])?([A-Za-z0-9?#@][A-Za-z0-9_.?#@-]*)(?:(\[?)(?:[= ]|(?=<))(\S.*))?$)"));
    const QRegularExpressionMatch match = pattern.match(group);
    if (!match.hasMatch())
        return std::nullopt;
    Term term;
    const QString dashes = match.captured(1);
    term.spellings.append(dashes + match.captured(3));
    if (match.hasCaptured(2))
        term.spellings.append(dashes + u"no-" + match.captured(3));
    term.takesArgument = match.hasCaptured(5);
    term.argumentIsOptional = !match.captured(4).isEmpty() || match.captured(5).startsWith(u'[');
    return term;
}

// Each option with the words after it that are no options: "-f FILE" is one, "-depth -maxdepth LEVELS" two.
QStringList groupsOf(QStringView item)
{
    QStringList groups;
    for (const QStringView token : item.tokenize(u' ', Qt::SkipEmptyParts)) {
        if (token.startsWith(u'-') || groups.isEmpty())
            groups.append(token.toString());
        else
            groups.last().append(u' ').append(token);
    }
    return groups;
}

// "-k, --key=KEYDEF" and "--output OUTPUT, -o OUTPUT" are one definition; each option of a list without
// commas, as find packs them ("-depth -maxdepth LEVELS"), is one of its own. Empty for text that is no term.
QList<Term> parseTerm(QStringView text)
{
    static const QRegularExpression separator(QStringLiteral(R"(,\s*(?=-))"));
    const QList<QStringView> items = text.trimmed().split(separator);
    const bool packed = items.size() == 1;
    QList<Term> terms;
    Term joined;
    for (const QStringView item : items) {
        for (const QString &group : groupsOf(item)) {
            const std::optional<Term> parsed = parseGroup(group);
            if (!parsed)
                return {};
            if (packed) {
                terms.append(*parsed);
                continue;
            }
            joined.spellings.append(parsed->spellings);
            joined.takesArgument = joined.takesArgument || parsed->takesArgument;
            joined.argumentIsOptional = joined.argumentIsOptional || parsed->argumentIsOptional;
        }
    }
    if (!packed)
        terms.append(joined);
    return terms;
}

// The text up to the end of the first sentence: a full stop, question or exclamation mark followed by a
// capital letter, or the end.
QString firstSentence(const QString &text)
{
    static const QRegularExpression end(QStringLiteral(R"([.!?](?=\s+\p{Lu}))"));
    const QString folded = text.simplified();
    const QRegularExpressionMatch match = end.match(folded);
    return match.hasMatch() ? folded.left(match.capturedEnd()) : folded;
}

bool isCommandsHeading(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    return trimmed.endsWith(u':') && trimmed.contains(QLatin1String("command"), Qt::CaseInsensitive)
        && trimmed.size() < 60;
}

} // namespace

QList<OptionDefinition> fromHelpText(const QString &helpText)
{
    static const QRegularExpression termEnd(QStringLiteral(R"( {2,})"));
    static const QRegularExpression subcommandLine(QStringLiteral(R"(^([a-z][a-z0-9_-]*)(?: {2,}(\S.*))?$)"));
    // dd's "bs=BYTES".
    static const QRegularExpression keyValueTerm(QStringLiteral(R"(^([a-z][a-z0-9_]*)=\S+$)"));
    QList<OptionDefinition> definitions;
    QString text;
    // The definitions of the line being read, from this index; -1 between definitions.
    qsizetype firstOfLine = -1;
    qsizetype termIndent = -1;
    // Where the first line's text started; a continuation there may start with a dash ("-l is implied").
    qsizetype textColumn = -1;
    bool inCommands = false;
    const auto finish = [&] {
        if (firstOfLine >= 0) {
            const QString sentence = firstSentence(text);
            for (qsizetype i = firstOfLine; i < definitions.size(); ++i)
                definitions[i].definition = sentence;
        }
        firstOfLine = termIndent = textColumn = -1;
        text.clear();
    };
    for (const QStringView rawLine : QStringView(helpText).split(u'\n')) {
        const QString line = expandTabs(rawLine);
        const qsizetype indent = indentOf(line);
        if (indent == line.size()) {
            finish();
            continue;
        }
        const QStringView content = QStringView(line).sliced(indent);
        const bool startsOption = content.front() == u'-';
        if (termIndent >= 0 && indent > termIndent
            && (!startsOption || (textColumn >= 0 && indent >= textColumn))) {
            text.append(u' ').append(content);
            continue;
        }
        finish();
        if (indent == 0)
            inCommands = isCommandsHeading(content);
        const QRegularExpressionMatch split = termEnd.match(content);
        const QStringView termText = split.hasMatch() ? content.first(split.capturedStart()) : content;
        const qsizetype before = definitions.size();
        if (startsOption) {
            for (const Term &term : parseTerm(termText))
                definitions.append({ OptionDefinition::Kind::option, QString(), term.spellings,
                    term.takesArgument, term.argumentIsOptional, QString() });
        } else if (const QRegularExpressionMatch key = keyValueTerm.match(termText); key.hasMatch()) {
            definitions.append(
                { OptionDefinition::Kind::option, QString(), { key.captured(1) }, true, false, QString() });
        } else if (const QRegularExpressionMatch word = subcommandLine.match(content);
                   inCommands && indent > 0 && word.hasMatch()) {
            definitions.append({ OptionDefinition::Kind::subcommand, QString(), { word.captured(1) }, false,
                false, QString() });
        }
        if (definitions.size() == before)
            continue;
        firstOfLine = before;
        termIndent = indent;
        if (split.hasMatch()) {
            text = content.sliced(split.capturedEnd()).toString();
            textColumn = indent + split.capturedEnd();
        }
    }
    finish();
    return definitions;
}

} // namespace Lectorin::OptionIndex
