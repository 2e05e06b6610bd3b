// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/themelibrary.h"

#include "themes/resourcepaths.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace Lectorin {

namespace {

const QString kExtension = QStringLiteral("tmTheme");

// Qt's collator ignores numeric mode in the C locale, so a C locale falls back to US English.
QCollator standardCollator()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

QFileInfoList themeFiles(const QString &directory, Qt::CaseSensitivity extensionCase)
{
    if (directory.isEmpty())
        return {};
    QDir dir(directory);
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Name);
    QFileInfoList files;
    const QFileInfoList listing = dir.entryInfoList();
    for (const QFileInfo &file : listing) {
        if (file.suffix().compare(kExtension, extensionCase) == 0 && !file.completeBaseName().isEmpty())
            files.append(file);
    }
    return files;
}

} // namespace

const QString ThemeLibrary::kDefaultName = QStringLiteral("Default");

ThemeLibrary::ThemeLibrary(
    const QString &shippedThemesDirectory, const QString &userThemesDirectory, QObject *parent)
    : QObject(parent)
    , m_shippedThemesDirectory(shippedThemesDirectory)
    , m_userThemesDirectory(userThemesDirectory)
{ }

ThemeLibrary &ThemeLibrary::shared()
{
    // Never destroyed: the store and the windows may still ask it while the process winds down.
    static ThemeLibrary *library = [] {
        auto *made = new ThemeLibrary(
            ResourcePaths::resourceFolder(QStringLiteral("Themes")), defaultUserThemesDirectory());
        made->m_loadDeferred = true;
        return made;
    }();
    return *library;
}

QString ThemeLibrary::defaultUserThemesDirectory()
{
    // Not AppDataLocation: with organisation and application both "Lectorin" that adds a second "Lectorin".
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Lectorin/Themes");
}

const QList<ThemeLibrary::Entry> &ThemeLibrary::entries()
{
    loadIfDeferred();
    return m_entries;
}

void ThemeLibrary::loadIfDeferred()
{
    if (m_loadDeferred)
        reload();
}

QList<ThemeLibrary::Entry> ThemeLibrary::shippedEntries() const
{
    QFileInfoList files = themeFiles(m_shippedThemesDirectory, Qt::CaseSensitive);
    // Themes placed straight in the resources folder count when there is no "Themes" folder of them.
    if (files.isEmpty() && !m_shippedThemesDirectory.isEmpty())
        files = themeFiles(QFileInfo(m_shippedThemesDirectory).path(), Qt::CaseSensitive);
    QList<Entry> entries;
    for (const QFileInfo &file : std::as_const(files))
        entries.append({ file.completeBaseName(), Entry::Kind::bundled, file.filePath() });
    return entries;
}

void ThemeLibrary::reload()
{
    m_loadDeferred = false;
    QList<Entry> entries { { kDefaultName, Entry::Kind::builtin, QString() } };
    QSet<QString> seen { kDefaultName };
    QList<Entry> found = shippedEntries();
    const QFileInfoList userFiles = themeFiles(m_userThemesDirectory, Qt::CaseInsensitive);
    for (const QFileInfo &file : userFiles)
        found.append({ file.completeBaseName(), Entry::Kind::user, file.filePath() });
    for (const Entry &entry : std::as_const(found)) {
        if (seen.contains(entry.name))
            continue;
        seen.insert(entry.name);
        entries.append(entry);
    }

    const QCollator collator = standardCollator();
    std::stable_sort(entries.begin() + 1, entries.end(),
        [&collator](const Entry &a, const Entry &b) { return collator.compare(a.name, b.name) < 0; });

    if (entries == m_entries)
        return;
    m_entries = entries;
    emit entriesChanged();
}

std::optional<TMTheme> ThemeLibrary::theme(const QString &name)
{
    if (name == kDefaultName)
        return std::nullopt;
    if (const auto cached = m_paletteCache.constFind(name); cached != m_paletteCache.cend())
        return *cached;
    loadIfDeferred();
    const auto entry = std::find_if(m_entries.cbegin(), m_entries.cend(),
        [&name](const Entry &candidate) { return candidate.name == name; });
    if (entry == m_entries.cend() || entry->kind == Entry::Kind::builtin)
        return std::nullopt;
    const std::optional<QByteArray> data = TMThemeReader::readFile(entry->filePath);
    if (!data)
        return std::nullopt;
    const std::optional<TMTheme> theme = TMTheme::fromData(*data);
    if (theme)
        m_paletteCache.insert(name, *theme);
    return theme;
}

bool ThemeLibrary::isTaken(const QString &name) const
{
    if (name == kDefaultName)
        return true;
    if (std::any_of(
            m_entries.cbegin(), m_entries.cend(), [&name](const Entry &entry) { return entry.name == name; }))
        return true;
    // A file the list does not show yet (or shows under a shipped theme's name) must not be overwritten.
    return QFileInfo::exists(m_userThemesDirectory + u'/' + name + u'.' + kExtension);
}

std::optional<QString> ThemeLibrary::importTheme(const QString &filePath)
{
    loadIfDeferred();
    const std::optional<QByteArray> data = TMThemeReader::readFile(filePath);
    if (!data || !TMTheme::fromData(*data))
        return std::nullopt;
    QDir().mkpath(m_userThemesDirectory);

    QString base = QFileInfo(filePath).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("Colour Scheme");
    QString candidate = base;
    for (int n = 2; isTaken(candidate); ++n)
        candidate = base + u' ' + QString::number(n);

    const QString targetPath = m_userThemesDirectory + u'/' + candidate + u'.' + kExtension;
    QFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return std::nullopt;
    // The flush reports what a full disk does to the buffered write; a partial copy must not stay behind, and
    // QFile::remove() would refuse it after the failed flush.
    const bool written = target.write(*data) == data->size() && target.flush();
    target.close();
    if (!written) {
        QFile::remove(targetPath);
        return std::nullopt;
    }
    reload();
    return candidate;
}

void ThemeLibrary::remove(const Entry &entry)
{
    if (entry.kind != Entry::Kind::user)
        return;
    loadIfDeferred();
    QFile::remove(entry.filePath);
    m_paletteCache.remove(entry.name);
    reload();
}

} // namespace Lectorin
