// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/infopath.h"

#include "info/infofile.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace Lectorin::InfoPath {
namespace {

// Enough for a preamble and the first node separator of every manual makeinfo writes.
constexpr qsizetype kStartBytes = 16 * 1024;
constexpr qsizetype kLargestDirFile = qsizetype(4) << 20;

// Files an Info directory holds besides manuals: figures, other formats, backups, other compressions.
const QSet<QString> kOtherSuffixes { QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
    QStringLiteral("gif"), QStringLiteral("svg"), QStringLiteral("eps"), QStringLiteral("pdf"),
    QStringLiteral("html"), QStringLiteral("css"), QStringLiteral("txt"), QStringLiteral("bz2"),
    QStringLiteral("xz"), QStringLiteral("lz"), QStringLiteral("lzma"), QStringLiteral("zst"),
    QStringLiteral("z"), QStringLiteral("old"), QStringLiteral("bak"), QStringLiteral("orig") };

struct Candidate
{
    QString path;
    // Which file of a name is the manual when several are: NAME.info, NAME.info.gz, NAME, NAME.gz.
    int rank = 0;
};

bool looksLikeInfo(const QByteArray &start)
{
    const QByteArray firstLine = start.left(start.indexOf('\n'));
    return (firstLine.startsWith("This is ") && firstLine.contains("produced by"))
        || start.contains("\x1f\nFile:") || start.contains("\x1f\nIndirect:")
        || start.contains("\x1f\nTag Table:");
}

// The text before the first node, cut at a line end so a character split by the byte limit is not misread.
QString preambleOf(const QString &path)
{
    QByteArray start = InfoFile::readStart(path, kStartBytes);
    const qsizetype firstNode = start.indexOf('\x1f');
    start.truncate(firstNode >= 0 ? firstNode : start.lastIndexOf('\n') + 1);
    return InfoFile::decode(start);
}

QList<InfoDirCategory> dirFileCategories(const QString &directory)
{
    for (const QString &name : { QStringLiteral("dir"), QStringLiteral("dir.gz") }) {
        const QString path = QDir(directory).filePath(name);
        if (!QFileInfo(path).isFile())
            continue;
        const std::optional<QByteArray> bytes = InfoFile::read(path, nullptr, kLargestDirFile);
        if (bytes)
            return InfoDir::parse(InfoFile::decode(InfoFile::unpack(*bytes, kLargestDirFile).bytes));
    }
    return {};
}

QMap<QString, Candidate> manualsIn(const QString &directory)
{
    static const QRegularExpression subfileName(QStringLiteral("\\.info-\\d+$"));
    static const QRegularExpression plainSubfileName(QStringLiteral("^(.+)-\\d+$"));
    const QFileInfoList files = QDir(directory).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    QSet<QString> fileNames;
    for (const QFileInfo &file : files)
        fileNames.insert(file.fileName());
    QMap<QString, Candidate> best;
    for (const QFileInfo &file : files) {
        QString name = file.fileName();
        const bool compressed = name.endsWith(u".gz");
        if (compressed)
            name.chop(3);
        Candidate candidate { file.filePath(), compressed ? 1 : 0 };
        if (name.endsWith(u".info")) {
            name.chop(5);
        } else {
            const QRegularExpressionMatch plainSubfile = plainSubfileName.match(name);
            const bool isPlainSubfile = plainSubfile.hasMatch()
                && (fileNames.contains(plainSubfile.captured(1))
                    || fileNames.contains(plainSubfile.captured(1) + u".gz"));
            if (name == u"dir" || name == u"localdir" || subfileName.match(name).hasMatch() || isPlainSubfile
                || kOtherSuffixes.contains(file.suffix().toLower()))
                continue;
            candidate.rank += 2;
        }
        if (name.isEmpty())
            continue;
        const auto existing = best.constFind(name);
        if (existing == best.cend() || existing->rank > candidate.rank)
            best.insert(name, candidate);
    }
    // Only files without the .info suffix have to show by their content that they are manuals.
    for (auto it = best.begin(); it != best.end();) {
        if (it->rank >= 2 && !looksLikeInfo(InfoFile::readStart(it->path, kStartBytes)))
            it = best.erase(it);
        else
            ++it;
    }
    return best;
}

bool namesManual(const InfoDirEntry &entry, const QString &manual)
{
    return entry.manual.compare(manual, Qt::CaseInsensitive) == 0;
}

// The entry that opens the whole manual, else the first that names it.
std::optional<std::pair<QString, InfoDirEntry>> entryFor(
    const QList<InfoDirCategory> &categories, const QString &manual)
{
    std::optional<std::pair<QString, InfoDirEntry>> first;
    for (const InfoDirCategory &category : categories) {
        for (const InfoDirEntry &entry : category.entries) {
            if (!namesManual(entry, manual))
                continue;
            if (entry.node.isEmpty())
                return std::pair(category.name, entry);
            if (!first)
                first = std::pair(category.name, entry);
        }
    }
    return first;
}

QList<InfoDirCategory> installedOnly(QList<InfoDirCategory> categories, const QList<InfoManual> &manuals)
{
    for (InfoDirCategory &category : categories) {
        category.entries.removeIf(
            [&manuals](const InfoDirEntry &entry) { return !find(manuals, entry.manual).has_value(); });
    }
    categories.removeIf([](const InfoDirCategory &category) { return category.entries.isEmpty(); });
    return categories;
}

} // namespace

QStringList defaultDirectories()
{
    return { QStringLiteral("/usr/share/info"), QStringLiteral("/usr/local/share/info") };
}

QStringList directories(const QString &infopath)
{
    QStringList found;
    for (const QString &component : infopath.split(u':', Qt::SkipEmptyParts)) {
        const QString directory = QDir::cleanPath(component);
        if (!found.contains(directory))
            found.append(directory);
    }
    if (found.isEmpty() || infopath.endsWith(u':')) {
        for (const QString &directory : defaultDirectories()) {
            if (!found.contains(directory))
                found.append(directory);
        }
    }
    return found;
}

QStringList directories()
{
    return directories(qEnvironmentVariable("INFOPATH"));
}

InfoLibrary scan(const QStringList &directories)
{
    InfoLibrary library;
    QList<InfoDirCategory> dirCategories;
    QSet<QString> seen;
    for (const QString &directory : directories) {
        if (!QFileInfo(directory).isDir())
            continue;
        InfoDir::merge(dirCategories, dirFileCategories(directory));
        const QMap<QString, Candidate> found = manualsIn(directory);
        for (auto it = found.cbegin(); it != found.cend(); ++it) {
            if (!seen.contains(it.key())) {
                seen.insert(it.key());
                library.manuals.append({ it.key(), it->path, {}, {} });
            }
        }
    }
    std::sort(library.manuals.begin(), library.manuals.end(), [](const InfoManual &a, const InfoManual &b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });

    // Manuals no dir file lists (all of them, where install-info was never run) describe themselves in their
    // preambles.
    QList<InfoDirCategory> ownCategories;
    InfoDirCategory unlisted { InfoDir::kMiscellaneous, {} };
    for (InfoManual &manual : library.manuals) {
        auto entry = entryFor(dirCategories, manual.name);
        if (!entry) {
            const QList<InfoDirCategory> preamble = InfoDir::parsePreamble(preambleOf(manual.path));
            entry = entryFor(preamble, manual.name);
            // An alias ("lzip" for plzip's manual) borrows the category of the entries its file carries.
            if (!entry && !preamble.isEmpty())
                entry = std::pair(preamble.first().name, preamble.first().entries.first());
            InfoDir::merge(ownCategories, preamble);
            if (entry && !namesManual(entry->second, manual.name))
                InfoDir::merge(ownCategories,
                    { { entry->first, { { manual.name, manual.name, {}, entry->second.description } } } });
        }
        if (!entry) {
            manual.category = InfoDir::kMiscellaneous;
            unlisted.entries.append({ manual.name, manual.name, {}, {} });
            continue;
        }
        manual.category = entry->first;
        manual.description = entry->second.description;
    }
    std::sort(
        ownCategories.begin(), ownCategories.end(), [](const InfoDirCategory &a, const InfoDirCategory &b) {
            return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        });
    for (InfoDirCategory &category : ownCategories) {
        std::stable_sort(category.entries.begin(), category.entries.end(),
            [](const InfoDirEntry &a, const InfoDirEntry &b) {
                return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
            });
    }
    InfoDir::merge(dirCategories, ownCategories);
    InfoDir::merge(dirCategories, { unlisted });
    library.categories = installedOnly(dirCategories, library.manuals);
    return library;
}

QList<InfoManual> manuals(const QStringList &directories)
{
    return scan(directories).manuals;
}

std::optional<InfoManual> find(const QList<InfoManual> &manuals, const QString &name)
{
    QString wanted = name.trimmed();
    if (wanted.endsWith(u".info"))
        wanted.chop(5);
    const auto exact = std::find_if(manuals.cbegin(), manuals.cend(),
        [&wanted](const InfoManual &manual) { return manual.name == wanted; });
    if (exact != manuals.cend())
        return *exact;
    const auto folded = std::find_if(manuals.cbegin(), manuals.cend(), [&wanted](const InfoManual &manual) {
        return manual.name.compare(wanted, Qt::CaseInsensitive) == 0;
    });
    return folded == manuals.cend() ? std::nullopt : std::optional<InfoManual>(*folded);
}

} // namespace Lectorin::InfoPath
