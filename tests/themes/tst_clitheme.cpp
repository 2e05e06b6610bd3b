// SPDX-License-Identifier: GPL-3.0-or-later
#include "../common/cliprocess.h"
#include "themes/manpagepalette.h"

#include "buildinfo.h"
#include "themefixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;

namespace {

CliResult runTheme(const QStringList &arguments)
{
    return runCli(QStringLiteral(LECTORIN_CLI), QStringList { QStringLiteral("theme") } + arguments);
}

} // namespace

class CliThemeTest : public QObject
{
    Q_OBJECT

private slots:
    void shippedTheme_printsOverlayNameAndDarkness();
    void unreadableFile_isReportedWithStatusOne();
};

void CliThemeTest::shippedTheme_printsOverlayNameAndDarkness()
{
    const QString path = QStringLiteral(LECTORIN_SOURCE_RESOURCES "/Themes/Paper.tmTheme");
    const std::optional<QByteArray> data = TMThemeReader::readFile(path);
    QVERIFY(data);
    const ManPagePalette palette = ManPagePalette::fromTheme(*TMTheme::fromData(*data));

    const CliResult result = runTheme({ path });
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, palette.overlayCSS() + QStringLiteral("\nname Paper\ndark false\n"));
    QVERIFY(result.err.isEmpty());
}

void CliThemeTest::unreadableFile_isReportedWithStatusOne()
{
    QTemporaryDir dir;
    QVERIFY(ThemeFixtures::writeFile(dir.filePath("notes.tmTheme"), "just words"));
    for (const QString &path :
        { dir.filePath("notes.tmTheme"), dir.filePath("absent.tmTheme"), dir.path() }) {
        const CliResult result = runTheme({ path });
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(result.err,
            QStringLiteral("\u201C") + path
                + QStringLiteral("\u201D isn\u2019t a readable .tmTheme file.\n"));
    }
}

QTEST_GUILESS_MAIN(CliThemeTest)
#include "tst_clitheme.moc"
