// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/appmodel.h"
#include "catalogue/manindex.h"
#include "catalogue/sidebarfilter.h"
#include "catalogue/sidebarhistory.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
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

QStringList rowTexts(const SidebarFilter::Rows &rows)
{
    switch (rows.kind) {
    case SidebarFilter::Rows::Kind::none:
        return {};
    case SidebarFilter::Rows::Kind::scanning:
        return { SidebarFilter::kScanningText };
    case SidebarFilter::Rows::Kind::message:
        return { "(" + rows.message + ")" };
    case SidebarFilter::Rows::Kind::pages:
        break;
    }
    QStringList texts;
    for (qsizetype row = 0; row < rows.count(); ++row)
        texts << rows.pageAt(row).displayName;
    return texts;
}

void touch(const QString &path, QFile::Permissions permissions)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.close();
    file.setPermissions(permissions);
}

} // namespace

class SidebarTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rankMatches_tiersPositionsLengthsAndOrder();
    void rankMatches_nonAsciiCountsCharacters();
    void rankMatches_ordersLikeTheRankOverManyNames();
    void sections_everyStateWithItsTexts();
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
}

// The ranking rule spelled out on the UTF-16 names, against the index over a few thousand generated names:
// ASCII and not, repeated parts, separators, long names whose positions and lengths take many values.
void SidebarTest::rankMatches_ordersLikeTheRankOverManyNames()
{
    const QStringList parts { "l", "ls", "git", "x", "log", "Xm", "caf\u00e9", "e\u0301", "\u00fc",
        "\U0001F600", "-", "_", ".", "::", "zz" };
    QList<std::pair<QString, QString>> names;
    quint32 seed = 12345;
    const auto next = [&seed](quint32 bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    for (int i = 0; i < 4000; ++i) {
        QString name;
        const quint32 count = 1 + next(i % 997 == 0 ? 300 : i % 50 == 0 ? 40 : 4);
        for (quint32 part = 0; part < count; ++part)
            name += parts.at(qsizetype(next(quint32(parts.size()))));
        names.append({ name, QString::number(1 + next(3)) });
    }
    const QList<ManPage> pages = catalogue(names);
    const QStringList queries { "l", "ls", "git", "x", "e", "\u00e9", "caf\u00e9", "-l", "::", "\U0001F600",
        "xm", "zz", "lslsls", "q" };
    for (const QString &query : queries) {
        struct Ranked
        {
            int tier, position, length;
            qsizetype index;
            auto operator<=>(const Ranked &) const = default;
        };
        QList<Ranked> expected;
        for (qsizetype index = 0; index < pages.size(); ++index) {
            const QString &lowered = pages.at(index).lowercasedName;
            const qsizetype at = lowered.indexOf(query);
            if (at < 0)
                continue;
            const QChar before = at > 0 ? lowered.at(at - 1) : QChar();
            const int tier = at == 0 ? (lowered.size() == query.size() ? 0 : 1)
                                     : (before == u'-' || before == u'_' || before == u'.' ? 2 : 3);
            expected.append({ tier, int(graphemeCount(QStringView(lowered).left(at))),
                int(graphemeCount(pages.at(index).name)), index });
        }
        std::sort(expected.begin(), expected.end());
        QList<qint32> expectedOrder;
        for (const Ranked &ranked : std::as_const(expected))
            expectedOrder.append(qint32(ranked.index));
        QCOMPARE(SidebarFilter::rankMatches(pages, query), expectedOrder);
    }
}

void SidebarTest::sections_everyStateWithItsTexts()
{
    QTemporaryDir dir;
    const QFile::Permissions plain = QFile::ReadOwner | QFile::WriteOwner;
    for (const char *file : { "man1/ls.1", "man8/lsof.8", "man1/git.1" })
        touch(dir.filePath(QStringLiteral("man/") + file), plain);
    for (const char *command : { "lsx", "gitk", "ls" })
        touch(dir.filePath(QStringLiteral("bin/") + command), plain | QFile::ExeOwner);
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    AppModel model(&settings,
        { [&] { return QStringList { dir.filePath("man") }; },
            [&] { return QStringList { dir.filePath("bin") }; } });

    using Kind = SidebarFilter::Rows::Kind;
    auto sections = SidebarFilter::sections(model, "ls", true);
    QCOMPARE(rowTexts(sections.commands), QStringList({ SidebarFilter::kScanningText }));
    QCOMPARE(sections.commandHelp.kind, Kind::none);

    QSignalSpy helpLoaded(&model, &AppModel::helpPagesLoaded);
    model.loadIndexIfNeeded();
    QTRY_COMPARE_WITH_TIMEOUT(helpLoaded.size(), 1, 10000);

    QCOMPARE(SidebarFilter::sections(model, "", false).commands.kind, Kind::none);
    sections = SidebarFilter::sections(model, "  ", true);
    QCOMPARE(rowTexts(sections.commands), QStringList({ "git", "ls", "lsof" }));
    QCOMPARE(sections.commands.source, &model.pages()); // the catalogue itself, not a copy
    QVERIFY(!sections.commands.indices);
    QCOMPARE(sections.commandHelp.kind, Kind::none);

    sections = SidebarFilter::sections(model, "LS", true);
    QCOMPARE(rowTexts(sections.commands), QStringList({ "ls", "lsof" }));
    QCOMPARE(rowTexts(sections.commandHelp), QStringList({ "lsx" }));

    sections = SidebarFilter::sections(model, "gitk", true);
    QCOMPARE(rowTexts(sections.commands), QStringList({ "(No matching manual page)" }));
    QCOMPARE(rowTexts(sections.commandHelp), QStringList({ "gitk" }));

    sections = SidebarFilter::sections(model, "nothing", true);
    QCOMPARE(rowTexts(sections.commands), QStringList({ "(No matching command)" }));
    QCOMPARE(sections.commandHelp.kind, Kind::none);
}

void SidebarTest::history_windowLabelsAndStoredSettings()
{
    QStringList history;
    for (int i = 0; i < 100; ++i)
        history << QStringLiteral("1/p%1").arg(i);
    QCOMPARE(SidebarHistory::displayedHistory(history, 0).size(), 5);
    QCOMPARE(SidebarHistory::displayedHistory(history, 3).size(), 5);
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
