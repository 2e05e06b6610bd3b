// SPDX-License-Identifier: GPL-3.0-or-later
// The annotations file as the program keeps it: read back, shared by two processes, kept aside when it is not
// one Lectorin can read; and the notes exported from it.
#include "annotations/annotationstore.h"
#include "annotations/notesexport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;

namespace {

const QDateTime kMade = QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7, 250), Qt::UTC);

Bookmark bookmark(const QString &title, const QString &page = QStringLiteral("x-lectorin-man://1/tar"))
{
    return { QUuid::createUuid(), page, QStringLiteral("OPTIONS"), title, kMade };
}

Highlight highlight(const QString &page, qsizetype position, const QString &exact)
{
    Highlight made { QUuid::createUuid(), page, page.section(u'/', -1) + QStringLiteral("(1)"),
        { exact, QStringLiteral("before "), QStringLiteral(" after"), QStringLiteral("OPTIONS"), position },
        HighlightColour::green, QString(), kMade, kMade };
    return made;
}

QStringList titlesOf(const QList<Bookmark> &bookmarks)
{
    QStringList titles;
    for (const Bookmark &entry : bookmarks)
        titles.append(entry.title);
    return titles;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

} // namespace

class AnnotationStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void savedEntries_readBackInAnotherStore();
    void unknownFieldsAndValues_areTolerated();
    void unreadableFile_isKeptAsideAndReported_data();
    void unreadableFile_isKeptAsideAndReported();
    void twoStoresOnOneFile_keepBothEdits();
    void outsideChange_isReloadedWithOnlyItsSignals();
    void bookmarkEdits_changeOrderAndTitleAndEmitOnlyOnChange();
    void highlightUpdate_datesTheChangeAndSkipsNoChange();
    void export_listsBookmarksThenHighlightsByPage();

private:
    QString filePath() const { return m_dir->filePath(QStringLiteral("Lectorin/annotations.json")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void AnnotationStoreTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void AnnotationStoreTest::savedEntries_readBackInAnotherStore()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(AnnotationStore::defaultFilePath().endsWith(QLatin1String("/Lectorin/annotations.json")));

    QList<Highlight> highlights { highlight(QStringLiteral("x-lectorin-man://1/tar"), 40,
                                      QStringLiteral("extract")),
        highlight(
            QStringLiteral("x-lectorin-man://1/cpio"), 9, QStringLiteral("copy \u201Cin\u201D\nand out")),
        highlight(QStringLiteral("x-lectorin-man://1/tar"), 12, QStringLiteral("create")) };
    highlights[0].note = QStringLiteral("Use -x with -f.\nSecond line.");
    highlights[1].colour = HighlightColour::pink;
    const QList<Bookmark> bookmarks { bookmark(QStringLiteral("tar options")),
        bookmark(QStringLiteral("\u00E9t\u00E9")) };
    {
        AnnotationStore store(filePath());
        QVERIFY(store.problem().isEmpty());
        for (const Bookmark &entry : bookmarks)
            store.addBookmark(entry);
        for (const Highlight &entry : highlights)
            store.addHighlight(entry);
    }
    const QJsonObject root = QJsonDocument::fromJson(contentsOf(filePath())).object();
    QCOMPARE(root.value(QLatin1String("version")).toInt(), 1);

    const AnnotationStore store(filePath());
    QCOMPARE(store.bookmarks(), bookmarks);
    // By page, then by position.
    QCOMPARE(store.highlights(), (QList<Highlight> { highlights[1], highlights[2], highlights[0] }));
    QCOMPARE(store.highlightsOf(QStringLiteral("x-lectorin-man://1/tar")),
        (QList<Highlight> { highlights[2], highlights[0] }));
    QVERIFY(store.problem().isEmpty());
}

void AnnotationStoreTest::unknownFieldsAndValues_areTolerated()
{
    QVERIFY(writeFile(filePath(), R"({"version": 1, "written-by": "a later Lectorin",
        "bookmarks": [{"id": "6a3f3b9e-1d2c-4e5f-8a7b-9c0d1e2f3a4b", "page": "x-lectorin-man://5/tar",
                       "title": "Formats", "shelf": 3}],
        "highlights": [{"id": "7a3f3b9e-1d2c-4e5f-8a7b-9c0d1e2f3a4b", "page": "x-lectorin-man://1/tar",
                        "quote": {"exact": "append", "position": "not a number"}, "colour": "mauve",
                        "note": "kept", "stickers": ["star"]}]})"));
    const AnnotationStore store(filePath());
    QVERIFY(store.problem().isEmpty());
    QCOMPARE(titlesOf(store.bookmarks()), QStringList { QStringLiteral("Formats") });
    QCOMPARE(store.highlights().size(), 1);
    const Highlight read = store.highlights().first();
    QCOMPARE(read.colour, HighlightColour::yellow);
    QCOMPARE(read.note, QStringLiteral("kept"));
    QCOMPARE(read.quote.exact, QStringLiteral("append"));
    QCOMPARE(read.quote.position, -1);
}

void AnnotationStoreTest::unreadableFile_isKeptAsideAndReported_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("not JSON") << QByteArray("{\"version\": 1, \"bookmarks\": [");
    QTest::newRow("not an object") << QByteArray("[1, 2]");
    QTest::newRow("bookmarks not a list") << QByteArray(R"({"version": 1, "bookmarks": {"a": 1}})");
    QTest::newRow("entry without id") << QByteArray(R"({"version": 1, "highlights": [{"page": "x"}]})");
    QTest::newRow("newer version") << QByteArray(R"({"version": 2, "bookmarks": [], "shelves": []})");
    QTest::newRow("another format") << QByteArray(R"json({"bookmarks": [{"url": "man:tar(1)"}]})json");
}

void AnnotationStoreTest::unreadableFile_isKeptAsideAndReported()
{
    QFETCH(QByteArray, contents);
    QVERIFY(writeFile(filePath(), contents));
    // A file kept aside earlier in the same second is never replaced.
    const QString earlier = filePath() + QLatin1String(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QVERIFY(writeFile(earlier, "earlier"));

    AnnotationStore store(filePath());
    QVERIFY(store.bookmarks().isEmpty() && store.highlights().isEmpty());
    const QStringList kept = QDir(QFileInfo(filePath()).absolutePath())
                                 .entryList({ QStringLiteral("annotations.json.damaged-*") }, QDir::Files);
    QCOMPARE(kept.size(), 2);
    QCOMPARE(contentsOf(earlier), QByteArray("earlier"));
    const QString keptPath = QFileInfo(filePath()).absolutePath() + u'/'
        + (QFileInfo(earlier).fileName() == kept.first() ? kept.last() : kept.first());
    QCOMPARE(contentsOf(keptPath), contents);
    QVERIFY2(store.problem().contains(keptPath), qPrintable(store.problem()));

    store.addBookmark(bookmark(QStringLiteral("after")));
    QCOMPARE(contentsOf(keptPath), contents);
    QCOMPARE(titlesOf(AnnotationStore(filePath()).bookmarks()), QStringList { QStringLiteral("after") });
}

void AnnotationStoreTest::twoStoresOnOneFile_keepBothEdits()
{
    // As two processes: neither has seen the other's change when it makes its own.
    AnnotationStore first(filePath());
    AnnotationStore second(filePath());
    first.addBookmark(bookmark(QStringLiteral("from the first")));
    second.addBookmark(bookmark(QStringLiteral("from the second")));
    const Highlight shared = highlight(QStringLiteral("x-lectorin-man://1/tar"), 5, QStringLiteral("shared"));
    first.addHighlight(shared);
    second.removeBookmark(first.bookmarks().first().id);

    const QStringList expected { QStringLiteral("from the second") };
    QCOMPARE(titlesOf(AnnotationStore(filePath()).bookmarks()), expected);
    QCOMPARE(titlesOf(second.bookmarks()), expected);
    QCOMPARE(second.highlights(), QList<Highlight> { shared });
    QTRY_COMPARE(titlesOf(first.bookmarks()), expected);
}

void AnnotationStoreTest::outsideChange_isReloadedWithOnlyItsSignals()
{
    const Highlight onTar = highlight(QStringLiteral("x-lectorin-man://1/tar"), 5, QStringLiteral("extract"));
    const Highlight onCpio = highlight(QStringLiteral("x-lectorin-man://1/cpio"), 5, QStringLiteral("copy"));
    AnnotationStore watching(filePath());
    watching.addHighlight(onTar);
    watching.addHighlight(onCpio);
    QSignalSpy bookmarksChanged(&watching, &AnnotationStore::bookmarksChanged);
    QSignalSpy highlightsChanged(&watching, &AnnotationStore::highlightsChanged);

    Highlight noted = onCpio;
    noted.note = QStringLiteral("from elsewhere");
    AnnotationStore(filePath()).updateHighlight(noted);
    QTRY_COMPARE(highlightsChanged.size(), 1);
    QCOMPARE(highlightsChanged.first().first().toString(), noted.page);
    QCOMPARE(watching.highlightsOf(noted.page).first().note, noted.note);
    QCOMPARE(bookmarksChanged.size(), 0);

    // The same entries written again: read, and nothing to tell. A no-op edit makes the store look at once.
    const QByteArray same = contentsOf(filePath());
    QVERIFY(writeFile(filePath(), QJsonDocument::fromJson(same).toJson(QJsonDocument::Compact)));
    watching.removeBookmark(QUuid::createUuid());
    QCOMPARE(highlightsChanged.size(), 1);
    QCOMPARE(bookmarksChanged.size(), 0);

    AnnotationStore(filePath()).addBookmark(bookmark(QStringLiteral("elsewhere")));
    QTRY_COMPARE(bookmarksChanged.size(), 1);
    QCOMPARE(highlightsChanged.size(), 1);
}

void AnnotationStoreTest::bookmarkEdits_changeOrderAndTitleAndEmitOnlyOnChange()
{
    AnnotationStore store(filePath());
    QSignalSpy changed(&store, &AnnotationStore::bookmarksChanged);
    for (const char *title : { "a", "b", "c" })
        store.addBookmark(bookmark(QLatin1String(title)));
    QCOMPARE(changed.size(), 3);
    const QList<Bookmark> added = store.bookmarks();

    store.moveBookmark(added[2].id, 0);
    QCOMPARE(titlesOf(store.bookmarks()), (QStringList { "c", "a", "b" }));
    store.moveBookmark(added[2].id, 99);
    QCOMPARE(titlesOf(store.bookmarks()), (QStringList { "a", "b", "c" }));
    store.renameBookmark(added[1].id, QStringLiteral("renamed"));
    QCOMPARE(titlesOf(store.bookmarks()), (QStringList { "a", "renamed", "c" }));
    store.removeBookmark(added[0].id);
    QCOMPARE(titlesOf(store.bookmarks()), (QStringList { "renamed", "c" }));
    QCOMPARE(changed.size(), 7);

    const QByteArray saved = contentsOf(filePath());
    store.renameBookmark(added[1].id, QStringLiteral("renamed"));
    store.moveBookmark(added[2].id, 1);
    store.removeBookmark(added[0].id);
    store.addBookmark(store.bookmarks().first());
    QCOMPARE(changed.size(), 7);
    QCOMPARE(contentsOf(filePath()), saved);
    QCOMPARE(titlesOf(AnnotationStore(filePath()).bookmarks()), (QStringList { "renamed", "c" }));

    Bookmark unnamed;
    unnamed.title = QStringLiteral("new");
    store.addBookmark(unnamed);
    QVERIFY(!store.bookmarks().last().id.isNull());
    QVERIFY(store.bookmarks().last().created.isValid());
}

void AnnotationStoreTest::highlightUpdate_datesTheChangeAndSkipsNoChange()
{
    AnnotationStore store(filePath());
    const Highlight made = highlight(QStringLiteral("x-lectorin-man://1/tar"), 5, QStringLiteral("extract"));
    store.addHighlight(made);
    QSignalSpy changed(&store, &AnnotationStore::highlightsChanged);

    store.updateHighlight(made);
    QCOMPARE(changed.size(), 0);
    Highlight noted = made;
    noted.note = QStringLiteral("note");
    noted.colour = HighlightColour::blue;
    store.updateHighlight(noted);
    QCOMPARE(changed.size(), 1);
    const Highlight stored = store.highlights().first();
    QCOMPARE(stored.note, noted.note);
    QCOMPARE(stored.colour, HighlightColour::blue);
    QCOMPARE(stored.created, made.created);
    QVERIFY(stored.modified > made.modified);

    store.removeHighlight(made.id);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.last().first().toString(), made.page);
    QVERIFY(store.highlights().isEmpty());
}

void AnnotationStoreTest::export_listsBookmarksThenHighlightsByPage()
{
    Highlight extract
        = highlight(QStringLiteral("x-lectorin-man://1/tar"), 40, QStringLiteral("-x, --extract"));
    extract.pageTitle = QStringLiteral("tar(1)");
    extract.note = QStringLiteral("Needs *-f* too.");
    Highlight create
        = highlight(QStringLiteral("x-lectorin-man://1/tar"), 10, QStringLiteral("Create a new\n  archive."));
    create.pageTitle = QStringLiteral("tar(1)");
    Highlight gone
        = highlight(QStringLiteral("x-lectorin-man://5/old"), 3, QStringLiteral("a page removed since"));
    gone.pageTitle = QStringLiteral("old(5)");
    gone.quote.section.clear();
    const QList<Bookmark> bookmarks { bookmark(QStringLiteral("tar_options")),
        { QUuid::createUuid(), QStringLiteral("x-lectorin-man://1/cpio"), {}, QString(), kMade } };
    const QList<Highlight> highlights { extract, gone, create };

    QCOMPARE(NotesExport::markdown(bookmarks, highlights),
        QStringLiteral("# Bookmarks\n\n"
                       "- [tar\\_options](<x-lectorin-man://1/tar#OPTIONS>)\n"
                       "- [x-lectorin-man://1/cpio](<x-lectorin-man://1/cpio>)\n"
                       "\n# Highlights and notes\n"
                       "\n### tar(1)\n"
                       "\n> Create a new\n> archive.\n>\n> — *OPTIONS*\n"
                       "\n> \\-x, --extract\n>\n> — *OPTIONS*\n\nNeeds *-f* too.\n"
                       "\n### old(5)\n"
                       "\n> a page removed since\n"));
    QCOMPARE(NotesExport::plainText(bookmarks, highlights),
        QStringLiteral("Bookmarks\n"
                       "  tar_options  x-lectorin-man://1/tar#OPTIONS\n"
                       "  x-lectorin-man://1/cpio  x-lectorin-man://1/cpio\n"
                       "\nHighlights and notes\n"
                       "  tar(1)\n"
                       "    \u201CCreate a new archive.\u201D (OPTIONS)\n"
                       "    \u201C-x, --extract\u201D (OPTIONS)\n"
                       "      Needs *-f* too.\n"
                       "  old(5)\n"
                       "    \u201Ca page removed since\u201D\n"));
    QVERIFY(NotesExport::markdown({}, {}).contains(QLatin1String("No bookmarks.")));
}

QTEST_GUILESS_MAIN(AnnotationStoreTest)
#include "tst_annotationstore.moc"
