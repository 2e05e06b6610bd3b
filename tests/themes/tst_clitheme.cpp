// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/manpagepalette.h"

#include "buildinfo.h"
#include "themefixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;

namespace {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliResult runTheme(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(LECTORIN_CLI), QStringList { QStringLiteral("theme") } + arguments);
    if (!process.waitForFinished(60000))
        return {};
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError() };
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
    QCOMPARE(
        QString::fromUtf8(result.out), palette.overlayCSS() + QStringLiteral("\nname Paper\ndark false\n"));
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
        QCOMPARE(QString::fromUtf8(result.err),
            QStringLiteral("\u201C") + path
                + QStringLiteral("\u201D isn\u2019t a readable .tmTheme file.\n"));
    }
}

QTEST_GUILESS_MAIN(CliThemeTest)
#include "tst_clitheme.moc"
