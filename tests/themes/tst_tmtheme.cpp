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

    void resolveRole_earlierCandidateThenLongestDottedPrefix();
    void roles_followTheirCandidateLists();
    void roles_onlyGlobalEntry_useFallbacks();
    void scopedEntryWithoutUsableForeground_isSkipped();

    void globalEntry_isFirstWithoutScopeElseFirst();

    void name_data();
    void name();
};

void TMThemeTest::parseColour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<Colour>>("expected");

    const std::optional<Colour> none;
    QTest::newRow("white") << "#FFFFFF" << std::optional(rgb(255, 255, 255));
    QTest::newRow("lower case") << "#1e1E1e" << std::optional(rgb(30, 30, 30));
    QTest::newRow("with alpha") << "#1e1e1e80" << std::optional(rgb(30, 30, 30, 128));
    QTest::newRow("short") << "#abc" << std::optional(rgb(0xaa, 0xbb, 0xcc));
    QTest::newRow("space and tab around") << " #1e1e1e\t" << std::optional(rgb(30, 30, 30));
    QTest::newRow("unicode spaces around") << "\u00A0#fff\u2003" << std::optional(rgb(255, 255, 255));
    QTest::newRow("line break before") << "\n#ffffff" << none;
    QTest::newRow("line break after") << "#ffffff\n" << none;
    QTest::newRow("four digits") << "#1234" << none;
    QTest::newRow("nine digits") << "#123456789" << none;
    QTest::newRow("no number sign") << "1e1e1e" << none;
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

void TMThemeTest::resolveRole_earlierCandidateThenLongestDottedPrefix()
{
    // An earlier candidate wins however short its rule.
    const QList<ThemeRule> rules { { "keyword", kRed }, { "entity.name.section", kGreen } };
    QCOMPARE(TMThemeReader::resolveRole(rules, { "markup.heading", "entity.name.section", "keyword" }, kBlue),
        kGreen);
    QCOMPARE(TMThemeReader::resolveRole(rules, { "markup.heading", "keyword" }, kBlue), kRed);
    QCOMPARE(TMThemeReader::resolveRole(rules, { "markup.heading" }, kBlue), kBlue);

    // Within one candidate the longest selecting rule wins, the first on ties.
    const QList<ThemeRule> nested { { "constant", kRed }, { "constant.numeric", kGreen },
        { "constant.numeric", kBlue } };
    QCOMPARE(TMThemeReader::resolveRole(nested, { "constant.numeric" }, Colour {}), kGreen);
    QCOMPARE(TMThemeReader::resolveRole(nested, { "constant" }, Colour {}), kRed);

    // A rule selects only as a whole, case-sensitive, dotted prefix.
    QCOMPARE(
        TMThemeReader::resolveRole({ { "string.quoted.double", kRed } }, { "string.quoted" }, kBlue), kBlue);
    QCOMPARE(TMThemeReader::resolveRole({ { "markup.head", kRed } }, { "markup.heading" }, kBlue), kBlue);
    QCOMPARE(TMThemeReader::resolveRole({ { "String", kRed } }, { "string.quoted" }, kBlue), kBlue);
    QCOMPARE(TMThemeReader::resolveRole({ { "string", kRed } }, { "string.quoted" }, kBlue), kRed);
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
    const QString elements = ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::globalStyle())
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
    const std::optional<TMTheme> theme = TMTheme::fromData(ThemeFixtures::settingsArray(elements));
    QVERIFY(theme);
    QCOMPARE(theme->heading, kBlue);
    QCOMPARE(theme->muted, kBlue);
}

void TMThemeTest::globalEntry_isFirstWithoutScopeElseFirst()
{
    const QString keyword = ThemeFixtures::settingsEntry(
        QStringLiteral("keyword"), ThemeFixtures::globalStyle("#111111", "#222222"));
    const QString comment = ThemeFixtures::settingsEntry(
        QStringLiteral("comment"), ThemeFixtures::globalStyle("#333333", "#444444"));
    const std::optional<TMTheme> theme = TMTheme::fromData(ThemeFixtures::settingsArray(keyword + comment
        + ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::globalStyle("#555555", "#666666"))
        + ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::globalStyle("#777777", "#888888"))));
    QVERIFY(theme);
    QCOMPARE(theme->background, rgb(0x55, 0x55, 0x55));
    QCOMPARE(theme->foreground, rgb(0x66, 0x66, 0x66));
    QCOMPARE(theme->heading, rgb(0x22, 0x22, 0x22));

    // With every element scoped the first is global, and still contributes its scoped rule.
    const std::optional<TMTheme> scoped = TMTheme::fromData(ThemeFixtures::settingsArray(keyword + comment));
    QVERIFY(scoped);
    QCOMPARE(scoped->background, rgb(0x11, 0x11, 0x11));
    QCOMPARE(scoped->heading, rgb(0x22, 0x22, 0x22));

    const QString unreadableFirst = ThemeFixtures::settingsEntry(QStringLiteral("keyword"),
                                        ThemeFixtures::colourKey("foreground", "#222222"))
        + ThemeFixtures::settingsEntry(QStringLiteral("comment"), ThemeFixtures::globalStyle());
    QVERIFY(!TMTheme::fromData(ThemeFixtures::settingsArray(unreadableFirst)));
}

void TMThemeTest::name_data()
{
    QTest::addColumn<QString>("nameBody");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << u"<key>name</key><string>Solar</string>"_qs << u"Solar"_qs;
    QTest::newRow("spaces and line breaks")
        << u"<key>name</key><string>\n  Solar Flare \t\n</string>"_qs << u"Solar Flare"_qs;
    QTest::newRow("blank") << u"<key>name</key><string>   </string>"_qs << u"Colour Scheme"_qs;
    QTest::newRow("not a string") << u"<key>name</key><integer>7</integer>"_qs << u"Colour Scheme"_qs;
    QTest::newRow("missing") << QString() << u"Colour Scheme"_qs;
}

void TMThemeTest::name()
{
    QFETCH(QString, nameBody);
    QFETCH(QString, expected);
    const QString settings = QStringLiteral("<key>settings</key><array>")
        + ThemeFixtures::settingsEntry(std::nullopt, ThemeFixtures::globalStyle())
        + QStringLiteral("</array>");
    const std::optional<TMTheme> theme = TMTheme::fromData(ThemeFixtures::plistXml(nameBody + settings));
    QVERIFY(theme);
    QCOMPARE(theme->name, expected);
}

QTEST_GUILESS_MAIN(TMThemeTest)
#include "tst_tmtheme.moc"
