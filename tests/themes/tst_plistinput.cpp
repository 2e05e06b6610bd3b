// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/tmtheme.h"

#include "themefixtures.h"

#include <QTest>

using namespace Lectorin;

namespace {

Colour rgb(int r, int g, int b, int a = 255)
{
    return { r / 255.0, g / 255.0, b / 255.0, a / 255.0 };
}

// A binary list by hand: object 0 is the root dictionary {"settings": object 2}, object 1 its key, and
// objects 2... arrays that each refer `fanOut` times to the next one; the last is empty.
QByteArray binaryArrayChain(int length, int fanOut)
{
    QByteArray data("bplist00");
    QList<quint32> offsets;
    auto appendBigEndian = [&data](quint64 value, int size) {
        for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
            data.append(char((value >> shift) & 0xFF));
    };
    offsets.append(quint32(data.size()));
    data.append(char(0xD1));
    appendBigEndian(1, 4);
    appendBigEndian(2, 4);
    offsets.append(quint32(data.size()));
    data.append(char(0x58)).append("settings");
    for (int i = 0; i < length; ++i) {
        offsets.append(quint32(data.size()));
        const int count = i + 1 < length ? fanOut : 0;
        data.append(char(0xA0 | count));
        for (int reference = 0; reference < count; ++reference)
            appendBigEndian(quint64(i + 3), 4);
    }
    const quint64 offsetTable = quint64(data.size());
    for (quint32 offset : std::as_const(offsets))
        appendBigEndian(offset, 4);
    data.append(QByteArray(6, '\0')).append(char(4)).append(char(4));
    appendBigEndian(quint64(offsets.size()), 8);
    appendBigEndian(0, 8);
    appendBigEndian(offsetTable, 8);
    return data;
}

} // namespace

// What reaches the reader from disk: both encodings, and files that are broken or hostile.
class PlistInputTest : public QObject
{
    Q_OBJECT

private slots:
    void brokenFiles_areNoTheme_data();
    void brokenFiles_areNoTheme();
    void truncatedFiles_areNoThemeWithoutCrashing();
    void hostileNesting_isNoThemeWithoutCrashing();
    void extraNestedKeys_stillLoad();
    void binaryAndXml_giveEqualThemes();
};

void PlistInputTest::brokenFiles_areNoTheme_data()
{
    QTest::addColumn<QByteArray>("data");

    const QString global = ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::globalStyle());
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("few bytes") << QByteArray("<?x");
    QTest::newRow("plain text") << QByteArray("this is not a property list at all\n");
    QTest::newRow("binary magic only") << QByteArray("bplist00");
    QTest::newRow("binary garbage") << (QByteArray("bplist00")
        + QByteArray::fromHex("ffffffff000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"));
    QTest::newRow("unclosed xml")
        << ThemeFixtures::plistXml("<key>settings</key><array>" + global).chopped(20);
    QTest::newRow("root array") << QByteArray(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>");
    QTest::newRow("root string") << QByteArray(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>#ffffff</string></plist>");
    QTest::newRow("no settings") << ThemeFixtures::plistXml("<key>name</key><string>x</string>");
    QTest::newRow("settings not an array") << ThemeFixtures::plistXml("<key>settings</key>" + global);
    QTest::newRow("settings empty") << ThemeFixtures::settingsArray(QString());
    QTest::newRow("element not a dictionary")
        << ThemeFixtures::settingsArray(global + "<string>keyword</string>");
    QTest::newRow("global settings not a dictionary")
        << ThemeFixtures::settingsArray("<dict><key>settings</key><array></array></dict>");
    QTest::newRow("global without settings")
        << ThemeFixtures::settingsArray("<dict><key>name</key><string>g</string></dict>");
    QTest::newRow("background missing") << ThemeFixtures::settingsArray(
        ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::colourKey("foreground", "#000")));
    QTest::newRow("foreground missing") << ThemeFixtures::settingsArray(
        ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::colourKey("background", "#000")));
    QTest::newRow("background a number")
        << ThemeFixtures::settingsArray(ThemeFixtures::settingsEntry(std::nullopt,
               "<key>background</key><integer>0</integer>" + ThemeFixtures::colourKey("foreground", "#000")));
    QTest::newRow("foreground a dictionary") << ThemeFixtures::settingsArray(ThemeFixtures::settingsEntry(
        std::nullopt, ThemeFixtures::colourKey("background", "#000") + "<key>foreground</key><dict></dict>"));
    QTest::newRow("bad background string") << ThemeFixtures::themeXml("T", "white", "#000000");
    QTest::newRow("bad foreground string") << ThemeFixtures::themeXml("T", "#ffffff", "#00000G");
}

void PlistInputTest::brokenFiles_areNoTheme()
{
    QFETCH(QByteArray, data);
    QVERIFY(!TMTheme::fromData(data));
}

void PlistInputTest::truncatedFiles_areNoThemeWithoutCrashing()
{
    const QByteArray xml = ThemeFixtures::themeXml("Cut", "#ffffff", "#000000", { { "keyword", "#ff0000" } });
    const QByteArray binary = ThemeFixtures::toBinary(xml);
    QVERIFY(!binary.isEmpty());
    for (const QByteArray &whole : { xml, binary }) {
        QVERIFY(TMTheme::fromData(whole));
        for (qsizetype length = 0; length < whole.size() - 1; ++length) {
            // Any answer is fine as long as reading returns; most prefixes are no theme.
            const std::optional<TMTheme> theme = TMTheme::fromData(whole.left(length));
            Q_UNUSED(theme);
        }
    }
    QVERIFY(!TMTheme::fromData(binary.left(binary.size() / 2)));
}

void PlistInputTest::hostileNesting_isNoThemeWithoutCrashing()
{
    // Deep enough to overflow libplist's recursion if the bytes reached it.
    const int depth = 200000;
    QByteArray xml("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>settings</key>");
    xml += QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) + "</dict></plist>";
    QVERIFY(!TMTheme::fromData(xml));
    QVERIFY(!TMTheme::fromData(binaryArrayChain(depth, 1)));
    // Fifteen references to the same array on each of twelve levels would expand to 15^12 copies.
    QVERIFY(!TMTheme::fromData(binaryArrayChain(12, 15)));
    // The chain parses when it is shallow; it is just no theme.
    QVERIFY(!TMTheme::fromData(binaryArrayChain(3, 1)));
}

void PlistInputTest::extraNestedKeys_stillLoad()
{
    const QString nested = QStringLiteral("<key>gutterSettings</key>")
        + QStringLiteral("<dict><key>x</key>").repeated(8) + QStringLiteral("<array/>")
        + QStringLiteral("</dict>").repeated(8);
    const QByteArray xml = ThemeFixtures::plistXml(nested + "<key>settings</key><array>"
        + ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::globalStyle())
        + "</array><key>uuid</key><string>&lt;array&gt;</string>");
    QVERIFY(TMTheme::fromData(xml));
    QVERIFY(TMTheme::fromData(ThemeFixtures::toBinary(xml)));
}

void PlistInputTest::binaryAndXml_giveEqualThemes()
{
    const QByteArray xml = ThemeFixtures::themeXml(" Twin ", "#fafafa", "#202020c0",
        { { "markup.heading, keyword", "#123456" }, { "string", "#abc" },
            { "source - comment", "#65432180" } });
    const QByteArray binary = ThemeFixtures::toBinary(xml);
    QVERIFY(binary.startsWith("bplist00"));
    const std::optional<TMTheme> fromXml = TMTheme::fromData(xml);
    const std::optional<TMTheme> fromBinary = TMTheme::fromData(binary);
    QVERIFY(fromXml);
    QCOMPARE(fromBinary, fromXml);
    QCOMPARE(fromXml->name, QStringLiteral("Twin"));
    QCOMPARE(fromXml->muted, rgb(0x65, 0x43, 0x21, 0x80));
}

QTEST_GUILESS_MAIN(PlistInputTest)
#include "tst_plistinput.moc"
