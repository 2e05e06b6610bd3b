// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manindex.h"

#include "catalogue/directorylisting.h"
#include "catalogue/filenames.h"
#include "catalogue/parallel.h"
#include "catalogue/scannedpages.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

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
    return scanWithTranslations(PageLanguages::withTranslations(roots, {}));
}

Catalogue scanWithTranslations(const QList<PageLanguages::ManualRoot> &roots)
{
    QList<QByteArray> encodedFolders;
    QList<QString> folders;
    QList<QString> languages;
    for (const PageLanguages::ManualRoot &root : roots) {
        const QByteArray encodedRoot = FileNames::encode(root.path);
        DirectoryListing::forEachEntry(encodedRoot, [&](QByteArrayView subdirectoryName) {
            if (!subdirectoryName.startsWith("man"))
                return;
            encodedFolders.append(DirectoryListing::joined(encodedRoot, subdirectoryName));
            folders.append(FileNames::decode(encodedFolders.constLast()) + u'/');
            languages.append(root.language);
        });
    }
    // Listing is most of a scan, and folders can be listed side by side: each thread takes the next one.
    ScannedPages first(folders, languages);
    ScannedPages second(folders, languages);
    std::atomic<qsizetype> nextFolder = 0;
    const auto listFolders = [&](ScannedPages &scanned) {
        for (qsizetype folder = nextFolder++; folder < encodedFolders.size(); folder = nextFolder++) {
            scanned.enterFolder(folder);
            DirectoryListing::forEachEntry(
                encodedFolders.at(folder), [&](QByteArrayView fileName) { scanned.addFile(fileName); });
        }
    };
    Parallel::runBoth([&] { listFolders(second); }, [&] { listFolders(first); });
    first.absorb(std::move(second));
    return first.takeCatalogue();
}

QList<ManPage> scanCommands(const QStringList &directories, const QSet<QString> &knownNames)
{
    QSet<QString> taken;
    QList<ManPage> helpPages;
    const QString section = kHelpSection.toString();
    for (const QString &directory : directories) {
        const QString folder = directory.endsWith(u'/') ? directory : directory + u'/';
        const PageLocation location = PageLocation::named(folder, QString());
        DirectoryListing::forEachEntry(QFile::encodeName(directory), [&](QByteArrayView rawName) {
            const QString fileName = QFile::decodeName(rawName.data());
            if (fileName.startsWith(u'.') || knownNames.contains(fileName) || taken.contains(fileName))
                return;
            if (!isExecutableFile(folder + fileName))
                return;
            taken.insert(fileName);
            helpPages.append(ManPage { fileName, section, location, fileName, lowercasedPageName(fileName) });
        });
    }
    // Help pages have no sections, so catalogue order is their order by name.
    sortInCatalogueOrder(helpPages);
    return helpPages;
}

} // namespace Lectorin::ManIndex
