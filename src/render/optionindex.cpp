// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/optionindex.h"

#include "render/htmltext.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace Lectorin::OptionIndex {
namespace {

using Kind = OptionDefinition::Kind;

// An element of the fragment: where its start tag, its content and its end tag lie.
struct Element
{
    qsizetype start = -1; // of the start tag
    qsizetype contentStart = -1;
    qsizetype contentEnd = -1; // where the end tag begins
    qsizetype end = -1; // after the end tag
};

// The element whose start tag begins at `start`, with nested elements of its name skipped; nothing when it
// is not closed.
std::optional<Element> elementAt(const QString &html, qsizetype start, QLatin1StringView name)
{
    const qsizetype openEnd = html.indexOf(u'>', start);
    if (openEnd < 0)
        return std::nullopt;
    const QString open = u'<' + name;
    const QString close = QStringLiteral("</") + name + u'>';
    // "<p" must not take "<pre" for one of its own.
    const auto nextStartTag = [&](qsizetype from) {
        for (qsizetype found = html.indexOf(open, from); found >= 0; found = html.indexOf(open, found + 1)) {
            const qsizetype after = found + open.size();
            if (after < html.size() && (html.at(after) == u'>' || html.at(after) == u' '))
                return found;
        }
        return qsizetype(-1);
    };
    int depth = 1;
    qsizetype at = openEnd + 1;
    while (depth > 0) {
        const qsizetype nextOpen = nextStartTag(at);
        const qsizetype nextClose = html.indexOf(close, at);
        if (nextClose < 0)
            return std::nullopt;
        if (nextOpen >= 0 && nextOpen < nextClose) {
            depth += 1;
            at = nextOpen + open.size();
            continue;
        }
        depth -= 1;
        at = nextClose + close.size();
        if (depth == 0)
            return Element { start, openEnd + 1, nextClose, at };
    }
    return std::nullopt;
}

// The term's names and whether they take an argument, or nothing when it does not start with an option (nor,
// where `subcommandsAllowed`, with a lone word).
struct Term
{
    Kind kind = Kind::option;
    QStringList spellings;
    bool takesArgument = false;
    bool argumentIsOptional = false;
};

const QRegularExpression &optionName()
{
    static const QRegularExpression pattern(QStringLiteral("^(?:--?|\\+)[A-Za-z0-9?@#][A-Za-z0-9_.?@#+-]*"));
    return pattern;
}

// One alternative of a term: "-f FILE", "--block-size=SIZE", "--color[=WHEN]", "-name pattern".
void addAlternative(Term &term, QStringView alternative)
{
    const QRegularExpressionMatch name = optionName().match(alternative);
    if (!name.hasMatch())
        return;
    term.spellings.append(name.captured());
    QStringView rest = alternative.sliced(name.capturedLength()).trimmed();
    if (rest.isEmpty())
        return;
    term.takesArgument = true;
    if (rest.startsWith(u'['))
        term.argumentIsOptional = true;
}

// `inCommandSection`: a lone word names a subcommand; `inOptionSection`: a bold letter or two is an option
// written without a dash, as ps(1) writes its BSD options.
std::optional<Term> parseTerm(const QString &text, bool inCommandSection, bool inOptionSection, bool allBold)
{
    // Pages that write hyphens or minus signs as typographic characters mean the option's dash.
    QString trimmed = text.trimmed();
    for (QChar &character : trimmed) {
        if (character == QChar(0x2010) || character == QChar(0x2011) || character == QChar(0x2212))
            character = u'-';
    }
    if (trimmed.isEmpty())
        return std::nullopt;
    Term term;
    if (optionName().match(trimmed).hasMatch()) {
        // "-a, --all", "-C <commit>, --reuse-message=<commit>", "-h or --help".
        static const QRegularExpression separators(QStringLiteral(",\\s+|\\s+or\\s+|\\s*\\|\\s*"));
        for (const QString &alternative : trimmed.split(separators, Qt::SkipEmptyParts))
            addAlternative(term, alternative);
        if (term.spellings.isEmpty())
            return std::nullopt;
        return term;
    }
    // "if=FILE" (dd's operands), a subcommand's word in a commands section, a BSD-style option letter.
    static const QRegularExpression word(QStringLiteral("^([A-Za-z][A-Za-z0-9_.-]*)(=?)(.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = word.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    const bool keyValue = !match.captured(2).isEmpty();
    const QString arguments = match.captured(3).trimmed();
    if (keyValue || (inCommandSection && (arguments.isEmpty() || !arguments.front().isLower()))) {
        term.kind = Kind::subcommand;
    } else if (inOptionSection && allBold && arguments.isEmpty() && match.captured(1).size() <= 2) {
        term.kind = Kind::option;
    } else {
        return std::nullopt;
    }
    term.spellings = { match.captured(1) };
    term.takesArgument = keyValue || !arguments.isEmpty();
    term.argumentIsOptional = arguments.startsWith(u'[');
    return term;
}

// The first sentence of a definition: up to a full stop that ends a word other than a usual abbreviation.
QString firstSentence(const QString &text)
{
    static const QRegularExpression end(
        QStringLiteral("(?<=[\\w)\\]\"'])(?<!\\be\\.g|\\bi\\.e|\\betc|\\bcf|\\bvs)[.!?](?=\\s|$)"));
    const QRegularExpressionMatch found = end.match(text);
    QString sentence = found.hasMatch() ? text.left(found.capturedEnd()) : text;
    constexpr qsizetype kLongest = 400;
    if (sentence.size() > kLongest)
        sentence = sentence.left(kLongest - 1).trimmed() + u'…';
    return sentence;
}

QString escapedAttribute(const QString &value)
{
    return QString(value)
        .replace(u'&', QStringLiteral("&amp;"))
        .replace(u'"', QStringLiteral("&quot;"))
        .replace(u'<', QStringLiteral("&lt;"));
}

// Ids as mandoc makes them unique: "name", "name~2", "name~3".
QString uniqueAnchor(const QString &base, QSet<QString> &taken)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.=+-]"));
    QString anchor = QString(base).remove(unsafe);
    while (anchor.startsWith(u'-'))
        anchor.remove(0, 1);
    if (anchor.isEmpty())
        anchor = QStringLiteral("option");
    QString candidate = anchor;
    for (int suffix = 2; taken.contains(candidate); ++suffix)
        candidate = anchor + u'~' + QString::number(suffix);
    taken.insert(candidate);
    return candidate;
}

struct Candidate
{
    qsizetype termTagStart; // "<dt" or "<p"
    Element term;
    Element body;
};

// Definition lists' terms with their descriptions, and DocBook's paragraph-then-indented-block pairs.
QList<Candidate> candidates(const QString &html)
{
    QList<Candidate> found;
    for (qsizetype at = html.indexOf(QLatin1StringView("<dt")); at >= 0;
         at = html.indexOf(QLatin1StringView("<dt"), at + 3)) {
        const std::optional<Element> term = elementAt(html, at, QLatin1StringView("dt"));
        if (!term)
            continue;
        const qsizetype next = html.indexOf(u'<', term->end);
        if (next < 0 || !QStringView(html).sliced(next).startsWith(QLatin1StringView("<dd")))
            continue;
        if (const std::optional<Element> body = elementAt(html, next, QLatin1StringView("dd")))
            found.append({ at, *term, *body });
    }
    const QLatin1StringView paragraph("<p class=\"Pp\">");
    for (qsizetype at = html.indexOf(paragraph); at >= 0; at = html.indexOf(paragraph, at + 2)) {
        const std::optional<Element> term = elementAt(html, at, QLatin1StringView("p"));
        if (!term)
            continue;
        const qsizetype next = html.indexOf(u'<', term->end);
        if (next < 0
            || !QStringView(html).sliced(next).startsWith(QLatin1StringView("<div class=\"Bd-indent\"")))
            continue;
        if (const std::optional<Element> body = elementAt(html, next, QLatin1StringView("div")))
            found.append({ at, *term, *body });
    }
    std::sort(found.begin(), found.end(),
        [](const Candidate &a, const Candidate &b) { return a.termTagStart < b.termTagStart; });
    return found;
}

// A heading of the page: where it begins, whether it heads a section or a subsection, its title.
struct Heading
{
    qsizetype position;
    bool isSection;
    QString title;
};

QList<Heading> headings(const QString &html)
{
    QList<Heading> found;
    static const QRegularExpression heading(QStringLiteral("<h[12] class=\"(S[hs])\"[^>]*>(.*?)</h[12]>"),
        QRegularExpression::DotMatchesEverythingOption);
    for (const QRegularExpressionMatch &match : heading.globalMatch(html))
        found.append({ match.capturedStart(), match.captured(1) == u"Sh",
            HtmlText::plain(match.captured(2)).toUpper() });
    return found;
}

// Whether the subsection or the section a position lies in has one of `words` in its title.
bool isInSectionAbout(
    const QList<Heading> &headings, qsizetype position, std::initializer_list<QLatin1StringView> words)
{
    for (auto heading = headings.crbegin(); heading != headings.crend(); ++heading) {
        if (heading->position > position)
            continue;
        for (const QLatin1StringView word : words) {
            if (heading->title.contains(word))
                return true;
        }
        if (heading->isSection)
            return false;
    }
    return false;
}

bool isAllBold(QStringView termHtml)
{
    static const QRegularExpression bold(
        QStringLiteral("^\\s*(?:<a [^>]*>)?\\s*<(b|code class=\"Fl\")>[^<]*</"));
    return bold.match(termHtml).hasMatch();
}

} // namespace

Indexed index(const QString &mandocFragment)
{
    Indexed indexed;
    QSet<QString> taken;
    static const QRegularExpression ids(QStringLiteral("\\bid=\"([^\"]*)\""));
    for (const QRegularExpressionMatch &match : ids.globalMatch(mandocFragment))
        taken.insert(match.captured(1));
    const QList<Heading> titles = headings(mandocFragment);

    // Attributes to add to start tags, applied from the end so that earlier positions stay valid.
    QList<std::pair<qsizetype, QString>> insertions;
    for (const Candidate &candidate : candidates(mandocFragment)) {
        const QStringView termHtml = QStringView(mandocFragment)
                                         .sliced(candidate.term.contentStart,
                                             candidate.term.contentEnd - candidate.term.contentStart);
        const qsizetype at = candidate.termTagStart;
        const std::optional<Term> term = parseTerm(HtmlText::plain(termHtml),
            isInSectionAbout(titles, at, { QLatin1StringView("COMMAND") }),
            isInSectionAbout(titles, at,
                { QLatin1StringView("OPTION"), QLatin1StringView("SELECTION"), QLatin1StringView("MODIFIER"),
                    QLatin1StringView("FORMAT") }),
            isAllBold(termHtml));
        if (!term)
            continue;
        const QStringView startTag
            = QStringView(mandocFragment)
                  .sliced(candidate.term.start, candidate.term.contentStart - candidate.term.start);
        static const QRegularExpression ownId(QStringLiteral("\\bid=\"([^\"]*)\""));
        const QRegularExpressionMatch existing = ownId.match(startTag);
        QString attributes;
        QString anchor;
        if (existing.hasMatch()) {
            anchor = existing.captured(1);
        } else {
            anchor = uniqueAnchor(term->spellings.constFirst(), taken);
            attributes += QStringLiteral(" id=\"") + escapedAttribute(anchor) + u'"';
        }
        attributes += QStringLiteral(" data-lectorin-option=\"")
            + escapedAttribute(term->spellings.join(u' ')) + u'"';
        insertions.append({ candidate.term.contentStart - 1, attributes });
        const QString body
            = HtmlText::plain(QStringView(mandocFragment)
                                  .sliced(candidate.body.contentStart,
                                      candidate.body.contentEnd - candidate.body.contentStart));
        indexed.definitions.append({ term->kind, anchor, term->spellings, term->takesArgument,
            term->argumentIsOptional, firstSentence(body) });
    }
    indexed.html = mandocFragment;
    for (auto insertion = insertions.crbegin(); insertion != insertions.crend(); ++insertion)
        indexed.html.insert(insertion->first, insertion->second);
    return indexed;
}

const OptionDefinition *find(const QList<OptionDefinition> &definitions, QStringView spelling)
{
    if (spelling.isEmpty())
        return nullptr;
    for (const OptionDefinition &definition : definitions) {
        if (definition.spellings.contains(spelling))
            return &definition;
    }
    // getopt_long takes any unambiguous prefix of a long option.
    if (!spelling.startsWith(QLatin1StringView("--")) || spelling.size() < 3)
        return nullptr;
    const OptionDefinition *prefixed = nullptr;
    for (const OptionDefinition &definition : definitions) {
        const bool matches = std::any_of(definition.spellings.cbegin(), definition.spellings.cend(),
            [spelling](const QString &written) { return written.startsWith(spelling); });
        if (!matches)
            continue;
        if (prefixed)
            return nullptr;
        prefixed = &definition;
    }
    return prefixed;
}

} // namespace Lectorin::OptionIndex
