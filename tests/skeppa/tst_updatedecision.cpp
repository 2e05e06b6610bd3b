// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/updatedecision.h"

#include <QTest>

using namespace Skeppa;

namespace {

// "build:minimum" pairs, in feed order.
UpdateFeed feedOf(const QStringList &releases)
{
    UpdateFeed feed { 1, QStringLiteral("Lectorin"), {} };
    for (const QString &entry : releases) {
        const QStringList parts = entry.split(u':');
        feed.releases.append(Release { QStringLiteral("v") + parts.at(0), parts.at(0).toLongLong(),
            parts.at(1), QStringLiteral("2025-03-07"), QUrl(QStringLiteral("https://github.com/x")),
            std::nullopt, std::nullopt });
    }
    return feed;
}

} // namespace

class UpdateDecisionTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decide_data();
    void decide();
    void equalBuilds_keepFeedOrder();
};

void UpdateDecisionTest::decide_data()
{
    QTest::addColumn<QStringList>("releases");
    QTest::addColumn<qint64>("running");
    QTest::addColumn<qint64>("skipped"); // -1: none
    QTest::addColumn<UpdateOutcome::Kind>("kind");
    QTest::addColumn<qint64>("offeredBuild"); // -1: none

    using Kind = UpdateOutcome::Kind;
    // The running system is 15.2 throughout.
    QTest::newRow("empty feed") << QStringList() << qint64(50) << qint64(-1) << Kind::upToDate << qint64(-1);
    QTest::newRow("newest equals running")
        << QStringList { "50:1", "49:1" } << qint64(50) << qint64(-1) << Kind::upToDate << qint64(-1);
    QTest::newRow("newer, any order") << QStringList { "51:1", "53:15", "52:1" } << qint64(50) << qint64(-1)
                                      << Kind::available << qint64(53);
    QTest::newRow("unsupported newest hides nothing")
        << QStringList { "60:16", "59:15" } << qint64(50) << qint64(-1) << Kind::available << qint64(59);
    QTest::newRow("only newer systems: lowest requirement")
        << QStringList { "62:17.0", "61:16.1" } << qint64(50) << qint64(-1) << Kind::availableButUnsupported
        << qint64(61);
    QTest::newRow("requirement tie: higher build")
        << QStringList { "61:16", "62:16.0" } << qint64(50) << qint64(-1) << Kind::availableButUnsupported
        << qint64(62);
    QTest::newRow("unparsable requirement alone") << QStringList { "61:sixteen" } << qint64(50) << qint64(-1)
                                                  << Kind::availableButUnsupported << qint64(61);
    QTest::newRow("unparsable beside parsable") << QStringList { "62:sixteen", "61:16" } << qint64(50)
                                                << qint64(-1) << Kind::availableButUnsupported << qint64(61);
    QTest::newRow("all unparsable: highest build")
        << QStringList { "61:x", "63:y", "62:z" } << qint64(50) << qint64(-1) << Kind::availableButUnsupported
        << qint64(63);
    QTest::newRow("skipped build") << QStringList { "60:1" } << qint64(50) << qint64(60) << Kind::skipped
                                   << qint64(60);
    QTest::newRow("skip covers one build only")
        << QStringList { "60:1", "61:1" } << qint64(50) << qint64(60) << Kind::available << qint64(61);
    QTest::newRow("older builds ignored")
        << QStringList { "40:1", "30:1" } << qint64(50) << qint64(-1) << Kind::upToDate << qint64(-1);
}

void UpdateDecisionTest::decide()
{
    QFETCH(QStringList, releases);
    QFETCH(qint64, running);
    QFETCH(qint64, skipped);
    QFETCH(UpdateOutcome::Kind, kind);
    QFETCH(qint64, offeredBuild);

    const UpdateOutcome outcome = UpdateDecision::decide(feedOf(releases), running,
        SystemVersion { 15, 2, 0 }, skipped < 0 ? std::nullopt : std::optional(skipped));
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.release ? outcome.release->build : qint64(-1), offeredBuild);
}

void UpdateDecisionTest::equalBuilds_keepFeedOrder()
{
    UpdateFeed feed = feedOf({ "60:1", "60:1" });
    feed.releases[0].version = QStringLiteral("first");
    feed.releases[1].version = QStringLiteral("second");
    const UpdateOutcome outcome = UpdateDecision::decide(feed, 50, SystemVersion { 15, 2, 0 }, std::nullopt);
    QCOMPARE(outcome, UpdateOutcome::available(feed.releases[0]));
}

QTEST_GUILESS_MAIN(UpdateDecisionTest)
#include "tst_updatedecision.moc"
