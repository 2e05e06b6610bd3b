// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/manpagepalette.h"

#include "themefixtures.h"

#include <QTest>

using namespace Lectorin;

class ManPagePaletteTest : public QObject
{
    Q_OBJECT

private slots:
    void cssColour_data();
    void cssColour();
    void isDarkBackground_data();
    void isDarkBackground();
    void fromTheme_mapsEveryField();
    void overlayCSS_fillsEverySlot();
};

void ManPagePaletteTest::cssColour_data()
{
    QTest::addColumn<double>("red");
    QTest::addColumn<double>("green");
    QTest::addColumn<double>("blue");
    QTest::addColumn<double>("alpha");
    QTest::addColumn<QString>("expected");

    QTest::newRow("black") << 0.0 << 0.0 << 0.0 << 1.0 << "#000000";
    QTest::newRow("upper-case hex") << 30 / 255.0 << 171 / 255.0 << 205 / 255.0 << 1.0 << "#1EABCD";
    QTest::newRow("half rounds away from zero") << 0.5 << 0.0 << 0.0 << 1.0 << "#800000";
    QTest::newRow("just below half") << 0.498 << 0.0 << 0.0 << 1.0 << "#7F0000";
    QTest::newRow("alpha at threshold is opaque") << 0.0 << 0.0 << 0.0 << 0.999 << "#000000";
    QTest::newRow("alpha below threshold") << 0.0 << 0.0 << 0.0 << 0.9985 << "rgba(0, 0, 0, 0.999)";
    QTest::newRow("eight-digit alpha")
        << 30 / 255.0 << 30 / 255.0 << 30 / 255.0 << 128 / 255.0 << "rgba(30, 30, 30, 0.502)";
    QTest::newRow("transparent") << 1.0 << 1.0 << 1.0 << 0.0 << "rgba(255, 255, 255, 0.000)";
    QTest::newRow("out of range is clamped") << 1.2 << -0.1 << 0.5 << 1.0 << "#FF0080";
}

void ManPagePaletteTest::cssColour()
{
    QFETCH(double, red);
    QFETCH(double, green);
    QFETCH(double, blue);
    QFETCH(double, alpha);
    QFETCH(QString, expected);
    QCOMPARE(ManPagePalette::cssColour({ red, green, blue, alpha }), expected);
}

void ManPagePaletteTest::isDarkBackground_data()
{
    QTest::addColumn<QString>("background");
    QTest::addColumn<bool>("dark");

    QTest::newRow("#1E1E1E") << "#1E1E1E" << true;
    QTest::newRow("#808080 (0.502)") << "#808080" << false;
    QTest::newRow("#7F7F7F (0.498)") << "#7F7F7F" << true;
    QTest::newRow("translucent dark") << "#1e1e1e80" << true;
    QTest::newRow("pure green") << "#00FF00" << false;
    QTest::newRow("pure red") << "#FF0000" << true;
}

void ManPagePaletteTest::isDarkBackground()
{
    QFETCH(QString, background);
    QFETCH(bool, dark);
    const std::optional<Colour> colour = TMThemeReader::parseColour(background);
    QVERIFY(colour);
    QCOMPARE(ManPagePalette::isDarkBackground(*colour), dark);
    // Exactly 0.5 is light.
    QCOMPARE(ManPagePalette::isDarkBackground({ 0.5, 0.5, 0.5, 1 }), false);
}

void ManPagePaletteTest::fromTheme_mapsEveryField()
{
    const std::optional<TMTheme> theme
        = TMTheme::fromData(ThemeFixtures::themeXml("P", "#1e1e1e80", "#D4D4D4",
            { { "markup.heading", "#abc" }, { "markup.underline.link", "#102030" },
                { "entity.name.function", "#405060" }, { "variable", "#708090" } }));
    QVERIFY(theme);
    const ManPagePalette palette = ManPagePalette::fromTheme(*theme);
    const ManPagePalette expected { "rgba(30, 30, 30, 0.502)", "#D4D4D4", "#AABBCC", "#102030", "#405060",
        "#708090", "rgba(212, 212, 212, 0.550)", true };
    QCOMPARE(palette, expected);
}

void ManPagePaletteTest::overlayCSS_fillsEverySlot()
{
    const ManPagePalette palette { "#000001", "#000002", "#000003", "#000004", "#000005", "#000006",
        "#000007", true };
    const QString expected
        = QStringLiteral("\n:root { color-scheme: dark; }"
                         "\nhtml { background: #000001; color: #000002; }"
                         "\ntable.head, table.foot, div.head, div.foot { color: #000007; }"
                         "\nh1.Sh, h2.Sh, h2.Ss, h3.Ss { color: #000003; }"
                         "\na { color: #000004; }"
                         "\na.permalink { color: inherit; }"
                         "\ncode.Nm, code.Fl, code.Cm, code.Ic { color: #000005; }"
                         "\ncode.Ar, code.Ev, code.Pa, code.Dv, code.Er, var { color: #000006; }"
                         "\n.lectorin-error { color: #000007; }"
                         "\n.lectorin-help-note { color: #000007; }");
    QCOMPARE(palette.overlayCSS(), expected);

    ManPagePalette light = palette;
    light.isDark = false;
    QVERIFY(light.overlayCSS().startsWith(QStringLiteral("\n:root { color-scheme: light; }\n")));
}

QTEST_GUILESS_MAIN(ManPagePaletteTest)
#include "tst_manpagepalette.moc"
