// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "catalogue/cataloguetestfiles.h"
#include "ui/commandhelpsectionmodel.h"
#include "ui/commandssectionmodel.h"
#include "ui/foundinpagessectionmodel.h"
#include "ui/sidebarmodels.h"

#include "../common/infomanualfixture.h"

#include <QAbstractItemModelTester>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;
using SidebarRoles::RowKind;

namespace {

ManPage page(const char *name, const char *section)
{
    return { name, section, QString(), name, lowercasedPageName(name) };
}

SidebarFilter::Rows pageRows(const QList<ManPage> &source, std::optional<QList<qint32>> indices = {})
{
    SidebarFilter::Rows rows;
    rows.kind = SidebarFilter::Rows::Kind::pages;
    rows.source = &source;
    rows.indices = std::move(indices);
    return rows;
}

QStringList texts(const QAbstractItemModel &model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, 0).data().toString();
    return texts;
}

FoundInPages::Row result(const char *id, const char *snippet)
{
    return { id, QString(id).section('/', 1), snippet, "word" };
}

FoundInPages::Section indexingSection(qsizetype done, QList<FoundInPages::Row> rows)
{
    return { true, FoundInPages::Progress { done, 10 }, FoundInPages::indexingText(done, 10), std::move(rows),
        true };
}

// The rows each dataChanged signal names, as "first-last".
QStringList changedRows(const QSignalSpy &spy)
{
    QStringList ranges;
    for (const QList<QVariant> &arguments : spy)
        ranges << QStringLiteral("%1-%2")
                      .arg(arguments.at(0).toModelIndex().row())
                      .arg(arguments.at(1).toModelIndex().row());
    return ranges;
}

} // namespace

class SidebarSectionsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commands_filterAndCatalogueChangesResetOnlyOnRealChange();
    void commandHelp_showsOnlyWithPages();
    void foundInPages_progressRepaintsOnlyChangedRows();
    void catalogueList_sectionsJoinedThroughLoadsFiltersAndResults();
    void manuals_listedUnderCommandsAndFoundByTheirTopics();
};

void SidebarSectionsTest::commands_filterAndCatalogueChangesResetOnlyOnRealChange()
{
    CommandsSectionModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QCOMPARE(texts(model), QStringList({ "Commands" }));

    SidebarFilter::Rows scanning;
    scanning.kind = SidebarFilter::Rows::Kind::scanning;
    model.setRows(scanning);
    QCOMPARE(model.index(1, 0).data(SidebarRoles::Kind).toInt(), int(RowKind::scanning));
    QCOMPARE(model.flags(model.index(1, 0)), Qt::ItemIsEnabled);

    const QList<ManPage> pages { page("ls", "1"), page("lsof", "8"), page("printf", "1") };
    model.setRows(pageRows(pages));
    QCOMPARE(texts(model), QStringList({ "Commands", "ls", "lsof", "printf" }));
    QCOMPARE(model.index(2, 0).data(SidebarRoles::PageID).toString(), QStringLiteral("8/lsof"));
    QCOMPARE(model.index(2, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("lsof(8)"));
    QCOMPARE(model.flags(model.index(2, 0)), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QCOMPARE(model.flags(model.index(0, 0)), Qt::ItemIsEnabled);
    QCOMPARE(resets.size(), 2);

    // A filter that ranks the same rows, or an equal catalogue in a list of its own, changes nothing.
    model.setRows(pageRows(pages));
    QList<ManPage> equalCopy = pages;
    equalCopy.detach();
    model.setRows(pageRows(equalCopy));
    QCOMPARE(resets.size(), 2);

    // Descriptions repaint the page rows when they differ, and only then.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    PageDescriptions descriptions;
    descriptions.insert("8/lsof", "list open files");
    model.setDescriptions(descriptions);
    model.setDescriptions(descriptions);
    QCOMPARE(changedRows(changed), QStringList({ "1-3" }));
    QCOMPARE(model.index(2, 0).data(SidebarRoles::Description).toString(), QStringLiteral("list open files"));
    QCOMPARE(
        model.index(2, 0).data(Qt::ToolTipRole).toString(), QString::fromUtf8("lsof(8) — list open files"));
    QCOMPARE(model.index(1, 0).data(SidebarRoles::Description).toString(), QString());

    model.setRows(pageRows(pages, QList<qint32> { 1, 0 }));
    QCOMPARE(texts(model), QStringList({ "Commands", "lsof", "ls" }));
    QCOMPARE(model.rowOf("1/ls"), 2);
    QCOMPARE(model.rowOf("1/printf"), -1);
    QCOMPARE(model.rowOf("ls"), -1);

    // A catalogue replaced underneath keeps showing what it was until the section is told.
    QList<ManPage> reloaded { page("mount", "8") };
    model.setRows(pageRows(reloaded));
    reloaded = { page("umount", "8"), page("zsh", "1") };
    QCOMPARE(texts(model), QStringList({ "Commands", "mount" }));
    model.setRows(pageRows(reloaded));
    QCOMPARE(texts(model), QStringList({ "Commands", "umount", "zsh" }));
    QCOMPARE(resets.size(), 5);
}

void SidebarSectionsTest::commandHelp_showsOnlyWithPages()
{
    CommandHelpSectionModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    SidebarFilter::Rows message;
    message.kind = SidebarFilter::Rows::Kind::message;
    message.message = SidebarFilter::kNoMatchingCommandText;
    model.setRows(message);
    QCOMPARE(model.rowCount(), 0);

    const QList<ManPage> help { page("gitk", "help"), page("lsx", "help") };
    model.setRows(pageRows(help, QList<qint32> { 1 }));
    QCOMPARE(texts(model), QStringList({ "Command Help", "lsx" }));
    QCOMPARE(model.rowOf("help/lsx"), 1);
    model.setRows({});
    QCOMPARE(model.rowCount(), 0);
}

void SidebarSectionsTest::foundInPages_progressRepaintsOnlyChangedRows()
{
    FoundInPagesSectionModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    const QList<FoundInPages::Row> rows { result("1/ls", "a"), result("1/cp", "b"), result("1/mv", "c") };
    model.setSection(indexingSection(2, rows));
    QCOMPARE(texts(model),
        QStringList({ "Found in Pages", "Indexing pages… 2 of 10", "ls", "cp", "mv", "Show All" }));
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(model.index(1, 0).data(SidebarRoles::ProgressDone).toLongLong(), 2);
    QCOMPARE(model.index(3, 0).data(SidebarRoles::SnippetHTML).toString(), QStringLiteral("b"));
    QCOMPARE(model.rowOf("1/mv"), 4);
    QCOMPARE(model.flags(model.index(1, 0)), Qt::ItemIsEnabled);
    QCOMPARE(model.flags(model.index(5, 0)), Qt::ItemIsEnabled | Qt::ItemIsSelectable);

    // Progress alone repaints the progress row; a result's new excerpt repaints that result.
    model.setSection(indexingSection(3, rows));
    QCOMPARE(changedRows(changed), QStringList({ "1-1" }));
    changed.clear();
    model.setSection(indexingSection(3, { rows.at(0), result("1/cp", "new"), rows.at(2) }));
    QCOMPARE(changedRows(changed), QStringList({ "3-3" }));
    changed.clear();
    model.setSection(indexingSection(4, { result("1/ls", "x"), result("1/cp", "y"), rows.at(2) }));
    QCOMPARE(changedRows(changed), QStringList({ "1-1", "2-3" }));
    QCOMPARE(model.index(2, 0).data(SidebarRoles::SnippetHTML).toString(), QStringLiteral("x"));
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(removed.size(), 0);

    // Other rows come in place of the old ones.
    FoundInPages::Section done { true, std::nullopt, QString(), { rows.at(1) }, false };
    model.setSection(done);
    QCOMPARE(texts(model), QStringList({ "Found in Pages", "cp" }));
    QCOMPARE(model.rowOf("1/cp"), 1);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(inserted.size(), 2);
    model.setSection({});
    QCOMPARE(model.rowCount(), 0);
}

void SidebarSectionsTest::catalogueList_sectionsJoinedThroughLoadsFiltersAndResults()
{
    QTemporaryDir dir;
    for (const char *file : { "man1/ls.1", "man8/lsof.8", "man1/git.1" })
        touch(dir.filePath(QStringLiteral("man/") + file));
    for (const char *command : { "lsx", "ls" })
        touch(dir.filePath(QStringLiteral("bin/") + command), QFile::ReadOwner | QFile::ExeOwner);
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    AppModel app(&settings,
        { [&] { return QStringList { dir.filePath("man") }; },
            [&] { return QStringList { dir.filePath("bin") }; } });
    CatalogueListModel model(&app);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(texts(model), QStringList({ "Commands", "Scanning man pages…" }));

    QSignalSpy helpLoaded(&app, &AppModel::helpPagesLoaded);
    app.loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(helpLoaded.size(), 1, 10000);
    QCOMPARE(texts(model), QStringList({ "Commands" }));
    model.setShowsCommands(true);
    QCOMPARE(texts(model), QStringList({ "Commands", "git", "ls", "lsof" }));

    model.setFoundInPages(indexingSection(1, { result("1/git", "g") }));
    model.setFilter(" LS");
    QCOMPARE(texts(model),
        QStringList({ "Commands", "ls", "lsof", "Command Help", "lsx", "Found in Pages",
            "Indexing pages… 1 of 10", "git", "Show All" }));
    QCOMPARE(model.rowOf("8/lsof"), 2);
    QCOMPARE(model.rowOf("help/lsx"), 4);
    QCOMPARE(model.rowOf("1/git"), 7);
    QCOMPARE(model.rowOf("1/nothing"), -1);
    QCOMPARE(model.firstPageRow(), 1);

    // Progress below the names repaints its own row of the joined list.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setFoundInPages(indexingSection(2, { result("1/git", "g") }));
    QCOMPARE(changedRows(changed), QStringList({ "6-6" }));
    QCOMPARE(model.foundInPages().indexing->done, 2);

    model.setFilter("lsx");
    QCOMPARE(texts(model).mid(0, 4),
        QStringList({ "Commands", "No matching manual page", "Command Help", "lsx" }));
    QCOMPARE(model.firstPageRow(), 3);

    // A re-scan that finds a new page brings it into the joined list.
    touch(dir.filePath("man/man1/lsblk.1"));
    model.setFilter("ls");
    QSignalSpy refreshing(&app, &AppModel::isRefreshingIndexChanged);
    app.refreshIndex();
    QTRY_COMPARE_WITH_TIMEOUT(refreshing.size(), 2, 10000);
    QCOMPARE(texts(model).mid(0, 4), QStringList({ "Commands", "ls", "lsof", "lsblk" }));
    QTRY_COMPARE_WITH_TIMEOUT(helpLoaded.size(), 2, 10000);
    QCOMPARE(model.rowOf("help/lsx"), 5);

    // A page's name and an option: a row above the lists jumps there, and Return takes it; a command with
    // only help output, or no page at all, earns none.
    model.setFilter("git --amend=yes");
    QCOMPARE(texts(model).mid(0, 3),
        QStringList({ "--amend in git(1)", "Explain \u2018git --amend=yes\u2019", "Commands" }));
    QCOMPARE(model.index(1, 0).data(SidebarRoles::CommandLine).toString(), QStringLiteral("git --amend=yes"));
    QCOMPARE(model.index(0, 0).data(SidebarRoles::PageID).toString(), QStringLiteral("1/git"));
    QCOMPARE(model.index(0, 0).data(SidebarRoles::Fragment).toString(), QStringLiteral("--amend"));
    QCOMPARE(model.firstPageRow(), 0);
    model.setFilter("ls(8) -l");
    QCOMPARE(texts(model).first(), QStringLiteral("-l in ls(1)"));
    // Any line with an option can be explained, page or not; a line without one cannot.
    for (const char *filter : { "lsx -a", "nosuch -a" }) {
        model.setFilter(filter);
        QCOMPARE(texts(model).first(), QStringLiteral("Explain \u2018%1\u2019").arg(filter));
    }
    for (const char *filter : { "git amend", "git" }) {
        model.setFilter(filter);
        QCOMPARE(texts(model).first(), QStringLiteral("Commands"));
    }
}

void SidebarSectionsTest::manuals_listedUnderCommandsAndFoundByTheirTopics()
{
    QTemporaryDir dir;
    touch(dir.filePath("man/man1/frob.1"));
    writeFile(dir.filePath("info/fix.info"), InfoManualFixture::kManual);
    writeFile(dir.filePath("info/dir"), InfoManualFixture::kDir);
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    AppModel::Discovery discovery { [&] { return QStringList { dir.filePath("man") }; },
        [] { return QStringList(); } };
    discovery.infoDirectories = [&] { return QStringList { dir.filePath("info") }; };
    AppModel app(&settings, std::move(discovery));
    CatalogueListModel model(&app);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy topics(&app, &AppModel::infoTopicsChanged);
    app.loadIndexIfNeeded();
    QVERIFY(topics.wait(10000));
    model.setShowsCommands(true);
    QTRY_COMPARE_WITH_TIMEOUT(
        texts(model), QStringList({ "Commands", "frob", "Manuals", "All Manuals", "fix" }), 10000);
    QCOMPARE(
        model.index(4, 0).data(SidebarRoles::Description).toString(), QStringLiteral("A fixture manual."));
    QCOMPARE(model.index(4, 0).data(SidebarRoles::PageID).toString(), QStringLiteral("info/(fix)Top"));

    // A query finds nodes by name and by their index entries, each node once, the closer match first.
    model.setFilter("frob");
    QCOMPARE(texts(model), QStringList({ "Commands", "frob", "Manuals", "Frobbing" }));
    QCOMPARE(model.index(3, 0).data(SidebarRoles::PageID).toString(), QStringLiteral("info/(fix)Frobbing"));
    QCOMPARE(model.rowOf("info/(fix)Frobbing"), 3);
    model.setFilter("--frobn");
    QCOMPARE(texts(model).mid(2), QStringList({ "Manuals", "--frobnicate" }));
    QCOMPARE(model.index(3, 0).data(SidebarRoles::Description).toString(), QStringLiteral("(fix)Frobbing"));
    model.setFilter("zzz");
    QVERIFY(!texts(model).contains("Manuals"));
}

QTEST_GUILESS_MAIN(SidebarSectionsTest)
#include "tst_sidebarsections.moc"
