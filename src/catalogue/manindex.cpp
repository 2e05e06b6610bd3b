// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manindex.h"

#include "catalogue/directorylisting.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace Lectorin::ManIndex {
namespace {

QString joined(const QString &directory, const QString &name)
{
    if (directory.endsWith(u'/'))
        return directory + name;
    return directory + u'/' + name;
}

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

// Sections repeat across thousands of files; sharing one string per distinct section saves an allocation
// each.
class SectionStrings
{
public:
    template<typename Text>
    const QString &intern(Text section)
    {
        for (const QString &known : std::as_const(m_known)) {
            if (known == section)
                return known;
        }
        m_known.append(QString(section));
        return m_known.constLast();
    }

private:
    QList<QString> m_known;
};

bool isAsciiBytes(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// Adds the page a file name describes. ASCII names, nearly all of them, are parsed on their bytes; others go
// through the general rule.
void addPage(
    QList<ManPage> &pages, SectionStrings &sections, const QString &subdirectory, QByteArrayView fileName)
{
    QString name;
    const QString *section = nullptr;
    QString path = subdirectory;
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
        section = &sections.intern(QLatin1StringView(stem.sliced(dot + 1)));
        path.append(QLatin1StringView(fileName));
    } else {
        const QString decoded = QFile::decodeName(fileName.data());
        std::optional<PageFileName> parsed = parsePageFileName(decoded);
        if (!parsed)
            return;
        name = std::move(parsed->name);
        section = &sections.intern(parsed->section);
        path.append(decoded);
    }
    const QString lowercased = lowercasedPageName(name);
    pages.append(ManPage { name, *section, std::move(path), name, lowercased });
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
    SectionStrings sections;
    for (const QString &root : roots) {
        const QByteArray encodedRoot = QFile::encodeName(root);
        DirectoryListing::forEachEntry(encodedRoot, [&](QByteArrayView subdirectoryName) {
            if (!subdirectoryName.startsWith("man"))
                return;
            const QByteArray encodedSubdirectory = DirectoryListing::joined(encodedRoot, subdirectoryName);
            const QString subdirectory = QFile::decodeName(encodedSubdirectory) + u'/';
            DirectoryListing::forEachEntry(encodedSubdirectory,
                [&](QByteArrayView fileName) { addPage(pages, sections, subdirectory, fileName); });
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
    for (const QString &directory : directories) {
        DirectoryListing::forEachEntry(QFile::encodeName(directory), [&](QByteArrayView rawName) {
            const QString fileName = QFile::decodeName(rawName.data());
            if (fileName.startsWith(u'.') || knownNames.contains(fileName) || taken.contains(fileName))
                return;
            const QString path = joined(directory, fileName);
            if (!isExecutableFile(path))
                return;
            taken.insert(fileName);
            helpPages.append(
                ManPage { fileName, kHelpSection.toString(), path, fileName, lowercasedPageName(fileName) });
        });
    }
    // Help pages have no sections, so catalogue order is their order by name.
    sortInCatalogueOrder(helpPages);
    return helpPages;
}

} // namespace Lectorin::ManIndex
