// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/pagelookup.h"

#include "catalogue/directorylisting.h"
#include "catalogue/filenames.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace Lectorin::PageLookup {
namespace {

enum class Probe
{
    absent,
    present,
    unknown // the entry may exist but the folder does not tell (e.g. not searchable)
};

Probe probe(const QByteArray &path)
{
    struct stat status;
    if (lstat(path.constData(), &status) == 0)
        return Probe::present;
    return errno == ENOENT || errno == ENOTDIR ? Probe::absent : Probe::unknown;
}

// Opening is what a scan's listing can fail at; reading the entries would cost the walk this avoids.
bool isListable(const QByteArray &directory)
{
    return std::unique_ptr<DIR, DirectoryListing::DirectoryCloser>(opendir(directory.constData())) != nullptr;
}

// Which of two names of one folder its listing gives first; a scan keeps the first file of an identifier.
QByteArray firstListed(const QByteArray &directory, const QByteArray &a, const QByteArray &b)
{
    QByteArray first;
    DirectoryListing::forEachEntry(directory, [&](QByteArrayView name) {
        if (first.isEmpty() && (name == a || name == b))
            first = name.toByteArray();
    });
    return first;
}

bool isPlainAscii(QStringView text)
{
    return std::all_of(
        text.begin(), text.end(), [](QChar c) { return c.unicode() > 0 && c.unicode() < 0x80; });
}

// The scan's rule for ASCII file names: the section follows the last dot and starts with a digit, n or l.
bool isSectionOfFileName(QStringView section)
{
    if (section.isEmpty() || section.contains(u'.') || section.contains(u'/'))
        return false;
    const QChar first = section.front();
    return (first >= u'0' && first <= u'9') || first == u'n' || first == u'l';
}

} // namespace

std::optional<ManPage> findDirectly(const QStringList &roots, const PageReference &reference)
{
    return findDirectly(PageLanguages::withTranslations(roots, {}), reference);
}

std::optional<ManPage> findDirectly(
    const QList<PageLanguages::ManualRoot> &roots, const PageReference &reference)
{
    const QString section = reference.section.value_or(QStringLiteral("1"));
    const QString &name = reference.name;
    if (name.isEmpty() || name.contains(u'/') || !isPlainAscii(name) || !isPlainAscii(section)
        || !isSectionOfFileName(section))
        return std::nullopt;
    const QByteArray plainName = (name + u'.' + section).toLatin1();
    const QByteArray compressedName = plainName + ".gz";

    for (const PageLanguages::ManualRoot &root : roots) {
        const QByteArray encodedRoot = FileNames::encode(root.path);
        std::optional<QByteArray> found;
        bool undecided = false;
        DirectoryListing::forEachEntry(encodedRoot, [&](QByteArrayView subdirectoryName) {
            if (found || undecided || !subdirectoryName.startsWith("man"))
                return;
            const QByteArray subdirectory = DirectoryListing::joined(encodedRoot, subdirectoryName);
            const Probe plain = probe(DirectoryListing::joined(subdirectory, plainName));
            const Probe compressed = probe(DirectoryListing::joined(subdirectory, compressedName));
            if (plain == Probe::unknown || compressed == Probe::unknown) {
                undecided = true;
                return;
            }
            if (plain == Probe::absent && compressed == Probe::absent)
                return;
            // A scan sees only what the folder lists.
            if (!isListable(subdirectory))
                return;
            const QByteArray fileName = plain == Probe::present && compressed == Probe::present
                ? firstListed(subdirectory, plainName, compressedName)
                : (plain == Probe::present ? plainName : compressedName);
            if (fileName.isEmpty()) {
                undecided = true; // both went away between the probes and the listing
                return;
            }
            found = DirectoryListing::joined(subdirectory, fileName);
        });
        if (undecided)
            return std::nullopt;
        if (found)
            return ManPage { name, section, PageLocation(FileNames::decode(*found), root.language), name,
                lowercasedPageName(name) };
    }
    return std::nullopt;
}

} // namespace Lectorin::PageLookup
