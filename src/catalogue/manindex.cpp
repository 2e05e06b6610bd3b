// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manindex.h"

#include "catalogue/collation.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <tuple>

namespace Lectorin::ManIndex {
namespace {

struct DirectoryCloser
{
    void operator()(DIR *directory) const { closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

// Calls `visit(fileName)` for every entry but "." and "..", in listing order; false when `path` can't be
// listed.
template<typename Visitor>
bool forEachEntry(const QString &path, Visitor &&visit)
{
    const DirectoryHandle directory(opendir(QFile::encodeName(path).constData()));
    if (!directory)
        return false;
    while (const dirent *entry = readdir(directory.get())) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        visit(QFile::decodeName(name));
    }
    return true;
}

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

void assignDisplayNames(QHash<QString, ManPage> &byID)
{
    QHash<QString, int> nameCounts;
    nameCounts.reserve(byID.size());
    for (const ManPage &page : std::as_const(byID))
        ++nameCounts[page.name];
    for (ManPage &page : byID) {
        if (nameCounts.value(page.name) >= 2)
            page.displayName = page.name + u'(' + page.section + u')';
    }
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

void sortInCatalogueOrder(QList<ManPage> &pages)
{
    const QCollator nameCollator = Collation::caseInsensitive();
    const QCollator sectionCollator = Collation::standard();
    QList<QCollatorSortKey> nameKeys;
    nameKeys.reserve(pages.size());
    for (const ManPage &page : std::as_const(pages))
        nameKeys.append(nameCollator.sortKey(page.name));
    QList<qsizetype> order(pages.size());
    std::iota(order.begin(), order.end(), 0);
    // Equal names are rare, so the section collator and the final code-point tie-break seldom run.
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (const int byName = nameKeys.at(a).compare(nameKeys.at(b)); byName != 0)
            return byName < 0;
        if (const int bySection = sectionCollator.compare(pages.at(a).section, pages.at(b).section);
            bySection != 0)
            return bySection < 0;
        return std::tie(pages.at(a).name, pages.at(a).section)
            < std::tie(pages.at(b).name, pages.at(b).section);
    });
    QList<ManPage> sorted;
    sorted.reserve(pages.size());
    for (qsizetype index : std::as_const(order))
        sorted.append(std::move(pages[index]));
    pages = std::move(sorted);
}

Data scan(const QStringList &roots)
{
    Data data;
    for (const QString &root : roots) {
        forEachEntry(root, [&](const QString &subdirectoryName) {
            if (!subdirectoryName.startsWith(u"man"))
                return;
            const QString subdirectory = joined(root, subdirectoryName);
            forEachEntry(subdirectory, [&](const QString &fileName) {
                std::optional<PageFileName> parsed = parsePageFileName(fileName);
                if (!parsed)
                    return;
                QString id = parsed->section + u'/' + parsed->name;
                if (data.byID.contains(id))
                    return;
                const QString lowercased = lowercasedPageName(parsed->name);
                data.byID.insert(std::move(id),
                    ManPage { parsed->name, parsed->section, joined(subdirectory, fileName), parsed->name,
                        lowercased });
            });
        });
    }
    assignDisplayNames(data.byID);

    data.pages = data.byID.values();
    sortInCatalogueOrder(data.pages);
    data.byName.reserve(data.pages.size());
    for (const ManPage &page : std::as_const(data.pages))
        data.byName[page.name].append(page);
    for (QList<ManPage> &pagesOfName : data.byName) {
        if (pagesOfName.size() > 1)
            std::stable_sort(pagesOfName.begin(), pagesOfName.end(),
                [](const ManPage &a, const ManPage &b) { return isSectionPreferred(a.section, b.section); });
    }
    return data;
}

QList<ManPage> scanCommands(const QStringList &directories, const QSet<QString> &knownNames)
{
    QSet<QString> taken;
    QList<ManPage> helpPages;
    for (const QString &directory : directories) {
        forEachEntry(directory, [&](const QString &fileName) {
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
