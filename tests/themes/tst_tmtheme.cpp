// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/tmtheme.h"

#include "themefixtures.h"

#include <QTest>

using namespace Lectorin;
using ThemeFixtures::Rule;

namespace {

Colour rgb(int r, int g, int b, int a = 255)
{
    return { r / 255.0, g / 255.0, b / 255.0, a / 255.0 };
}

const Colour kRed = rgb(255, 0, 0);
const Colour kGreen = rgb(0, 255, 0);
const Colour kBlue = rgb(0, 0, 255);

TMTheme readXml(const QByteArray &xml)
{
    const std::optional<TMTheme> theme = TMTheme::fromData(xml);
    if (!theme)
        qFatal("fixture theme did not load");
    return *theme;
}

TMTheme themeWith(const QList<Rule> &rules)
{
    return readXml(ThemeFixtures::themeXml(
        QStringLiteral("T"), QStringLiteral("#FFFFFF"), QStringLiteral("#101010"), rules));
}

QByteArray settingsArray(const QString &elements)
{
    return ThemeFixtures::plistXml(
        QStringLiteral("<key>settings</key><array>") + elements + QStringLiteral("</array>"));
}

QString globalStyle(const QString &background = QStringLiteral("#FFFFFF"),
    const QString &foreground = QStringLiteral("#000000"))
{
    return ThemeFixtures::colourKey(QStringLiteral("background"), background)
        + ThemeFixtures::colourKey(QStringLiteral("foreground"), foreground);
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

Q_DECLARE_METATYPE(std::optional<Lectorin::Colour>)

class TMThemeTest : public QObject
{
    Q_OBJECT

private slots:
    void parseColour_data();
    void parseColour();
    void parseColour_nonStringValues_areNoColour();

    void ruleScopes_data();
    void ruleScopes();

    void resolveRole_earlierCandidateWins_regardlessOfLength();
    void resolveRole_longestSelectingRuleWins_firstOnTies();
    void resolveRole_ruleMustBeDottedPrefixOfCandidate();
    void roles_followTheirCandidateLists();
    void roles_onlyGlobalEntry_useFallbacks();
    void scopedEntryWithoutUsableForeground_isSkipped();

    void globalEntry_isFirstWithoutScope();
    void globalEntry_everyElementScoped_isFirst();
    void globalBackgroundShortForm_isRead();

    void name_data();
    void name();

    void brokenFiles_areNoTheme_data();
    void brokenFiles_areNoTheme();
    void truncatedFiles_areNoThemeWithoutCrashing();
    void hostileNesting_isNoThemeWithoutCrashing();
    void extraNestedKeys_stillLoad();

    void binaryAndXml_giveEqualThemes();
    void equality_isMemberwise();
};

void TMThemeTest::parseColour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<Colour>>("expected");

    const std::optional<Colour> none;
    QTest::newRow("white") << "#FFFFFF" << std::optional(rgb(255, 255, 255));
    QTest::newRow("lower case") << "#1e1e1e" << std::optional(rgb(30, 30, 30));
    QTest::newRow("mixed case") << "#aBcDeF" << std::optional(rgb(0xab, 0xcd, 0xef));
    QTest::newRow("with alpha") << "#1e1e1e80" << std::optional(rgb(30, 30, 30, 128));
    QTest::newRow("short") << "#abc" << std::optional(rgb(0xaa, 0xbb, 0xcc));
    QTest::newRow("space and tab around") << " #1e1e1e\t" << std::optional(rgb(30, 30, 30));
    QTest::newRow("unicode spaces around") << "\u00A0#fff\u2003" << std::optional(rgb(255, 255, 255));
    QTest::newRow("line break before") << "\n#ffffff" << none;
    QTest::newRow("line break after") << "#ffffff\n" << none;
    QTest::newRow("five digits") << "#12345" << none;
    QTest::newRow("four digits") << "#1234" << none;
    QTest::newRow("seven digits") << "#1234567" << none;
    QTest::newRow("nine digits") << "#123456789" << none;
    QTest::newRow("no number sign") << "1e1e1e" << none;
    QTest::newRow("only number sign") << "#" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("invalid digits") << "#GGHHII" << none;
    QTest::newRow("sign inside") << "#+1a" << none;
    QTest::newRow("hex prefix inside") << "#0x1234" << none;
    QTest::newRow("inner blank") << "#12 456" << none;
    QTest::newRow("combining mark") << "#ab\u0301c" << none;
    QTest::newRow("emoji") << "#\U0001F600ab" << none;
    QTest::newRow("fullwidth digits") << "#\uFF11\uFF12\uFF13" << none;
}

void TMThemeTest::parseColour()
{
    QFETCH(QString, text);
    QFETCH(std::optional<Colour>, expected);
    QCOMPARE(TMThemeReader::parseColour(text), expected);
}

void TMThemeTest::parseColour_nonStringValues_areNoColour()
{
    const QList<plist_t> values { plist_new_uint(0xffffff), plist_new_real(1.0), plist_new_bool(1),
        plist_new_dict(), plist_new_array(), plist_new_data("#fff", 4) };
    for (plist_t value : values) {
        QVERIFY(!TMThemeReader::parseColour(value));
        plist_free(value);
    }
    QVERIFY(!TMThemeReader::parseColour(plist_t(nullptr)));
    plist_t string = plist_new_string("#abc");
    QCOMPARE(TMThemeReader::parseColour(string), std::optional(rgb(0xaa, 0xbb, 0xcc)));
    plist_free(string);
}

void TMThemeTest::ruleScopes_data()
{
    QTest::addColumn<QString>("scope");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("single") << "markup.heading" << QStringList { "markup.heading" };
    QTest::newRow("comma list") << "comment, string" << QStringList { "comment", "string" };
    QTest::newRow("descendant") << "meta.tag string.quoted" << QStringList { "string.quoted" };
    QTest::newRow("exclusion") << "source - comment" << QStringList { "comment" };
    QTest::newRow("blanks only") << " \t " << QStringList {};
    QTest::newRow("empty pieces") << ",,keyword,, ," << QStringList { "keyword" };
    QTest::newRow("unicode blanks trimmed") << "\u00A0keyword\t" << QStringList { "keyword" };
    QTest::newRow("only spaces split") << "a\tb" << QStringList { "a\tb" };
    QTest::newRow("doubled spaces") << "meta  entity.name.function" << QStringList { "entity.name.function" };
}

void TMThemeTest::ruleScopes()
{
    QFETCH(QString, scope);
    QFETCH(QStringList, expected);
    QCOMPARE(TMThemeReader::ruleScopes(scope), expected);
}

void TMThemeTest::resolveRole_earlierCandidateWins_regardlessOfLength()
{
    const QList<ThemeRule> rules { { "keyword", kRed }, { "entity.name.section", kGreen } };
    QCOMPARE(TMThemeReader::resolveRole(rules, { "markup.heading", "entity.name.section", "keyword" }, kBlue),
        kGreen);
    QCOMPARE(TMThemeReader::resolveRole(rules, { "markup.heading", "keyword" }, kBlue), kRed);
    QCOMPARE(TMThemeReader::resolveRole(rules, { "markup.heading" }, kBlue), kBlue);
}

void TMThemeTest::resolveRole_longestSelectingRuleWins_firstOnTies()
{
    const QList<ThemeRule> rules { { "constant", kRed }, { "constant.numeric", kGreen },
        { "constant.numeric", kBlue } };
    QCOMPARE(TMThemeReader::resolveRole(rules, { "constant.numeric" }, Colour {}), kGreen);
    QCOMPARE(TMThemeReader::resolveRole(rules, { "constant" }, Colour {}), kRed);
}

void TMThemeTest::resolveRole_ruleMustBeDottedPrefixOfCandidate()
{
    const Colour fallback {};
    QCOMPARE(TMThemeReader::resolveRole({ { "string.quoted.double", kRed } }, { "string.quoted" }, fallback),
        fallback);
    QCOMPARE(
        TMThemeReader::resolveRole({ { "markup.head", kRed } }, { "markup.heading" }, fallback), fallback);
    QCOMPARE(TMThemeReader::resolveRole({ { "String", kRed } }, { "string.quoted" }, fallback), fallback);
    QCOMPARE(TMThemeReader::resolveRole({ { "string", kRed } }, { "string.quoted" }, fallback), kRed);
}

void TMThemeTest::roles_followTheirCandidateLists()
{
    const TMTheme theme = themeWith({
        { "string", "#000001" },
        { "string.other.link", "#000002" },
        { "keyword", "#000003" },
        { "support.function", "#000004" },
        { "constant", "#000005" },
        { "constant.numeric", "#000006" },
        { "comment", "#000007" },
    });
    QCOMPARE(theme.link, rgb(0, 0, 2)); // string.other.link beats an earlier "string"
    QCOMPARE(theme.heading, rgb(0, 0, 3)); // only "keyword" matches a heading candidate
    QCOMPARE(theme.nameColor, rgb(0, 0, 4));
    QCOMPARE(theme.literal, rgb(0, 0, 6));
    QCOMPARE(theme.muted, rgb(0, 0, 7));

    const TMTheme stringOnly = themeWith({ { "meta.tag string.quoted", "#000008" } });
    QCOMPARE(stringOnly.link, rgb(0, 0, 8));
}

void TMThemeTest::roles_onlyGlobalEntry_useFallbacks()
{
    const TMTheme plain = themeWith({});
    const Colour foreground = rgb(16, 16, 16);
    QCOMPARE(plain.heading, foreground);
    QCOMPARE(plain.link, foreground);
    QCOMPARE(plain.nameColor, foreground);
    QCOMPARE(plain.literal, foreground);
    Colour muted = foreground;
    muted.alpha = 0.55;
    QCOMPARE(plain.muted, muted);

    // Without a link rule links take the heading colour, even a resolved one.
    QCOMPARE(themeWith({ { "markup.heading", "#abcdef" } }).link, rgb(0xab, 0xcd, 0xef));
}

void TMThemeTest::scopedEntryWithoutUsableForeground_isSkipped()
{
    const QString elements = ThemeFixtures::settingsEntry(std::nullopt, globalStyle())
        + ThemeFixtures::settingsEntry(
            QStringLiteral("keyword"), ThemeFixtures::colourKey("foreground", "#12"))
        + ThemeFixtures::settingsEntry(
            QStringLiteral("keyword"), QStringLiteral("<key>foreground</key><integer>1</integer>"))
        + ThemeFixtures::settingsEntry(
            QStringLiteral("keyword"), ThemeFixtures::colourKey("background", "#ff0000"))
        + QStringLiteral("<dict><key>scope</key><integer>3</integer><key>settings</key><dict>")
        + ThemeFixtures::colourKey("foreground", "#00ff00") + QStringLiteral("</dict></dict>")
        + QStringLiteral(
            "<dict><key>scope</key><string>keyword</string><key>settings</key><string>x</string></dict>")
        + ThemeFixtures::settingsEntry(
            QStringLiteral("comment, keyword"), ThemeFixtures::colourKey("foreground", "#0000ff"));
    const std::optional<TMTheme> theme = TMTheme::fromData(settingsArray(elements));
    QVERIFY(theme);
    QCOMPARE(theme->heading, kBlue);
    QCOMPARE(theme->muted, kBlue);
}

void TMThemeTest::globalEntry_isFirstWithoutScope()
{
    const QString elements
        = ThemeFixtures::settingsEntry(QStringLiteral("keyword"), globalStyle("#111111", "#222222"))
        + ThemeFixtures::settingsEntry(QStringLiteral("comment"), globalStyle("#333333", "#444444"))
        + ThemeFixtures::settingsEntry(std::nullopt, globalStyle("#555555", "#666666"))
        + ThemeFixtures::settingsEntry(std::nullopt, globalStyle("#777777", "#888888"));
    const std::optional<TMTheme> theme = TMTheme::fromData(settingsArray(elements));
    QVERIFY(theme);
    QCOMPARE(theme->background, rgb(0x55, 0x55, 0x55));
    QCOMPARE(theme->foreground, rgb(0x66, 0x66, 0x66));
    QCOMPARE(theme->heading, rgb(0x22, 0x22, 0x22));
}

void TMThemeTest::globalEntry_everyElementScoped_isFirst()
{
    const QString elements
        = ThemeFixtures::settingsEntry(QStringLiteral("keyword"), globalStyle("#111111", "#222222"))
        + ThemeFixtures::settingsEntry(QStringLiteral("comment"), globalStyle("#333333", "#444444"));
    const std::optional<TMTheme> theme = TMTheme::fromData(settingsArray(elements));
    QVERIFY(theme);
    QCOMPARE(theme->background, rgb(0x11, 0x11, 0x11));
    // The first element still contributes its scoped rule.
    QCOMPARE(theme->heading, rgb(0x22, 0x22, 0x22));

    const QString unreadableFirst = ThemeFixtures::settingsEntry(QStringLiteral("keyword"),
                                        ThemeFixtures::colourKey("foreground", "#222222"))
        + ThemeFixtures::settingsEntry(QStringLiteral("comment"), globalStyle());
    QVERIFY(!TMTheme::fromData(settingsArray(unreadableFirst)));
}

void TMThemeTest::globalBackgroundShortForm_isRead()
{
    const std::optional<TMTheme> theme = TMTheme::fromData(
        ThemeFixtures::themeXml(QStringLiteral("T"), QStringLiteral("#FFF"), QStringLiteral("#000")));
    QVERIFY(theme);
    QCOMPARE(theme->background, rgb(255, 255, 255));
    QVERIFY(!TMTheme::fromData(ThemeFixtures::themeXml("T", "#FFFF", "#000")));
}

void TMThemeTest::name_data()
{
    QTest::addColumn<QString>("nameBody");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "<key>name</key><string>Solar</string>"
                           << "Solar";
    QTest::newRow("spaces and line breaks") << "<key>name</key><string>\n  Solar Flare \t\n</string>"
                                            << "Solar Flare";
    QTest::newRow("empty") << "<key>name</key><string></string>"
                           << "Colour Scheme";
    QTest::newRow("blank") << "<key>name</key><string>   </string>"
                           << "Colour Scheme";
    QTest::newRow("not a string") << "<key>name</key><integer>7</integer>"
                                  << "Colour Scheme";
    QTest::newRow("missing") << ""
                             << "Colour Scheme";
    QTest::newRow("non-ASCII") << "<key>name</key><string>Grüne Wiese</string>"
                               << "Grüne Wiese";
}

void TMThemeTest::name()
{
    QFETCH(QString, nameBody);
    QFETCH(QString, expected);
    const QString settings = QStringLiteral("<key>settings</key><array>")
        + ThemeFixtures::settingsEntry(std::nullopt, globalStyle()) + QStringLiteral("</array>");
    const std::optional<TMTheme> theme = TMTheme::fromData(ThemeFixtures::plistXml(nameBody + settings));
    QVERIFY(theme);
    QCOMPARE(theme->name, expected);
}

void TMThemeTest::brokenFiles_areNoTheme_data()
{
    QTest::addColumn<QByteArray>("data");

    const QString global = ThemeFixtures::settingsEntry(std::nullopt, globalStyle());
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
    QTest::newRow("settings empty") << settingsArray(QString());
    QTest::newRow("element not a dictionary") << settingsArray(global + "<string>keyword</string>");
    QTest::newRow("global settings not a dictionary")
        << settingsArray("<dict><key>settings</key><array></array></dict>");
    QTest::newRow("global without settings")
        << settingsArray("<dict><key>name</key><string>g</string></dict>");
    QTest::newRow("background missing") << settingsArray(
        ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::colourKey("foreground", "#000")));
    QTest::newRow("foreground missing") << settingsArray(
        ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::colourKey("background", "#000")));
    QTest::newRow("background a number") << settingsArray(ThemeFixtures::settingsEntry(std::nullopt,
        "<key>background</key><integer>0</integer>" + ThemeFixtures::colourKey("foreground", "#000")));
    QTest::newRow("foreground a dictionary") << settingsArray(ThemeFixtures::settingsEntry(
        std::nullopt, ThemeFixtures::colourKey("background", "#000") + "<key>foreground</key><dict></dict>"));
    QTest::newRow("bad background string") << ThemeFixtures::themeXml("T", "white", "#000000");
    QTest::newRow("bad foreground string") << ThemeFixtures::themeXml("T", "#ffffff", "#00000G");
}

void TMThemeTest::brokenFiles_areNoTheme()
{
    QFETCH(QByteArray, data);
    QVERIFY(!TMTheme::fromData(data));
}

void TMThemeTest::truncatedFiles_areNoThemeWithoutCrashing()
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

void TMThemeTest::hostileNesting_isNoThemeWithoutCrashing()
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

void TMThemeTest::extraNestedKeys_stillLoad()
{
    const QString nested = QStringLiteral("<key>gutterSettings</key>")
        + QStringLiteral("<dict><key>x</key>").repeated(8) + QStringLiteral("<array/>")
        + QStringLiteral("</dict>").repeated(8);
    const QByteArray xml = ThemeFixtures::plistXml(nested + "<key>settings</key><array>"
        + ThemeFixtures::settingsEntry(std::nullopt, globalStyle())
        + "</array><key>uuid</key><string>&lt;array&gt;</string>");
    QVERIFY(TMTheme::fromData(xml));
    QVERIFY(TMTheme::fromData(ThemeFixtures::toBinary(xml)));
}

void TMThemeTest::binaryAndXml_giveEqualThemes()
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

void TMThemeTest::equality_isMemberwise()
{
    const TMTheme base = themeWith({ { "keyword", "#ff0000" } });
    QCOMPARE(themeWith({ { "keyword", "#ff0000" } }), base);
    TMTheme renamed = base;
    renamed.name = QStringLiteral("Other");
    QVERIFY(renamed != base);
    TMTheme recoloured = base;
    recoloured.muted.alpha = 0.5;
    QVERIFY(recoloured != base);
}

QTEST_GUILESS_MAIN(TMThemeTest)
#include "tst_tmtheme.moc"
