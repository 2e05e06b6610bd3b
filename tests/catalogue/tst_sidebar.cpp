// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manindex.h"
#include "catalogue/sidebarfilter.h"
#include "catalogue/sidebarhistory.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;

namespace {

QList<ManPage> catalogue(const QList<std::pair<QString, QString>> &namesAndSections)
{
    QList<ManPage> pages;
    for (const auto &[name, section] : namesAndSections)
        pages.append({ name, section, QString(), name, lowercasedPageName(name) });
    ManIndex::sortInCatalogueOrder(pages);
    return pages;
}

QStringList ranked(const QList<ManPage> &pages, const QString &filter)
{
    QStringList ids;
    for (qsizetype index : SidebarFilter::rankMatches(pages, SidebarFilter::normalizedQuery(filter)))
        ids << pages.at(index).id();
    return ids;
}

} // namespace

class SidebarTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rankMatches_tiersPositionsLengthsAndOrder();
    void rankMatches_nonAsciiCountsCharacters();
    void history_windowLabelsAndStoredSettings();
    void historyPane_heightArithmetic();
};

void SidebarTest::rankMatches_tiersPositionsLengthsAndOrder()
{
    const auto pages = catalogue({ { "false", "1" }, { "git-ls-files", "1" }, { "lsof", "8" }, { "ls", "1" },
        { "lsattr", "1" }, { "git-log", "1" }, { "blog", "1" }, { "blogger-log", "1" }, { "Cc", "1" },
        { "cd", "1" }, { "printf", "3" }, { "printf", "1" }, { "log.d", "5" }, { "x_log", "1" } });
    QCOMPARE(ranked(pages, "ls"), QStringList({ "1/ls", "8/lsof", "1/lsattr", "1/git-ls-files", "1/false" }));
    QCOMPARE(ranked(pages, "  LS\t"), ranked(pages, "ls"));
    QCOMPARE(
        ranked(pages, "log"), QStringList({ "5/log.d", "1/x_log", "1/git-log", "1/blog", "1/blogger-log" }));
    QCOMPARE(ranked(pages, "c").mid(0, 2), QStringList({ "1/Cc", "1/cd" }));
    QCOMPARE(ranked(pages, "printf"), QStringList({ "1/printf", "3/printf" }));
    QVERIFY(ranked(pages, "zz").isEmpty());
    QCOMPARE(SidebarFilter::normalizedQuery(" \t "), QString());
}

void SidebarTest::rankMatches_nonAsciiCountsCharacters()
{
    // "e" + combining accent is one character; the decomposed name matches a precomposed query.
    const auto pages = catalogue({ { "cafe\u0301-x", "1" }, { "ab-x", "1" }, { "caf\u00e9", "1" } });
    QCOMPARE(ranked(pages, "caf\u00e9"), QStringList({ "1/caf\u00e9", "1/cafe\u0301-x" }));
    // Both "-x" matches sit at position 2 of 4 characters and tie on length; catalogue order decides.
    QCOMPARE(ranked(pages, "x"), QStringList({ "1/ab-x", "1/cafe\u0301-x" }));
    // A character outside the basic plane is one character too, not two code units.
    const auto astral = catalogue({ { "abcx", "1" }, { "\U0001F600\U0001F600x", "1" } });
    QCOMPARE(ranked(astral, "x"), QStringList({ "1/\U0001F600\U0001F600x", "1/abcx" }));
}

void SidebarTest::history_windowLabelsAndStoredSettings()
{
    QStringList history;
    for (int i = 0; i < 100; ++i)
        history << QStringLiteral("1/p%1").arg(i);
    QCOMPARE(SidebarHistory::displayedHistory(history, 0).size(), 5);
    QCOMPARE(SidebarHistory::displayedHistory(history, 30), history.mid(0, 30));
    QCOMPARE(SidebarHistory::displayedHistory(history, 500).size(), 100);
    QCOMPARE(SidebarHistory::displayedHistory(history.mid(0, 2), 30).size(), 2);

    const Catalogue byID
        = Catalogue({ { "printf", "3", QStringLiteral("/m/printf.3"), "printf", "printf" },
                        { "printf", "1", QStringLiteral("/m/printf.1"), "printf", "printf" } })
              .withHelpPages({ { "brew", "help", QStringLiteral("/bin/brew"), "brew", "brew" } });
    using Style = SidebarHistory::RowLabel::Style;
    QCOMPARE(SidebarHistory::rowLabel("3/printf", byID),
        (SidebarHistory::RowLabel { "printf(3)", Style::manualPage }));
    QCOMPARE(
        SidebarHistory::rowLabel("help/brew", byID), (SidebarHistory::RowLabel { "brew", Style::helpPage }));
    QCOMPARE(SidebarHistory::rowLabel("1/foo", byID), (SidebarHistory::RowLabel { "foo", Style::missing }));
    QCOMPARE(SidebarHistory::rowLabel("3/a/b", byID), (SidebarHistory::RowLabel { "a/b", Style::missing }));
    QCOMPARE(SidebarHistory::rowLabel("odd", byID), (SidebarHistory::RowLabel { "odd", Style::missing }));

    QTemporaryDir dir;
    QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
    QCOMPARE(SidebarHistory::storedHistoryLimit(settings), 30);
    QCOMPARE(SidebarHistory::storedPaneHeight(settings), 180.0);
    settings.setValue("historyLimit", "12");
    QCOMPARE(SidebarHistory::storedHistoryLimit(settings), 12);
    settings.setValue("historyLimit", "twelve");
    QCOMPARE(SidebarHistory::storedHistoryLimit(settings), 30);
    settings.setValue("historyLimit", 1e30);
    QCOMPARE(SidebarHistory::storedHistoryLimit(settings), 30);
    SidebarHistory::storeHistoryLimit(settings, 400);
    QCOMPARE(SidebarHistory::storedHistoryLimit(settings), 100);
    settings.setValue("historyPaneHeight", QStringList { "x", "y" });
    QCOMPARE(SidebarHistory::storedPaneHeight(settings), 180.0);
}

void SidebarTest::historyPane_heightArithmetic()
{
    QCOMPARE(SidebarHistory::largestPaneHeight(300), 192.0);
    QCOMPARE(SidebarHistory::largestPaneHeight(100), 56.0);
    QCOMPARE(SidebarHistory::laidOutPaneHeight(180, 300), 180.0);
    QCOMPARE(SidebarHistory::laidOutPaneHeight(500, 300), 192.0);
    QCOMPARE(SidebarHistory::laidOutPaneHeight(180, 100), 56.0);
    QCOMPARE(SidebarHistory::laidOutPaneHeight(10, 800), 56.0);
    QCOMPARE(SidebarHistory::draggedPaneHeight(180, 20, 800), 200.0); // dragging down grows the pane
    QCOMPARE(SidebarHistory::draggedPaneHeight(180, -200, 800), 56.0);
    QCOMPARE(SidebarHistory::draggedPaneHeight(180, 1000, 800), 692.0);
}

QTEST_GUILESS_MAIN(SidebarTest)
#include "tst_sidebar.moc"
