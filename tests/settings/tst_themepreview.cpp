// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/themepreview.h"

#include <QImage>
#include <QPalette>
#include <QTest>

using namespace Lectorin;
using Run = ThemePreview::Run;

namespace {

Colour colour(int red, int green, int blue, double alpha = 1)
{
    return { red / 255.0, green / 255.0, blue / 255.0, alpha };
}

// Every role in a colour of its own, so a pixel tells which role drew it.
TMTheme distinctTheme()
{
    return TMTheme { QStringLiteral("Distinct"), colour(250, 240, 200), colour(10, 10, 10), colour(0, 160, 0),
        colour(200, 0, 200), colour(0, 0, 230), colour(230, 100, 0), colour(10, 10, 10, 0.55) };
}

QString lineText(const ThemePreview::Line &line)
{
    QString text;
    for (const Run &run : line)
        text += run.text;
    return text;
}

// Pixels of the band [top, bottom) whose colour is within a small distance of `wanted`.
int pixelsNear(const QImage &image, const QColor &wanted, int top, int bottom)
{
    int count = 0;
    for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - wanted.red()) + std::abs(pixel.green() - wanted.green())
                    + std::abs(pixel.blue() - wanted.blue())
                < 24)
                ++count;
        }
    }
    return count;
}

} // namespace

class ThemePreviewTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sample_runsTakeTheirRolesColours();
    void systemColourTheme_comesFromThePalette();
    void painting_usesTheThemeWithRoundedBorder();
};

void ThemePreviewTest::sample_runsTakeTheirRolesColours()
{
    const TMTheme theme = distinctTheme();
    const QList<ThemePreview::Line> lines = ThemePreview::sampleLines(theme);
    QCOMPARE(lines.size(), 14);
    QCOMPARE(lines.at(0),
        (ThemePreview::Line { Run { lineText(lines.at(0)), ThemePreview::toColor(theme.muted) } }));
    QCOMPARE(lines.at(2),
        (ThemePreview::Line {
            Run { QStringLiteral(" NAME"), ThemePreview::toColor(theme.heading), false, true } }));
    const ThemePreview::Line synopsis = lines.at(6);
    QCOMPARE(synopsis.size(), 11);
    QCOMPARE(synopsis.at(7),
        (Run { QStringLiteral("format"), ThemePreview::toColor(theme.literal), true, false }));
    QCOMPARE(synopsis.at(3),
        (Run { QStringLiteral("-ABFGHLR"), ThemePreview::toColor(theme.nameColor), true, false }));
    QCOMPARE(lines.at(13).at(1),
        (Run { QStringLiteral("chflags(1)"), ThemePreview::toColor(theme.link), false, false }));
    QCOMPARE(ThemePreview::toColor(theme.muted).alphaF(), 0.55f);
}

void ThemePreviewTest::systemColourTheme_comesFromThePalette()
{
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(30, 30, 30));
    palette.setColor(QPalette::Text, QColor(220, 220, 220));
    palette.setColor(QPalette::Link, QColor(80, 160, 255));
    const TMTheme theme = ThemePreview::systemColourTheme(palette);
    QCOMPARE(theme.name, QStringLiteral("Default"));
    QCOMPARE(ThemePreview::toColor(theme.background), QColor(30, 30, 30));
    for (const Colour &label : { theme.foreground, theme.heading, theme.nameColor, theme.literal })
        QCOMPARE(ThemePreview::toColor(label), QColor(220, 220, 220));
    QCOMPARE(ThemePreview::toColor(theme.link), QColor(80, 160, 255));
    QCOMPARE(theme.muted.alpha, 0.55);
    QCOMPARE(ThemePreview::toColor(Colour { theme.muted.red, theme.muted.green, theme.muted.blue }),
        QColor(220, 220, 220));
}

void ThemePreviewTest::painting_usesTheThemeWithRoundedBorder()
{
    ThemePreview preview;
    const TMTheme theme = distinctTheme();
    preview.setTheme(theme);
    QPalette palette = preview.palette();
    palette.setColor(QPalette::Mid, QColor(0, 200, 200));
    preview.setPalette(palette);
    preview.resize(std::max(preview.sizeHint().width(), 560), preview.sizeHint().height());

    QImage image(preview.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    preview.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    const QColor background = ThemePreview::toColor(theme.background);
    QCOMPARE(image.pixelColor(ThemePreview::kInset / 2, image.height() / 2), background);
    QCOMPARE(image.pixelColor(image.width() - 4, 4), background);
    // Outside the rounded corner nothing is drawn; on the edge lies the border.
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(0, image.height() / 2), QColor(0, 200, 200));

    // Text of each role shows in its own colour, in the right order from the top.
    const int half = image.height() / 2;
    QVERIFY(pixelsNear(image, ThemePreview::toColor(theme.heading), 0, half) > 0);
    QVERIFY(pixelsNear(image, ThemePreview::toColor(theme.nameColor), 0, half) > 0);
    QVERIFY(pixelsNear(image, ThemePreview::toColor(theme.literal), 0, half) > 0);
    QVERIFY(pixelsNear(image, ThemePreview::toColor(theme.link), half, image.height()) > 0);
    QCOMPARE(pixelsNear(image, ThemePreview::toColor(theme.link), 0, half), 0);
}

QTEST_MAIN(ThemePreviewTest)
#include "tst_themepreview.moc"
