// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/tmtheme.h"

#include "themes/plistlimits.h"

#include <QFile>
#include <QTextBoundaryFinder>

#include <limits>
#include <memory>

namespace Lectorin {

namespace {

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(node); }
};
using PlistPointer = std::unique_ptr<void, PlistDeleter>;

const QString kDefaultName = QStringLiteral("Colour Scheme");
constexpr double kMutedFallbackAlpha = 0.55;

std::optional<QString> stringValue(plist_t node)
{
    if (!PLIST_IS_STRING(node))
        return std::nullopt;
    uint64_t length = 0;
    const char *text = plist_get_string_ptr(node, &length);
    if (!text || length > uint64_t(std::numeric_limits<qsizetype>::max()))
        return std::nullopt;
    return QString::fromUtf8(text, qsizetype(length));
}

// Blanks are tabs and the Unicode space separators; line breaks stay.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmedBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

qsizetype graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

std::optional<double> hexField(QStringView digits, double maximum)
{
    for (QChar c : digits) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
            return std::nullopt;
    }
    return digits.toInt(nullptr, 16) / maximum;
}

const QStringList kHeadingScopes { QStringLiteral("markup.heading"), QStringLiteral("entity.name.section"),
    QStringLiteral("entity.name.tag"), QStringLiteral("keyword") };
const QStringList kLinkScopes { QStringLiteral("markup.underline.link"), QStringLiteral("string.other.link"),
    QStringLiteral("string.quoted"), QStringLiteral("string") };
const QStringList kNameScopes { QStringLiteral("entity.name.function"), QStringLiteral("support.function"),
    QStringLiteral("keyword") };
const QStringList kLiteralScopes { QStringLiteral("variable.parameter"), QStringLiteral("variable"),
    QStringLiteral("constant.numeric"), QStringLiteral("constant") };
const QStringList kMutedScopes { QStringLiteral("comment.line"), QStringLiteral("comment.block"),
    QStringLiteral("comment") };

QList<ThemeRule> rulesOf(plist_t settings)
{
    QList<ThemeRule> rules;
    const uint32_t count = plist_array_get_size(settings);
    for (uint32_t i = 0; i < count; ++i) {
        plist_t element = plist_array_get_item(settings, i);
        const std::optional<QString> scope = stringValue(plist_dict_get_item(element, "scope"));
        plist_t style = plist_dict_get_item(element, "settings");
        if (!scope || !PLIST_IS_DICT(style))
            continue;
        const std::optional<Colour> colour
            = TMThemeReader::parseColour(plist_dict_get_item(style, "foreground"));
        if (!colour)
            continue;
        for (const QString &ruleScope : TMThemeReader::ruleScopes(*scope))
            rules.append({ ruleScope, *colour });
    }
    return rules;
}

QString themeName(plist_t root)
{
    const QString name = stringValue(plist_dict_get_item(root, "name")).value_or(QString()).trimmed();
    return name.isEmpty() ? kDefaultName : name;
}

} // namespace

std::optional<TMTheme> TMTheme::fromData(const QByteArray &data)
{
    // libplist inspects the first eight bytes before it checks the length.
    if (data.size() < 8 || data.size() > kMaximumFileSize || !PlistLimits::isWithinLimits(data))
        return std::nullopt;
    plist_t rawRoot = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &rawRoot);
    const PlistPointer root(rawRoot);
    if (!PLIST_IS_DICT(rawRoot))
        return std::nullopt;

    plist_t settings = plist_dict_get_item(rawRoot, "settings");
    if (!PLIST_IS_ARRAY(settings))
        return std::nullopt;
    const uint32_t count = plist_array_get_size(settings);
    if (count == 0)
        return std::nullopt;
    plist_t global = nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        plist_t element = plist_array_get_item(settings, i);
        if (!PLIST_IS_DICT(element))
            return std::nullopt;
        if (!global && !plist_dict_get_item(element, "scope"))
            global = element;
    }
    if (!global)
        global = plist_array_get_item(settings, 0);

    plist_t globalStyle = plist_dict_get_item(global, "settings");
    if (!PLIST_IS_DICT(globalStyle))
        return std::nullopt;
    const std::optional<Colour> background
        = TMThemeReader::parseColour(plist_dict_get_item(globalStyle, "background"));
    if (!background)
        return std::nullopt;
    const std::optional<Colour> foreground
        = TMThemeReader::parseColour(plist_dict_get_item(globalStyle, "foreground"));
    if (!foreground)
        return std::nullopt;

    const QList<ThemeRule> rules = rulesOf(settings);
    TMTheme theme;
    theme.name = themeName(rawRoot);
    theme.background = *background;
    theme.foreground = *foreground;
    theme.heading = TMThemeReader::resolveRole(rules, kHeadingScopes, theme.foreground);
    theme.link = TMThemeReader::resolveRole(rules, kLinkScopes, theme.heading);
    theme.nameColor = TMThemeReader::resolveRole(rules, kNameScopes, theme.foreground);
    theme.literal = TMThemeReader::resolveRole(rules, kLiteralScopes, theme.foreground);
    Colour mutedFallback = theme.foreground;
    mutedFallback.alpha = kMutedFallbackAlpha;
    theme.muted = TMThemeReader::resolveRole(rules, kMutedScopes, mutedFallback);
    return theme;
}

namespace TMThemeReader {

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.read(TMTheme::kMaximumFileSize + 1);
    if (file.error() != QFile::NoError)
        return std::nullopt;
    return data;
}

std::optional<Colour> parseColour(const QString &text)
{
    const QString trimmed = trimmedBlanks(text);
    if (!trimmed.startsWith(u'#'))
        return std::nullopt;
    const QStringView digits = QStringView(trimmed).mid(1);
    // The length rule counts user-perceived characters; a hex digit is always a single one, so a digit string
    // whose count differs from its code-unit length is invalid anyway.
    const qsizetype length = graphemeCount(digits.toString());
    if (length != digits.size())
        return std::nullopt;

    const qsizetype fieldWidth = length == 3 ? 1 : 2;
    const double maximum = length == 3 ? 15.0 : 255.0;
    if (length != 3 && length != 6 && length != 8)
        return std::nullopt;
    double components[4] = { 0, 0, 0, 1 };
    for (qsizetype field = 0; field * fieldWidth < length; ++field) {
        const std::optional<double> value = hexField(digits.mid(field * fieldWidth, fieldWidth), maximum);
        if (!value)
            return std::nullopt;
        components[field] = *value;
    }
    return Colour { components[0], components[1], components[2], components[3] };
}

std::optional<Colour> parseColour(plist_t value)
{
    const std::optional<QString> text = stringValue(value);
    if (!text)
        return std::nullopt;
    return parseColour(*text);
}

QStringList ruleScopes(const QString &scopeValue)
{
    QStringList scopes;
    const QStringList selectors = scopeValue.split(u',', Qt::SkipEmptyParts);
    for (const QString &selector : selectors) {
        const QStringList parts = trimmedBlanks(selector).split(u' ', Qt::SkipEmptyParts);
        if (!parts.isEmpty())
            scopes.append(parts.last());
    }
    return scopes;
}

Colour resolveRole(const QList<ThemeRule> &rules, const QStringList &candidates, const Colour &fallback)
{
    for (const QString &candidate : candidates) {
        const ThemeRule *best = nullptr;
        for (const ThemeRule &rule : rules) {
            const bool selects = candidate == rule.scope
                || (candidate.startsWith(rule.scope) && candidate.size() > rule.scope.size()
                    && candidate.at(rule.scope.size()) == u'.');
            if (selects && (!best || rule.scope.size() > best->scope.size()))
                best = &rule;
        }
        if (best)
            return best->colour;
    }
    return fallback;
}

} // namespace TMThemeReader

} // namespace Lectorin
