// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Which translations of the manual a reader reads: the languages their locale asks for, and the folders of
// each manual root that hold them ("/usr/share/man/de/man1"), as man-db finds translated pages.
namespace Lectorin::PageLanguages {

// A folder whose "man*" subfolders hold pages; `language` names the translation it holds ("de_AT",
// "fr.UTF-8"), empty for the untranslated pages.
struct ManualRoot
{
    QString path;
    QString language;

    bool operator==(const ManualRoot &) const = default;
};

// The reader's languages, most preferred first: the entries of LANGUAGE, then the locale LC_ALL, LC_MESSAGES
// or LANG names. Empty for the "C" or "POSIX" locale (LANGUAGE is then ignored, as gettext does), and the
// list ends at the first English entry, whose pages are the untranslated ones.
QStringList fromEnvironment(
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// Whether a name given for a language can be one: "de", "pt_BR", "fr.UTF-8", "sr@latin".
bool isLanguageName(QStringView name);

// The folder names a locale's pages may be in, most specific first: "de_AT.UTF-8" gives de_AT.UTF-8, de_AT,
// de.UTF-8 and de; a name without a codeset is tried with UTF-8 ("fr" gives fr.UTF-8 and fr).
QStringList folderNames(const QString &locale);

// Each root preceded by its translation folders for `languages`, in their order, so that the first copy of a
// page found is the one in the most preferred language of the first root that has the page.
QList<ManualRoot> withTranslations(const QStringList &roots, const QStringList &languages);

// The language a reader knows it by, in itself ("Deutsch", "français"); the folder name when unknown.
QString displayName(const QString &language);

// The language of the untranslated pages.
QString untranslatedDisplayName();

} // namespace Lectorin::PageLanguages
