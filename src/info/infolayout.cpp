// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infolayout.h"

#include "info/infomarkup.h"

#include <QRegularExpression>

#include <algorithm>

namespace Lectorin::InfoLayout {
namespace {

// makeinfo fills to column 72. A line break before a word that would still have fitted in this many columns
// was made by the author, not by filling; the margin allows for other fill widths and wide characters.
constexpr qsizetype kFilledWidth = 62;
// Indentation steps of makeinfo: examples, quotations and table descriptions go five columns in.
constexpr int kIndentStep = 5;

int indentOf(const QString &line)
{
    int indent = 0;
    while (indent < line.size() && line[indent] == u' ')
        ++indent;
    return indent;
}

int levelOf(int indent)
{
    return std::clamp((indent + 1) / kIndentStep, 0, 6);
}

qsizetype firstWordLength(const QString &line)
{
    const int start = indentOf(line);
    const qsizetype space = line.indexOf(u' ', start);
    return (space < 0 ? line.size() : space) - start;
}

// The column where an item's text starts after its bullet or number ("   • text", "  1. text"); -1 without.
int itemTextColumn(const QString &line)
{
    static const QRegularExpression marker(
        QStringLiteral("^ *(?:[\u2022*\u2013-]|\\d{1,3}\\.|[a-zA-Z]\\.) +(?=\\S)"));
    const QRegularExpressionMatch match = marker.match(line);
    return match.hasMatch() ? int(match.capturedLength()) : -1;
}

// Every line break falls where the next word would not have fitted: makeinfo filled these lines.
bool isFilled(const QStringList &lines)
{
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].size() + 1 + firstWordLength(lines[i + 1]) <= kFilledWidth)
            return false;
    }
    return true;
}

QString joined(const QStringList &lines, int dedent)
{
    QStringList cut;
    for (const QString &line : lines)
        cut.append(line.mid(std::min(dedent, indentOf(line))));
    return cut.join(u'\n');
}

class Layout
{
public:
    explicit Layout(QStringList lines)
        : m_lines(std::move(lines))
    { }

    QList<InfoBlock> run()
    {
        qsizetype i = 0;
        while (i < m_lines.size()) {
            if (m_lines[i].isEmpty()) {
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < m_lines.size() && !m_lines[end].isEmpty())
                ++end;
            block(i, end);
            i = end;
        }
        return m_blocks;
    }

private:
    void add(InfoBlock::Kind kind, int level, const QString &text, qsizetype line, QStringList terms = {})
    {
        m_blocks.append({ kind, level, text, std::move(terms), std::nullopt, int(line) });
    }

    void block(qsizetype begin, qsizetype end)
    {
        for (; begin < end && InfoText::isFootnotesSeparator(m_lines[begin]); ++begin) {
            add(InfoBlock::Kind::footnotes, 0, {}, begin);
            m_context = 0;
            m_inMenu = false;
        }
        if (begin == end)
            return;
        if (end - begin == 2) {
            if (const int rank = InfoText::headingLevel(m_lines[begin], m_lines[begin + 1]); rank > 0) {
                add(InfoBlock::Kind::heading, rank, m_lines[begin].trimmed(), begin);
                m_context = 0;
                m_inMenu = false;
                return;
            }
        }
        if (m_lines[begin].startsWith(u"* Menu:", Qt::CaseInsensitive)) {
            m_inMenu = true;
            if (begin + 1 < end)
                menu(begin + 1, end);
            return;
        }
        if (m_inMenu) {
            menu(begin, end);
            return;
        }
        text(begin, end);
    }

    // Entries start with "* " and run on over the lines that follow; other lines are comments.
    void menu(qsizetype begin, qsizetype end)
    {
        qsizetype i = begin;
        while (i < end) {
            qsizetype next = i + 1;
            if (m_lines[i].startsWith(u"* ")) {
                while (next < end && !m_lines[next].startsWith(u"* "))
                    ++next;
                const QString entryText = m_lines.mid(i, next - i).join(u'\n');
                if (const auto entry = InfoText::parseMenuEntry(QStringView(entryText).sliced(2))) {
                    m_blocks.append({ InfoBlock::Kind::menuEntry, 0, entryText, {}, entry, int(i) });
                } else {
                    add(InfoBlock::Kind::menuComment, 0, entryText, i);
                }
            } else {
                while (next < end && !m_lines[next].startsWith(u"* "))
                    ++next;
                add(InfoBlock::Kind::menuComment, 0, joined(m_lines.mid(i, next - i), 0), i);
            }
            i = next;
        }
    }

    // A stretch of lines inside a block: text at the block's indentation, text indented below it (an example,
    // a quotation, a table item's description), or a list item with its lines lined up after the marker.
    struct Run
    {
        enum class Shape
        {
            text,
            deep,
            item
        };
        qsizetype begin = 0;
        qsizetype end = 0;
        Shape shape = Shape::text;
        int column = 0;
    };

    void text(qsizetype begin, qsizetype end)
    {
        const QStringList lines = m_lines.mid(begin, end - begin);
        const int base = minimumIndent(lines);
        if (base > m_context + 3) {
            flat(begin, end, m_context);
            return;
        }
        if (itemTextColumn(lines.first()) < 0 && isProse(lines, m_context)) {
            flat(begin, end, m_context);
            return;
        }
        const QList<Run> runs = runsOf(begin, end, base);
        for (qsizetype k = 0; k < runs.size(); ++k) {
            const Run &run = runs[k];
            if (run.shape == Run::Shape::item) {
                add(InfoBlock::Kind::item, levelOf(run.column),
                    joined(m_lines.mid(run.begin, run.end - run.begin), indentOf(m_lines[run.begin])),
                    run.begin);
                m_context = run.column;
            } else if (run.shape == Run::Shape::text && k + 1 < runs.size()
                && runs[k + 1].shape == Run::Shape::deep && looksLikeTerms(run)) {
                tableItem(run, runs[k + 1].begin, runs[k + 1].end);
                ++k;
            } else if (run.shape == Run::Shape::text && k + 1 == runs.size() && looksLikeTerms(run)
                && describedBelow(end, base)) {
                tableItem(run, run.end, run.end);
            } else {
                flat(run.begin, run.end, base);
            }
        }
    }

    QList<Run> runsOf(qsizetype begin, qsizetype end, int base) const
    {
        QList<Run> runs;
        for (qsizetype i = begin; i < end; ++i) {
            const int indent = indentOf(m_lines[i]);
            const int column = itemTextColumn(m_lines[i]);
            if (column >= 0 && indent <= base + 3) {
                runs.append({ i, i + 1, Run::Shape::item, column });
                continue;
            }
            if (!runs.isEmpty() && runs.last().shape == Run::Shape::item && indent == runs.last().column) {
                runs.last().end = i + 1;
                continue;
            }
            const auto shape = indent >= base + 4 ? Run::Shape::deep : Run::Shape::text;
            // A line ending in a colon introduces what follows: it ends its run.
            const bool introduced = i > begin && m_lines[i - 1].endsWith(u':');
            if (!runs.isEmpty() && runs.last().shape == shape && !(shape == Run::Shape::text && introduced)) {
                runs.last().end = i + 1;
                continue;
            }
            runs.append({ i, i + 1, shape, 0 });
        }
        return runs;
    }

    // Lines flush with each other that name what the indented lines after them describe: "‘-a’", "‘--all’".
    bool looksLikeTerms(const Run &run) const
    {
        const QStringList lines = m_lines.mid(run.begin, run.end - run.begin);
        const int indent = indentOf(lines.first());
        if (lines.last().endsWith(u':')
            || !std::all_of(lines.cbegin(), lines.cend(),
                [indent](const QString &line) { return indentOf(line) == indent; }))
            return false;
        if (lines.size() > 1)
            return !isFilled(lines);
        const QString term = lines.first().trimmed();
        static const QString kTermStarts = QStringLiteral("\u2018'`\"\u201C-");
        if (kTermStarts.contains(term.front()))
            return true;
        return term.split(u' ', Qt::SkipEmptyParts).size() <= 4 && !term.endsWith(u'.');
    }

    bool describedBelow(qsizetype end, int base) const
    {
        qsizetype next = end;
        while (next < m_lines.size() && m_lines[next].isEmpty())
            ++next;
        return next < m_lines.size() && indentOf(m_lines[next]) >= base + 4 && !m_inMenu;
    }

    void tableItem(const Run &terms, qsizetype bodyBegin, qsizetype bodyEnd)
    {
        QStringList names;
        for (qsizetype i = terms.begin; i < terms.end; ++i)
            names.append(m_lines[i].trimmed());
        const QStringList body = m_lines.mid(bodyBegin, bodyEnd - bodyBegin);
        const bool prose = body.isEmpty() || isProse(body, indentOf(body.first()));
        add(prose ? InfoBlock::Kind::paragraph : InfoBlock::Kind::preformatted,
            levelOf(indentOf(m_lines[terms.begin])),
            body.isEmpty() ? QString() : joined(body, minimumIndent(body)), terms.begin, names);
        if (!body.isEmpty()) {
            m_context = indentOf(body.first());
        } else {
            qsizetype next = bodyEnd;
            while (next < m_lines.size() && m_lines[next].isEmpty())
                ++next;
            m_context = next < m_lines.size() ? indentOf(m_lines[next]) : m_context;
        }
    }

    // Lines of one kind: paragraphs when filled, else kept as they are.
    void flat(qsizetype begin, qsizetype end, int context)
    {
        const QList<std::pair<qsizetype, qsizetype>> paragraphs = paragraphsOf(begin, end, context);
        for (const auto &[first, last] : paragraphs) {
            const QStringList lines = m_lines.mid(first, last - first);
            const int indent = indentOf(lines.first());
            const int continuation = lines.size() > 1 ? indentOf(lines[1]) : indent;
            add(InfoBlock::Kind::paragraph, levelOf(continuation), joined(lines, indent), first);
            if (lines.size() > 1)
                m_context = continuation;
            else if (indent + 4 <= m_context)
                m_context = indent / kIndentStep * kIndentStep;
        }
        if (!paragraphs.isEmpty())
            return;
        const QStringList lines = m_lines.mid(begin, end - begin);
        QStringList expanded;
        for (const QString &line : lines)
            expanded.append(InfoMarkup::expandTabs(line));
        const int indent = minimumIndent(expanded);
        add(InfoBlock::Kind::preformatted, levelOf(indent), joined(expanded, indent), begin);
    }

    static int minimumIndent(const QStringList &lines)
    {
        int indent = indentOf(lines.first());
        for (const QString &line : lines)
            indent = std::min(indent, indentOf(line));
        return indent;
    }

    // The paragraphs the lines make, when every line belongs to one: some manuals start a paragraph on the
    // line after a sentence ends, with no blank line between. Nothing when some lines are not prose.
    QList<std::pair<qsizetype, qsizetype>> paragraphsOf(qsizetype begin, qsizetype end, int context) const
    {
        const QStringList lines = m_lines.mid(begin, end - begin);
        if (isProse(lines, context))
            return { { begin, end } };
        QList<std::pair<qsizetype, qsizetype>> paragraphs;
        qsizetype start = begin;
        for (qsizetype i = begin + 1; i <= end; ++i) {
            const bool sentenceEnds = i < end && QStringView(u".!?:").contains(m_lines[i - 1].back())
                && !isFilled({ m_lines[i - 1], m_lines[i] });
            const bool indentedStart
                = i < end && i > start + 1 && indentOf(m_lines[i]) > indentOf(m_lines[i - 1]);
            if (i < end && !sentenceEnds && !indentedStart)
                continue;
            if (!isProse(m_lines.mid(start, i - start), context))
                return {};
            paragraphs.append({ start, i });
            start = i;
        }
        return paragraphs;
    }

    // Filled lines sharing one indentation, the first maybe indented a little more as a paragraph's is.
    static bool isProse(const QStringList &lines, int context)
    {
        const int first = indentOf(lines.first());
        if (lines.size() == 1)
            return first <= context + 3;
        const int continuation = indentOf(lines[1]);
        for (qsizetype i = 2; i < lines.size(); ++i) {
            if (indentOf(lines[i]) != continuation)
                return false;
        }
        return first >= continuation && first <= continuation + 3 && isFilled(lines);
    }

    QStringList m_lines;
    QList<InfoBlock> m_blocks;
    // The indentation of the text the next block belongs to: 0 at the left, more inside a table item.
    int m_context = 0;
    bool m_inMenu = false;
};

} // namespace

QList<InfoBlock> blocks(QStringView text)
{
    return Layout(InfoMarkup::readableLines(text)).run();
}

} // namespace Lectorin::InfoLayout
