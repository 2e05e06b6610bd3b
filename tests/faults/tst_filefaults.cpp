// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that cannot succeed: a theme import into a folder that takes no files, and exports to a device
// that is full, to a missing folder, or onto an existing file while the disk fills up.
#include "faultfixtures.h"

#include "render/exportdata.h"
#include "themes/themelibrary.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace FaultFixtures;

namespace {

QByteArray themeFile(int paddingBytes = 0)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>name</key><string>Fault</string><key>settings</key><array><dict><key>settings</key><dict>"
           "<key>background</key><string>#101010</string><key>foreground</key><string>#EEEEEE</string>"
           "</dict></dict></array><key>padding</key><string>"
        + QByteArray(paddingBytes, 'x') + "</string></dict></plist>\n";
}

} // namespace

class FileFaultsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void themeImport_intoFolderThatIsAFile_importsNothing();
    void themeImport_onAFullDisk_leavesNoPartialCopy();
    void export_toUnwritablePath_reportsTheReason_data();
    void export_toUnwritablePath_reportsTheReason();
    void export_failingOverAnExistingFile_keepsItWhole();

private:
    QTemporaryDir m_dir;
};

void FileFaultsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void FileFaultsTest::themeImport_intoFolderThatIsAFile_importsNothing()
{
    // Permissions do not stop root, so the folder that cannot take a file is a plain file.
    const QString source = m_dir.filePath(QStringLiteral("source/Night.tmTheme"));
    QVERIFY(writeFile(source, themeFile()));
    const QString userFolder = m_dir.filePath(QStringLiteral("ThemesFile"));
    QVERIFY(writeFile(userFolder, "occupied"));
    ThemeLibrary library(m_dir.filePath(QStringLiteral("noshipped")), userFolder);
    library.reload();

    QCOMPARE(library.importTheme(source), std::nullopt);
    QCOMPARE(library.entries().size(), 1);
    QCOMPARE(readFile(userFolder), QByteArray("occupied"));
    QCOMPARE(readFile(source), themeFile());
}

void FileFaultsTest::themeImport_onAFullDisk_leavesNoPartialCopy()
{
    const QByteArray bytes = themeFile(4000);
    const QString source = m_dir.filePath(QStringLiteral("source/Large.tmTheme"));
    QVERIFY(writeFile(source, bytes));
    const QString userFolder = m_dir.filePath(QStringLiteral("FullThemes"));
    ThemeLibrary library(m_dir.filePath(QStringLiteral("noshipped")), userFolder);
    library.reload();

    std::optional<QString> imported;
    {
        const FileSizeLimit limit(1024);
        imported = library.importTheme(source);
    }
    QCOMPARE(imported, std::nullopt);
    QVERIFY(QDir(userFolder).entryList(QDir::Files).isEmpty());
    library.reload();
    QCOMPARE(library.entries().size(), 1);
}

void FileFaultsTest::export_toUnwritablePath_reportsTheReason_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("full device") << QStringLiteral("/dev/full");
    QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("absent/page.rtf"));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("afile")), "x"));
    QTest::newRow("folder is a file") << m_dir.filePath(QStringLiteral("afile/page.html"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("adir"))));
    QTest::newRow("target is a folder") << m_dir.filePath(QStringLiteral("adir"));
}

void FileFaultsTest::export_toUnwritablePath_reportsTheReason()
{
    QFETCH(QString, path);
    // Larger than any write buffer, so the device's refusal cannot hide in one.
    const QByteArray data(256 * 1024, 'r');
    const std::optional<QString> failure = ManPageRenderer::writeExportFile(path, data);
    QVERIFY(failure.has_value());
    QVERIFY(!failure->isEmpty());
    QVERIFY(QFileInfo(QStringLiteral("/dev/full")).exists());
    QVERIFY(QDir(m_dir.filePath(QStringLiteral("adir"))).exists());
}

void FileFaultsTest::export_failingOverAnExistingFile_keepsItWhole()
{
    const QString path = m_dir.filePath(QStringLiteral("exports/ls(1).txt"));
    const QByteArray earlier = "an earlier export that must survive\n";
    QVERIFY(writeFile(path, earlier));

    std::optional<QString> failure;
    {
        const FileSizeLimit limit(4096);
        failure = ManPageRenderer::writeExportFile(path, QByteArray(64 * 1024, 'n'));
    }
    QVERIFY(failure.has_value());
    QCOMPARE(readFile(path), earlier);
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    QCOMPARE(ManPageRenderer::writeExportFile(path, "replaced"), std::nullopt);
    QCOMPARE(readFile(path), QByteArray("replaced"));
}

QTEST_GUILESS_MAIN(FileFaultsTest)
#include "tst_filefaults.moc"
