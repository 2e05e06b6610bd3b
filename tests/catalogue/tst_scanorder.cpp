// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/directorylisting.h"
#include "catalogue/manindex.h"

#include "cataloguetestfiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;

namespace {

const QStringList kSections { "1", "1p", "2", "3", "3p", "3pm", "3t", "3ssl", "5", "7", "8", "9", "10", "n",
    "l", "3X11", "3x" };

// Names that begin one another at every length up to 20, in a family of look-alikes that differ in case and
// in the punctuation the collator treats almost alike.
QStringList generatedNames(QRandomGenerator &random)
{
    static const QString alphabet = QStringLiteral("abcxyzABCXYZ019_-.:+");
    const auto character = [&] { return alphabet.at(random.bounded(int(alphabet.size()))); };
    QStringList names;
    for (int family = 0; family < 4; ++family) {
        QString longest;
        for (int i = 0; i < 20; ++i)
            longest += character();
        for (int length = 1; length <= 20; ++length) {
            QString name = longest.left(length);
            names.append(name);
            if (random.bounded(3) == 0) // the same prefix with a different last character or case
                names.append(name.left(length - 1) + character());
            if (random.bounded(4) == 0)
                names.append(name.toUpper());
        }
    }
    return names;
}

// Writes every page of a random tree across two roots; some identifiers twice, compressed or in the other
// root.
QStringList writeTree(const QString &base, QRandomGenerator &random)
{
    const QStringList roots { base + "/first", base + "/second" };
    for (const QString &name : generatedNames(random)) {
        const int copies = 1 + random.bounded(2);
        for (int copy = 0; copy < copies; ++copy) {
            const QString &section = kSections.at(random.bounded(int(kSections.size())));
            const QString folder = roots.at(random.bounded(2)) + "/man" + section.left(1);
            QDir().mkpath(folder);
            QFile file(folder + '/' + name + '.' + section + (random.bounded(2) ? ".gz" : ""));
            if (!file.open(QIODevice::WriteOnly))
                return {};
        }
    }
    return roots;
}

// The plainest statement of the rule: every page file in listing order, a stable sort by the collators, the
// first page of each identifier kept.
QList<ManPage> expectedCatalogue(const QStringList &roots)
{
    QList<ManPage> pages;
    for (const QString &root : roots) {
        const QByteArray encodedRoot = QFile::encodeName(root);
        DirectoryListing::forEachEntry(encodedRoot, [&](QByteArrayView subdirectory) {
            if (!subdirectory.startsWith("man"))
                return;
            const QByteArray folder = DirectoryListing::joined(encodedRoot, subdirectory);
            DirectoryListing::forEachEntry(folder, [&](QByteArrayView file) {
                if (const auto parsed = ManIndex::parsePageFileName(QFile::decodeName(file.toByteArray())))
                    pages.append({ parsed->name, parsed->section,
                        QString(QFile::decodeName(folder) + '/' + QFile::decodeName(file.toByteArray())),
                        parsed->name, lowercasedPageName(parsed->name) });
            });
        });
    }
    sortByCollators(pages);
    QList<ManPage> kept;
    QSet<QString> seen;
    for (const ManPage &page : std::as_const(pages)) {
        if (!seen.contains(page.id())) {
            seen.insert(page.id());
            kept.append(page);
        }
    }
    return Catalogue(kept).pages(); // with the display names the catalogue gives
}

} // namespace

class ScanOrderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scan_ordersLikeAStableCollatorSortWithUniqueIdentifiers_data();
    void scan_ordersLikeAStableCollatorSortWithUniqueIdentifiers();
};

void ScanOrderTest::scan_ordersLikeAStableCollatorSortWithUniqueIdentifiers_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 40; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

void ScanOrderTest::scan_ordersLikeAStableCollatorSortWithUniqueIdentifiers()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    QTemporaryDir tree;
    const QStringList roots = writeTree(tree.path(), random);
    QVERIFY(!roots.isEmpty());
    const QList<ManPage> expected = expectedCatalogue(roots);
    const QStringList expectedIDs = idsOf(expected);
    // The same tree listed twice, as a manual path that names one folder twice does; the threads split the
    // folders differently from run to run.
    for (const QStringList &manualPath : { roots, roots + roots }) {
        for (int run = 0; run < 3; ++run) {
            const QList<ManPage> pages = ManIndex::scan(manualPath).pages();
            const QStringList ids = idsOf(pages);
            QCOMPARE(QSet<QString>(ids.cbegin(), ids.cend()).size(), ids.size());
            QCOMPARE(ids, expectedIDs);
            QCOMPARE(pages, expected);
        }
    }
}

QTEST_GUILESS_MAIN(ScanOrderTest)
#include "tst_scanorder.moc"
