// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infourl.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace Lectorin::InfoUrl {
namespace {

const QString kTop = QStringLiteral("Top");

QString decoded(QStringView text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// A manual is a file name: no path, no blanks, nothing that would read as the "(manual)" syntax.
bool isManualName(const QString &manual)
{
    if (manual.isEmpty())
        return false;
    return std::none_of(manual.cbegin(), manual.cend(), [](QChar character) {
        return character.isSpace() || character.unicode() < 0x20 || character == u'/' || character == u'('
            || character == u')' || character == u'#';
    });
}

std::optional<InfoReference> reference(const QString &manual, const QString &node)
{
    if (!isManualName(manual))
        return std::nullopt;
    const QString simplified = node.simplified();
    return InfoReference { manual, simplified.isEmpty() ? kTop : simplified };
}

std::optional<InfoReference> parseInternal(QStringView rest)
{
    const qsizetype end = std::min(rest.indexOf(u'#') < 0 ? rest.size() : rest.indexOf(u'#'),
        rest.indexOf(u'?') < 0 ? rest.size() : rest.indexOf(u'?'));
    rest = rest.first(end);
    // The form without a host, for manuals a host cannot name: "x-lectorin-info:///libstdc%2B%2B/Top".
    if (rest.startsWith(u'/'))
        rest = rest.sliced(1);
    const qsizetype slash = rest.indexOf(u'/');
    if (slash < 0)
        return reference(decoded(rest), {});
    return reference(decoded(rest.first(slash)), decoded(rest.sliced(slash + 1)));
}

std::optional<InfoReference> parseInfo(QStringView rest)
{
    rest = rest.trimmed();
    if (rest.startsWith(u'(')) {
        const qsizetype close = rest.indexOf(u')');
        if (close < 0)
            return std::nullopt;
        return reference(decoded(rest.sliced(1, close - 1).trimmed()), decoded(rest.sliced(close + 1)));
    }
    const qsizetype hash = rest.indexOf(u'#');
    if (hash < 0)
        return reference(decoded(rest), {});
    // The fragment form writes spaces as underscores, as in "info:coreutils#ls_invocation".
    return reference(decoded(rest.first(hash)), decoded(rest.sliced(hash + 1)).replace(u'_', u' '));
}

// Quotes as man pages print them: typewriter, typographic, and the backquote of older pages.
const QString kQuote = QStringLiteral("['\"\u2018\u2019\u201C\u201D`]");
const QString kQuoted = QStringLiteral("[^'\"\u2018\u2019\u201C\u201D`\\n]");
const QString kManual = QStringLiteral("[A-Za-z0-9](?:[\\w.+-]*[\\w+])?");
const QString kCommand = QStringLiteral("(?<![\\w-])info\\s+");

// Words that follow "info" in prose ("the info reader") and are never manuals.
const QSet<QString> kProseWords { QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("page"),
    QStringLiteral("pages"), QStringLiteral("reader"), QStringLiteral("manual"), QStringLiteral("format"),
    QStringLiteral("mode"), QStringLiteral("file"), QStringLiteral("files"), QStringLiteral("documentation"),
    QStringLiteral("system"), QStringLiteral("command") };

} // namespace

QString urlString(const QString &manual, const QString &node)
{
    // QUrl lower-cases a host, reads one of digits as an IPv4 address and refuses one with '+': such manuals
    // go in the path, after an empty host.
    static const QRegularExpression hostName(QStringLiteral("^[a-z0-9_-]+(?:\\.[a-z0-9_-]+)*$"));
    const bool asHost = hostName.match(manual).hasMatch()
        && std::any_of(manual.cbegin(), manual.cend(), [](QChar c) { return c.isLetter(); });
    return kInfoURLScheme + (asHost ? QStringLiteral("://") : QStringLiteral(":///"))
        + QString::fromLatin1(QUrl::toPercentEncoding(manual)) + u'/'
        + QString::fromLatin1(QUrl::toPercentEncoding(node));
}

QUrl url(const QString &manual, const QString &node)
{
    return QUrl(urlString(manual, node), QUrl::StrictMode);
}

std::optional<InfoReference> parse(const QString &text)
{
    const QStringView trimmed = text.trimmed();
    for (const QStringView prefix : { QStringView(u"x-lectorin-info://"), QStringView(u"info://") }) {
        if (trimmed.startsWith(prefix, Qt::CaseInsensitive))
            return parseInternal(trimmed.sliced(prefix.size()));
    }
    if (trimmed.startsWith(u"info:", Qt::CaseInsensitive))
        return parseInfo(trimmed.sliced(5));
    return std::nullopt;
}

std::optional<InfoReference> parse(const QUrl &url)
{
    if (!url.isValid())
        return std::nullopt;
    return parse(url.toString(QUrl::FullyEncoded));
}

QList<InfoTextReference> findInManPageText(QStringView text)
{
    struct Pattern
    {
        QRegularExpression expression;
        int range; // the capture group a link covers
        int manual;
        int node; // 0: the Top node
    };
    static const QList<Pattern> patterns {
        // info '(coreutils) ls invocation'
        { QRegularExpression(u'(' + kCommand + kQuote + u"\\s*\\((" + kManual + u")\\)\\s*(" + kQuoted
              + u"*?)\\s*" + kQuote + u')'),
            1, 2, 3 },
        // info (coreutils)Top
        { QRegularExpression(u'(' + kCommand + u"\\((" + kManual + u")\\)([^\\s'\"]*))"), 1, 2, 3 },
        // info coreutils 'ls invocation'
        { QRegularExpression(
              u'(' + kCommand + u'(' + kManual + u")\\s+" + kQuote + u'(' + kQuoted + u"+)" + kQuote + u')'),
            1, 2, 3 },
        // A command alone on its line, maybe after a prompt or a colon: "info grep".
        { QRegularExpression(
              u"(?:^[ \\t]*(?:[$#][ \\t]+)?|:[ \\t]+)(info[ \\t]+(" + kManual + u"))[ \\t]*[.;]?[ \\t]*$",
              QRegularExpression::MultilineOption),
            1, 2, 0 },
        { QRegularExpression(QStringLiteral("\\b[Tt]he\\s+full\\s+documentation\\s+for\\s+(") + kManual
              + QStringLiteral(")\\s+is\\s+maintained\\s+as\\s+a\\s+(Texinfo\\s+manual)")),
            2, 1, 0 },
    };
    QList<InfoTextReference> found;
    for (const Pattern &pattern : patterns) {
        QRegularExpressionMatchIterator matches = pattern.expression.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            const QString manual = match.captured(pattern.manual);
            if (pattern.node == 0 && kProseWords.contains(manual.toLower()))
                continue;
            const auto target
                = reference(manual, pattern.node == 0 ? QString() : match.captured(pattern.node));
            if (target)
                found.append(
                    { match.capturedStart(pattern.range), match.capturedLength(pattern.range), *target });
        }
    }
    std::sort(found.begin(), found.end(), [](const InfoTextReference &a, const InfoTextReference &b) {
        return a.start != b.start ? a.start < b.start : a.length > b.length;
    });
    QList<InfoTextReference> separate;
    for (const InfoTextReference &reference : std::as_const(found)) {
        if (separate.isEmpty() || reference.start >= separate.last().start + separate.last().length)
            separate.append(reference);
    }
    return separate;
}

} // namespace Lectorin::InfoUrl
