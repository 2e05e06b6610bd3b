// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manindex.h"

#include "catalogue/directorylisting.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace Lectorin::ManIndex {
namespace {

bool startsLikeASection(QStringView section)
{
    const QChar first = section.front();
    if (first == u'n' || first == u'l')
        return true;
    const char32_t codePoint = first.isHighSurrogate() && section.size() > 1
        ? QChar::surrogateToUcs4(first, section.at(1))
        : first.unicode();
    switch (QChar::category(codePoint)) {
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

bool isExecutableFile(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status;
    if (stat(encoded.constData(), &status) != 0 || S_ISDIR(status.st_mode))
        return false;
    return access(encoded.constData(), X_OK) == 0;
}

// Sections and file-name suffixes repeat across thousands of files; sharing one string per distinct text
// saves an allocation each.
class SharedStrings
{
public:
    template<typename Text>
    QString intern(Text text)
    {
        // Files of one folder mostly share their section and suffix, so the recent hits are tried first.
        for (const qsizetype recent : m_recent) {
            if (recent >= 0 && m_known.at(recent) == text)
                return m_known.at(recent);
        }
        qsizetype found = 0;
        while (found < m_known.size() && m_known.at(found) != text)
            ++found;
        if (found == m_known.size())
            m_known.append(text.toString());
        m_recent[m_next] = found;
        m_next = (m_next + 1) % m_recent.size();
        return m_known.at(found);
    }

private:
    QList<QString> m_known;
    std::array<qsizetype, 4> m_recent { -1, -1, -1, -1 };
    size_t m_next = 0;
};

bool isAsciiBytes(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// Adds the page a file name describes. ASCII names, nearly all of them, are parsed on their bytes; others go
// through the general rule.
void addPage(QList<ManPage> &pages, SharedStrings &shared, const QString &folder, QByteArrayView fileName)
{
    QString name;
    QString section;
    QString suffix;
    if (isAsciiBytes(fileName)) {
        QByteArrayView stem = fileName;
        if (stem.endsWith(".gz"))
            stem.chop(3);
        const qsizetype dot = stem.lastIndexOf('.');
        if (dot <= 0 || dot == stem.size() - 1)
            return;
        const char first = stem.at(dot + 1);
        if (!(first >= '0' && first <= '9') && first != 'n' && first != 'l')
            return;
        name = QString::fromLatin1(stem.first(dot));
        section = shared.intern(QLatin1StringView(stem.sliced(dot + 1)));
        suffix = shared.intern(QLatin1StringView(fileName.sliced(dot)));
    } else {
        const QString decoded = QFile::decodeName(fileName.data());
        std::optional<PageFileName> parsed = parsePageFileName(decoded);
        if (!parsed)
            return;
        name = std::move(parsed->name);
        section = shared.intern(QStringView(parsed->section));
        suffix = shared.intern(QStringView(decoded).sliced(name.size()));
    }
    QString lowercased = lowercasedPageName(name);
    pages.append(ManPage { name, std::move(section), PageLocation::named(folder, std::move(suffix)), name,
        std::move(lowercased) });
}

} // namespace

std::optional<PageFileName> parsePageFileName(QStringView fileName)
{
    if (fileName.endsWith(u".gz"))
        fileName.chop(3);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0 || dot == fileName.size() - 1)
        return std::nullopt;
    const QStringView section = fileName.mid(dot + 1);
    if (!startsLikeASection(section))
        return std::nullopt;
    return PageFileName { fileName.left(dot).toString(), section.toString() };
}

Catalogue scan(const QStringList &roots)
{
    QList<ManPage> pages;
    SharedStrings shared;
    for (const QString &root : roots) {
        const QByteArray encodedRoot = QFile::encodeName(root);
        DirectoryListing::forEachEntry(encodedRoot, [&](QByteArrayView subdirectoryName) {
            if (!subdirectoryName.startsWith("man"))
                return;
            const QByteArray encodedSubdirectory = DirectoryListing::joined(encodedRoot, subdirectoryName);
            const QString folder = QFile::decodeName(encodedSubdirectory) + u'/';
            DirectoryListing::forEachEntry(encodedSubdirectory,
                [&](QByteArrayView fileName) { addPage(pages, shared, folder, fileName); });
        });
    }
    // Sorting keeps discovery order among equals, so copies of one identifier end up side by side with the
    // first one found in front; only that one stays.
    sortInCatalogueOrder(pages);
    const auto sameIdentifier
        = [](const ManPage &a, const ManPage &b) { return a.section == b.section && a.name == b.name; };
    pages.erase(std::unique(pages.begin(), pages.end(), sameIdentifier), pages.end());
    return Catalogue(std::move(pages));
}

QList<ManPage> scanCommands(const QStringList &directories, const QSet<QString> &knownNames)
{
    QSet<QString> taken;
    QList<ManPage> helpPages;
    const QString section = kHelpSection.toString();
    for (const QString &directory : directories) {
        const QString folder = directory.endsWith(u'/') ? directory : directory + u'/';
        DirectoryListing::forEachEntry(QFile::encodeName(directory), [&](QByteArrayView rawName) {
            const QString fileName = QFile::decodeName(rawName.data());
            if (fileName.startsWith(u'.') || knownNames.contains(fileName) || taken.contains(fileName))
                return;
            if (!isExecutableFile(folder + fileName))
                return;
            taken.insert(fileName);
            helpPages.append(ManPage { fileName, section, PageLocation::named(folder, QString()), fileName,
                lowercasedPageName(fileName) });
        });
    }
    // Help pages have no sections, so catalogue order is their order by name.
    sortInCatalogueOrder(helpPages);
    return helpPages;
}

} // namespace Lectorin::ManIndex
