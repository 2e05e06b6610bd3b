// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/updatefeed.h"

#include <QJsonArray>
#include <QTest>

using namespace Skeppa;

namespace {

// A valid one-release document with the release's fields replaced or added by `releaseFields`
// (a JSON fragment placed after the defaults, so a repeated key wins) and the root's by `rootFields`.
QByteArray document(const QByteArray &releaseFields = {}, const QByteArray &rootFields = {})
{
    QByteArray release
        = R"({"version": "1.4", "build": 27, "minimumSystemVersion": "6.1",)"
          R"( "date": "2025-03-07", "url": "https://github.com/l/l/releases/download/1.4/l.tar.gz")";
    if (!releaseFields.isEmpty())
        release += ", " + releaseFields;
    release += '}';
    QByteArray root = R"({"schema": 1, "app": "Lectorin", "releases": [)" + release + ']';
    if (!rootFields.isEmpty())
        root += ", " + rootFields;
    return root + '}';
}

Release sampleRelease()
{
    return Release { QStringLiteral("1.4"), 27, QStringLiteral("6.1"), QStringLiteral("2025-03-07"),
        QUrl(QStringLiteral("https://github.com/l/l/releases/download/1.4/l.tar.gz")), std::nullopt,
        std::nullopt };
}

} // namespace

class UpdateFeedTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void validDocument_data();
    void validDocument();
    void malformedDocument_data();
    void malformedDocument();
    void otherSchema_isUnsupportedEvenWhenTheRestIsGarbage();
    void encoding_roundTripsWithTheSameKeys();
    void publishedDate_data();
    void publishedDate();
    void isSupported_data();
    void isSupported();
    void unsupportedSystemMessage_data();
    void unsupportedSystemMessage();
};

void UpdateFeedTest::validDocument_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<Release>("expected");

    const auto edited = [](auto edit) {
        Release release = sampleRelease();
        edit(release);
        return release;
    };
    QTest::newRow("plain") << document() << sampleRelease();
    QTest::newRow("notes null, sha256 null")
        << document(R"("notes": null, "sha256": null)") << sampleRelease();
    const QUrl notes(QStringLiteral("https://example.org/notes/1.4"));
    QTest::newRow("notes given") << document(R"("notes": "https://example.org/notes/1.4")")
                                 << edited([&](Release &r) { r.notes = notes; });
    QTest::newRow("sha256 given") << document(R"("sha256": "ab12")")
                                  << edited([](Release &r) { r.sha256 = QStringLiteral("ab12"); });
    QTest::newRow("extra key in release") << document(R"("channel": "beta")") << sampleRelease();
    QTest::newRow("extra key at root") << document({}, R"("channel": {"any": [1, 2]})") << sampleRelease();
    QTest::newRow("extra key holding a fraction") << document(R"("score": 1.5e3)") << sampleRelease();
    QTest::newRow("text with quotes and numbers")
        << document(R"("version": "1.4 \"beta\" 12.0")")
        << edited([](Release &r) { r.version = QStringLiteral("1.4 \"beta\" 12.0"); });
    QTest::newRow("negative build") << document(R"("build": -3)") << edited([](Release &r) { r.build = -3; });
    QTest::newRow("largest 64-bit build")
        << document(R"("build": 9223372036854775807)")
        << edited([](Release &r) { r.build = std::numeric_limits<qint64>::max(); });
    QTest::newRow("unparsable date kept as text") << document(
        R"("date": "07/03/2025")") << edited([](Release &r) { r.date = QStringLiteral("07/03/2025"); });
}

void UpdateFeedTest::validDocument()
{
    QFETCH(QByteArray, json);
    QFETCH(Release, expected);

    const UpdateFeedDecoding decoding = UpdateFeed::decode(json);
    const UpdateFeed *feed = std::get_if<UpdateFeed>(&decoding);
    if (!feed)
        QFAIL(qPrintable(std::get<UpdateFeedError>(decoding).description));
    QCOMPARE(feed->schema, 1);
    QCOMPARE(feed->app, QStringLiteral("Lectorin"));
    QCOMPARE(feed->releases.size(), 1);
    QCOMPARE(feed->releases.first(), expected);
}

void UpdateFeedTest::malformedDocument_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("not JSON") << QByteArray("<html>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("root is an array") << QByteArray("[1]");
    QTest::newRow("no schema") << QByteArray(R"({"app": "Lectorin", "releases": []})");
    QTest::newRow("schema as string") << QByteArray(R"({"schema": "1", "app": "L", "releases": []})");
    QTest::newRow("schema 1.0") << QByteArray(R"({"schema": 1.0, "app": "L", "releases": []})");
    QTest::newRow("key case differs") << QByteArray(R"({"Schema": 1, "app": "L", "releases": []})");
    QTest::newRow("app missing") << QByteArray(R"({"schema": 1, "releases": []})");
    QTest::newRow("releases not an array") << QByteArray(R"({"schema": 1, "app": "L", "releases": {}})");
    QTest::newRow("release not an object") << QByteArray(R"({"schema": 1, "app": "L", "releases": [3]})");
    QTest::newRow("build 12.0") << document(R"("build": 12.0)");
    QTest::newRow("build \"12\"") << document(R"("build": "12")");
    QTest::newRow("build 1e1") << document(R"("build": 1e1)");
    QTest::newRow("build beyond 64 bits") << document(R"("build": 9223372036854775808)");
    QTest::newRow("build null") << document(R"("build": null)");
    QTest::newRow("version as number") << document(R"("version": 1.4)");
    QTest::newRow("url empty") << document(R"("url": "")");
    QTest::newRow("url not a URL") << document(R"("url": "https://exa mple.org/%zz")");
    QTest::newRow("notes as number") << document(R"("notes": 5)");
    QTest::newRow("sha256 as boolean") << document(R"("sha256": true)");
}

void UpdateFeedTest::malformedDocument()
{
    QFETCH(QByteArray, json);
    const UpdateFeedDecoding decoding = UpdateFeed::decode(json);
    const UpdateFeedError *error = std::get_if<UpdateFeedError>(&decoding);
    QVERIFY(error);
    QCOMPARE(error->kind, UpdateFeedError::Kind::malformed);
    QVERIFY(!error->description.isEmpty());
}

void UpdateFeedTest::otherSchema_isUnsupportedEvenWhenTheRestIsGarbage()
{
    QCOMPARE(std::get<UpdateFeedError>(UpdateFeed::decode(R"({"schema": 2, "releases": "later"})")),
        UpdateFeedError::unsupportedSchema(2));
    QCOMPARE(std::get<UpdateFeedError>(UpdateFeed::decode(R"({"schema": 0})")),
        UpdateFeedError::unsupportedSchema(0));

    const UpdateFeedDecoding empty = UpdateFeed::decode(R"({"schema": 1, "app": "L", "releases": []})");
    QVERIFY(std::get<UpdateFeed>(empty).releases.isEmpty());
}

void UpdateFeedTest::encoding_roundTripsWithTheSameKeys()
{
    Release full = sampleRelease();
    full.notes = QUrl(QStringLiteral("https://example.org/notes?v=1.4"));
    full.sha256 = QStringLiteral("0123abcd");
    const UpdateFeed feed { 1, QStringLiteral("Lectorin"), { full, sampleRelease() } };

    const UpdateFeedDecoding decoding = UpdateFeed::decode(feed.encode());
    QCOMPARE(std::get<UpdateFeed>(decoding), feed);

    const QJsonObject encodedRelease
        = feed.toJson().value(QStringLiteral("releases")).toArray().at(0).toObject();
    QStringList keys = encodedRelease.keys();
    keys.sort();
    QCOMPARE(
        keys, QStringList({ "build", "date", "minimumSystemVersion", "notes", "sha256", "url", "version" }));
    QVERIFY(!feed.toJson()["releases"].toArray().at(1).toObject().contains(QStringLiteral("notes")));
}

void UpdateFeedTest::publishedDate_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QDate>("expected"); // null: no date

    QTest::newRow("calendar date") << "2025-03-07" << QDate(2025, 3, 7);
    QTest::newRow("leap day") << "2024-02-29" << QDate(2024, 2, 29);
    QTest::newRow("day first") << "07/03/2025" << QDate();
    QTest::newRow("no such day") << "2025-02-30" << QDate();
    QTest::newRow("with time") << "2025-03-07T10:00:00Z" << QDate();
    QTest::newRow("trailing line feed") << "2025-03-07\n" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void UpdateFeedTest::publishedDate()
{
    QFETCH(QString, date);
    QFETCH(QDate, expected);
    Release release = sampleRelease();
    release.date = date;
    QCOMPARE(release.publishedDate().value_or(QDate()), expected);
}

void UpdateFeedTest::isSupported_data()
{
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<bool>("supported"); // on 15.2.0

    QTest::newRow("older") << "14.4" << true;
    QTest::newRow("equal") << "15.2" << true;
    QTest::newRow("newer patch") << "15.2.1" << false;
    QTest::newRow("newer major") << "16" << false;
    QTest::newRow("unparsable") << "sixteen" << false;
}

void UpdateFeedTest::isSupported()
{
    QFETCH(QString, minimum);
    QFETCH(bool, supported);
    Release release = sampleRelease();
    release.minimumSystemVersion = minimum;
    QCOMPARE(release.isSupported(SystemVersion { 15, 2, 0 }), supported);
}

void UpdateFeedTest::unsupportedSystemMessage_data()
{
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("message"); // on 6.1.0

    QTest::newRow("parsed minimum is normalised")
        << " 6.10.0 "
        << "Version 1.4 needs Linux 6.10. This computer runs Linux 6.1.";
    QTest::newRow("unparsable minimum as written")
        << "sixteen"
        << "Version 1.4 needs Linux sixteen. This computer runs Linux 6.1.";
}

void UpdateFeedTest::unsupportedSystemMessage()
{
    QFETCH(QString, minimum);
    QFETCH(QString, message);
    Release release = sampleRelease();
    release.minimumSystemVersion = minimum;
    QCOMPARE(release.unsupportedSystemMessage(SystemVersion { 6, 1, 0 }), message);
}

QTEST_GUILESS_MAIN(UpdateFeedTest)
#include "tst_updatefeed.moc"
