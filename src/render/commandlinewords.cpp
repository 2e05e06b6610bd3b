// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/commandlinewords.h"

#include <utility>

namespace Lectorin::CommandLineWords {
namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

bool isDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

class Splitter
{
public:
    explicit Splitter(QStringView line)
        : m_line(line)
    { }

    QList<SimpleCommand> run();

private:
    QChar at(qsizetype position) const { return position < m_line.size() ? m_line.at(position) : QChar(); }
    qsizetype closingQuote(qsizetype opening) const;
    qsizetype backquoteEnd(qsizetype opening) const;
    qsizetype balancedEnd(qsizetype opening) const;
    void startWord();
    void appendVerbatim(qsizetype end);
    void readDoubleQuoted();
    void readAnsiQuoted();
    void readRedirection();
    void finishWord();
    void finishCommand();

    QStringView m_line;
    qsizetype m_position = 0;
    Word m_word;
    bool m_inWord = false;
    // The word after a redirection operator is its target, not an argument.
    bool m_wordIsRedirectionTarget = false;
    SimpleCommand m_command;
    QList<SimpleCommand> m_commands;
};

// The position after the double quote that closes the one at `opening`, or the end of the line.
qsizetype Splitter::closingQuote(qsizetype opening) const
{
    for (qsizetype i = opening + 1; i < m_line.size(); ++i) {
        if (m_line.at(i) == u'\\')
            ++i;
        else if (m_line.at(i) == u'"')
            return i + 1;
    }
    return m_line.size();
}

qsizetype Splitter::backquoteEnd(qsizetype opening) const
{
    for (qsizetype i = opening + 1; i < m_line.size(); ++i) {
        if (m_line.at(i) == u'\\')
            ++i;
        else if (m_line.at(i) == u'`')
            return i + 1;
    }
    return m_line.size();
}

// A substitution's end: the bracket that balances the one at `opening`, skipping quoted text.
qsizetype Splitter::balancedEnd(qsizetype opening) const
{
    int depth = 0;
    for (qsizetype i = opening; i < m_line.size(); ++i) {
        const QChar c = m_line.at(i);
        if (c == u'\\') {
            ++i;
        } else if (c == u'\'') {
            i = m_line.indexOf(u'\'', i + 1);
            if (i < 0)
                return m_line.size();
        } else if (c == u'"') {
            i = closingQuote(i) - 1;
        } else if (c == u'(' || c == u'{') {
            ++depth;
        } else if ((c == u')' || c == u'}') && --depth == 0) {
            return i + 1;
        }
    }
    return m_line.size();
}

void Splitter::startWord()
{
    if (m_inWord)
        return;
    m_inWord = true;
    m_word = Word { QString(), m_position, 0, false };
}

void Splitter::appendVerbatim(qsizetype end)
{
    m_word.text.append(m_line.sliced(m_position, end - m_position));
    m_position = end;
}

void Splitter::readDoubleQuoted()
{
    m_word.quoted = true;
    ++m_position;
    while (m_position < m_line.size() && m_line.at(m_position) != u'"') {
        const QChar c = m_line.at(m_position);
        const QChar next = at(m_position + 1);
        if (c == u'\\' && QStringView(u"$`\"\\\n").contains(next) && !next.isNull()) {
            if (next != u'\n')
                m_word.text.append(next);
            m_position += 2;
        } else if (c == u'$' && (next == u'(' || next == u'{')) {
            appendVerbatim(balancedEnd(m_position + 1));
        } else if (c == u'`') {
            appendVerbatim(backquoteEnd(m_position));
        } else {
            m_word.text.append(c);
            ++m_position;
        }
    }
    if (m_position < m_line.size())
        ++m_position;
}

void Splitter::readAnsiQuoted()
{
    m_word.quoted = true;
    m_position += 2;
    while (m_position < m_line.size() && m_line.at(m_position) != u'\'') {
        const QChar c = m_line.at(m_position);
        if (c != u'\\' || m_position + 1 >= m_line.size()) {
            m_word.text.append(c);
            ++m_position;
            continue;
        }
        const QChar next = m_line.at(m_position + 1);
        switch (next.unicode()) {
        case u'n':
            m_word.text.append(u'\n');
            break;
        case u't':
            m_word.text.append(u'\t');
            break;
        case u'\\':
        case u'\'':
        case u'"':
            m_word.text.append(next);
            break;
        default:
            m_word.text.append(c).append(next);
        }
        m_position += 2;
    }
    if (m_position < m_line.size())
        ++m_position;
}

// "<", ">", ">>", "<<", "<<-", "<<<", "<&", ">&", "<>", ">|", "&>", "&>>", after an optional descriptor.
void Splitter::readRedirection()
{
    // "2>": unquoted digits just before the operator name the descriptor.
    if (m_inWord && !m_word.quoted && isDigits(m_word.text))
        m_inWord = false;
    else
        finishWord();
    QChar first = m_line.at(m_position++);
    if (first == u'&')
        first = m_line.at(m_position++);
    if (at(m_position) == first)
        ++m_position;
    if (first == u'<' && (at(m_position) == u'<' || at(m_position) == u'-'))
        ++m_position;
    if (at(m_position) == u'&' || at(m_position) == u'|' || (first == u'<' && at(m_position) == u'>'))
        ++m_position;
    m_wordIsRedirectionTarget = true;
}

void Splitter::finishWord()
{
    if (!m_inWord)
        return;
    m_inWord = false;
    if (m_wordIsRedirectionTarget) {
        m_wordIsRedirectionTarget = false;
        return;
    }
    m_word.length = m_position - m_word.start;
    m_command.append(std::move(m_word));
}

void Splitter::finishCommand()
{
    finishWord();
    m_wordIsRedirectionTarget = false;
    if (!m_command.isEmpty())
        m_commands.append(std::exchange(m_command, {}));
}

QList<SimpleCommand> Splitter::run()
{
    while (m_position < m_line.size()) {
        const QChar c = m_line.at(m_position);
        const QChar next = at(m_position + 1);
        if (isBlank(c)) {
            finishWord();
            ++m_position;
        } else if (c == u'#' && !m_inWord) {
            const qsizetype lineEnd = m_line.indexOf(u'\n', m_position);
            m_position = lineEnd < 0 ? m_line.size() : lineEnd;
        } else if ((c == u'<' || c == u'>') && next == u'(') {
            startWord();
            appendVerbatim(balancedEnd(m_position + 1));
        } else if (c == u'<' || c == u'>' || (c == u'&' && next == u'>')) {
            readRedirection();
        } else if (c == u'\n' || c == u';' || c == u'|' || c == u'&' || c == u'(' || c == u')') {
            finishCommand();
            ++m_position;
            // The second character of "||", "|&", "&&", ";;" and ";&".
            if ((c == u'|' && (next == u'|' || next == u'&')) || (c == u'&' && next == u'&')
                || (c == u';' && (next == u';' || next == u'&')))
                ++m_position;
        } else {
            startWord();
            if (c == u'\\') {
                // A backslash before a newline joins the lines; one at the very end stays itself.
                if (next.isNull())
                    m_word.text.append(c);
                else if (next != u'\n')
                    m_word.text.append(next);
                m_word.quoted = true;
                m_position += next.isNull() ? 1 : 2;
            } else if (c == u'\'') {
                const qsizetype closing = m_line.indexOf(u'\'', m_position + 1);
                const qsizetype end = closing < 0 ? m_line.size() : closing;
                m_word.text.append(m_line.sliced(m_position + 1, end - m_position - 1));
                m_word.quoted = true;
                m_position = closing < 0 ? end : end + 1;
            } else if (c == u'"') {
                readDoubleQuoted();
            } else if (c == u'$' && next == u'\'') {
                readAnsiQuoted();
            } else if (c == u'$' && (next == u'(' || next == u'{')) {
                appendVerbatim(balancedEnd(m_position + 1));
            } else if (c == u'`') {
                appendVerbatim(backquoteEnd(m_position));
            } else {
                m_word.text.append(c);
                ++m_position;
            }
        }
    }
    finishCommand();
    return m_commands;
}

} // namespace

QList<SimpleCommand> simpleCommands(QStringView line)
{
    return Splitter(line).run();
}

} // namespace Lectorin::CommandLineWords
