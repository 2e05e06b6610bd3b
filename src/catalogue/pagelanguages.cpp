// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/pagelanguages.h"

#include <QLocale>
#include <QSet>

#include <algorithm>

namespace Lectorin::PageLanguages {
namespace {

// The parts of "ll_CC.codeset@modifier".
struct LocaleName
{
    QString language;
    QString territory;
    QString codeset;
    QString modifier;
};

LocaleName parsed(QStringView locale)
{
    LocaleName name;
    if (const qsizetype at = locale.indexOf(u'@'); at >= 0) {
        name.modifier = locale.sliced(at + 1).toString();
        locale.truncate(at);
    }
    if (const qsizetype dot = locale.indexOf(u'.'); dot >= 0) {
        name.codeset = locale.sliced(dot + 1).toString();
        locale.truncate(dot);
    }
    if (const qsizetype underscore = locale.indexOf(u'_'); underscore >= 0) {
        name.territory = locale.sliced(underscore + 1).toString();
        locale.truncate(underscore);
    }
    name.language = locale.toString();
    return name;
}

bool isCLocale(QStringView language)
{
    return language == u"C" || language == u"POSIX";
}

bool isUntranslated(const LocaleName &name)
{
    return name.language.isEmpty() || isCLocale(name.language) || name.language == u"en";
}

// A name that could only make a path outside its root, or no folder at all, is never a language.
bool isFolderName(QStringView name)
{
    return !name.isEmpty() && !name.contains(u'/') && name != u"." && name != u"..";
}

} // namespace

QStringList fromEnvironment(const QProcessEnvironment &environment)
{
    QString locale;
    for (const char *variable : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        locale = environment.value(QLatin1StringView(variable));
        if (!locale.isEmpty())
            break;
    }
    const QString localeLanguage = parsed(locale).language;
    if (localeLanguage.isEmpty() || isCLocale(localeLanguage))
        return {};
    QStringList entries = environment.value(QStringLiteral("LANGUAGE")).split(u':', Qt::SkipEmptyParts);
    entries.append(locale);
    QStringList languages;
    for (const QString &entry : std::as_const(entries)) {
        const LocaleName name = parsed(entry);
        if (!name.language.isEmpty() && isUntranslated(name))
            break;
        if (!isLanguageName(entry))
            continue; // a stray entry must not end the list
        if (!languages.contains(entry))
            languages.append(entry);
    }
    return languages;
}

bool isLanguageName(QStringView name)
{
    const LocaleName parts = parsed(name);
    const auto isLetters = [](QStringView text) {
        return std::all_of(
            text.begin(), text.end(), [](QChar c) { return c.isLetter() && c.unicode() < 0x80; });
    };
    return parts.language.size() >= 2 && parts.language.size() <= 3 && isLetters(parts.language)
        && isLetters(parts.territory) && isFolderName(name);
}

QStringList folderNames(const QString &locale)
{
    const LocaleName name = parsed(locale);
    if (isUntranslated(name))
        return {};
    QStringList names;
    const auto add = [&](const QString &folder) {
        if (isFolderName(folder) && !names.contains(folder))
            names.append(folder);
    };
    const QString territory = name.territory.isEmpty() ? QString() : u'_' + name.territory;
    // Translated pages are mostly kept in UTF-8, which is what a name without a codeset likely means.
    const QString codeset = u'.' + (name.codeset.isEmpty() ? QStringLiteral("UTF-8") : name.codeset);
    if (!name.modifier.isEmpty()) {
        const QString modifier = u'@' + name.modifier;
        if (!name.codeset.isEmpty())
            add(name.language + territory + codeset + modifier);
        add(name.language + territory + modifier);
        add(name.language + modifier);
    }
    add(name.language + territory + codeset);
    add(name.language + territory);
    add(name.language + codeset);
    add(name.language);
    return names;
}

QList<ManualRoot> withTranslations(const QStringList &roots, const QStringList &languages)
{
    QStringList folders;
    for (const QString &language : languages)
        folders.append(folderNames(language));
    folders.removeDuplicates();
    QList<ManualRoot> expanded;
    expanded.reserve(roots.size() * (folders.size() + 1));
    for (const QString &root : roots) {
        const QString base = root.endsWith(u'/') ? root : root + u'/';
        for (const QString &folder : std::as_const(folders))
            expanded.append({ base + folder, folder });
        expanded.append({ root, QString() });
    }
    return expanded;
}

QString displayName(const QString &language)
{
    const LocaleName name = parsed(language);
    const QLocale locale(name.territory.isEmpty() ? name.language : name.language + u'_' + name.territory);
    if (locale.language() == QLocale::C || QLocale::languageToCode(locale.language()) != name.language)
        return language;
    const QString native = locale.nativeLanguageName();
    return native.isEmpty() ? language : native;
}

QString untranslatedDisplayName()
{
    return QLocale::languageToString(QLocale::English);
}

} // namespace Lectorin::PageLanguages
