// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/manpagepalette.h"
#include "themes/resourcepaths.h"
#include "themes/themelibrary.h"

#include "buildinfo.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Lectorin;

namespace {

// WCAG 2 relative luminance and contrast ratio.
double relativeLuminance(const Colour &colour)
{
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
}

double contrast(const Colour &a, const Colour &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QString shippedFolder()
{
    return QStringLiteral(LECTORIN_SOURCE_RESOURCES) + QStringLiteral("/Themes");
}

} // namespace

class ShippedThemesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void resourceFolder_prefersOverrideThenFindsSourceTree();
    void everyShippedTheme_loadsLegibly_data();
    void everyShippedTheme_loadsLegibly();
    void shippedSet_coversLightAndDark();
};

void ShippedThemesTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void ShippedThemesTest::resourceFolder_prefersOverrideThenFindsSourceTree()
{
    QTemporaryDir override;
    QVERIFY(QDir().mkpath(override.filePath("Themes")));
    qputenv("LECTORIN_RESOURCES", override.path().toUtf8());
    QCOMPARE(ResourcePaths::resourceFolder("Themes"), QDir::cleanPath(override.filePath("Themes")));
    // A folder the override lacks comes from the next place that has it.
    QVERIFY(QDir().rmdir(override.filePath("Themes")));
    QCOMPARE(ResourcePaths::resourceFolder("Themes"), QDir::cleanPath(shippedFolder()));
    qunsetenv("LECTORIN_RESOURCES");
    QCOMPARE(ResourcePaths::resourceFolder("Themes"), QDir::cleanPath(shippedFolder()));
    QCOMPARE(ResourcePaths::resourceFolder("No Such Folder"), QString());
}

void ShippedThemesTest::everyShippedTheme_loadsLegibly_data()
{
    QTest::addColumn<QString>("path");
    const QStringList files = QDir(shippedFolder()).entryList({ "*.tmTheme" }, QDir::Files, QDir::Name);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << shippedFolder() + '/' + file;
}

void ShippedThemesTest::everyShippedTheme_loadsLegibly()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<TMTheme> theme = TMTheme::fromData(file.readAll());
    QVERIFY(theme);
    QVERIFY(theme->name != QStringLiteral("Colour Scheme"));
    QVERIFY2(contrast(theme->foreground, theme->background) >= 7.0, "body text");
    for (const Colour &role : { theme->heading, theme->link, theme->nameColor, theme->literal })
        QVERIFY2(contrast(role, theme->background) >= 4.5, qPrintable(ManPagePalette::cssColour(role)));
    QVERIFY2(contrast(theme->muted, theme->background) >= 4.5, "muted text");
    // Each role stands apart from the body text.
    for (const Colour &role : { theme->heading, theme->link, theme->nameColor, theme->literal })
        QVERIFY(role != theme->foreground);
}

void ShippedThemesTest::shippedSet_coversLightAndDark()
{
    ThemeLibrary library(shippedFolder(), QString());
    library.reload();
    int light = 0;
    int dark = 0;
    for (const ThemeLibrary::Entry &entry : library.entries()) {
        if (entry.kind == ThemeLibrary::Entry::Kind::builtin)
            continue;
        QCOMPARE(entry.kind, ThemeLibrary::Entry::Kind::bundled);
        const std::optional<TMTheme> theme = library.theme(entry.name);
        QVERIFY(theme);
        ++(ManPagePalette::isDarkBackground(theme->background) ? dark : light);
    }
    QVERIFY(light >= 3);
    QVERIFY(dark >= 3);
}

QTEST_GUILESS_MAIN(ShippedThemesTest)
#include "tst_shippedthemes.moc"
