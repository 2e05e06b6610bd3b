// SPDX-License-Identifier: GPL-3.0-or-later
#include "themes/themelibrary.h"

#include "themefixtures.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using Kind = ThemeLibrary::Entry::Kind;

namespace {

QByteArray themeBytes(const QString &name, const QString &background = QStringLiteral("#ffffff"))
{
    return ThemeFixtures::themeXml(name, background, QStringLiteral("#111111"));
}

QStringList namesOf(ThemeLibrary &library)
{
    QStringList names;
    for (const ThemeLibrary::Entry &entry : library.entries())
        names.append(entry.name);
    return names;
}

} // namespace

class ThemeLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void noFiles_listsOnlyDefault();
    void defaultUserFolder_followsXdgDataHome();
    void entries_sortedNumericallyAndCaseInsensitively();
    void userFileWithShippedName_isHidden();
    void shippedFilesAtResourceTopLevel_areListed();
    void reload_notifiesOnlyOnChange();

    void theme_readsAndCaches();
    void theme_unreadableFileIsNotCached();

    void import_namesCopiesFreely();
    void import_keepsBytesAndNormalisesExtension();
    void import_unreadableFileLeavesFolderAlone();
    void import_neverOverwritesAnUnlistedFile();

    void remove_deletesUserEntriesOnly();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_resources;
    QString m_shipped;
    QString m_user;
    QString m_elsewhere;
};

void ThemeLibraryTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void ThemeLibraryTest::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_resources = m_root->filePath("resources");
    m_shipped = m_resources + "/Themes";
    m_user = m_root->filePath("user/Lectorin/Themes");
    m_elsewhere = m_root->filePath("elsewhere");
    QVERIFY(QDir().mkpath(m_shipped));
    QVERIFY(QDir().mkpath(m_elsewhere));
}

void ThemeLibraryTest::defaultUserFolder_followsXdgDataHome()
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    QStandardPaths::setTestModeEnabled(false);
    qputenv("XDG_DATA_HOME", m_root->filePath("data").toUtf8());
    const QString folder = ThemeLibrary::defaultUserThemesDirectory();
    qputenv("XDG_DATA_HOME", saved);
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(folder, m_root->filePath("data/Lectorin/Themes"));
}

void ThemeLibraryTest::noFiles_listsOnlyDefault()
{
    ThemeLibrary library(m_shipped, m_user);
    QVERIFY(library.entries().isEmpty());
    library.reload();
    const QList<ThemeLibrary::Entry> expected { { "Default", Kind::builtin, QString() } };
    QCOMPARE(library.entries(), expected);
    QVERIFY(!library.theme("Default"));
}

void ThemeLibraryTest::entries_sortedNumericallyAndCaseInsensitively()
{
    for (const QString &name : QStringList { "Name 10", "name 2", "Alpha", "Name 1" })
        QVERIFY(ThemeFixtures::writeFile(m_shipped + '/' + name + ".tmTheme", themeBytes(name)));
    // Shipped files need the exact extension; user files any case.
    QVERIFY(ThemeFixtures::writeFile(m_shipped + "/Shouting.TMTHEME", themeBytes("Shouting")));
    QVERIFY(QDir().mkpath(m_user));
    for (const QString &file :
        QStringList { "Zed.TMTHEME", "beta.tmTheme", ".hidden.tmtheme", "notes.txt", "tmTheme" })
        QVERIFY(ThemeFixtures::writeFile(m_user + '/' + file, themeBytes(file)));
    QVERIFY(QDir().mkpath(m_user + "/Folder.tmTheme"));

    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    QCOMPARE(namesOf(library),
        QStringList({ "Default", ".hidden", "Alpha", "beta", "Name 1", "name 2", "Name 10", "Zed" }));
    QCOMPARE(library.entries().at(2),
        ThemeLibrary::Entry({ "Alpha", Kind::bundled, m_shipped + "/Alpha.tmTheme" }));
    QCOMPARE(library.entries().at(3), ThemeLibrary::Entry({ "beta", Kind::user, m_user + "/beta.tmTheme" }));
}

void ThemeLibraryTest::userFileWithShippedName_isHidden()
{
    QVERIFY(ThemeFixtures::writeFile(m_shipped + "/Solar.tmTheme", themeBytes("Shipped", "#fafafa")));
    QVERIFY(QDir().mkpath(m_user));
    QVERIFY(ThemeFixtures::writeFile(m_user + "/Solar.tmTheme", themeBytes("Imported", "#000000")));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    QCOMPARE(namesOf(library), QStringList({ "Default", "Solar" }));
    QCOMPARE(library.entries().at(1).kind, Kind::bundled);
    QCOMPARE(library.theme("Solar")->name, QStringLiteral("Shipped"));
}

void ThemeLibraryTest::shippedFilesAtResourceTopLevel_areListed()
{
    QVERIFY(QDir(m_shipped).removeRecursively());
    QVERIFY(ThemeFixtures::writeFile(m_resources + "/Loose.tmTheme", themeBytes("Loose")));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    QCOMPARE(namesOf(library), QStringList({ "Default", "Loose" }));
    QCOMPARE(library.entries().at(1).kind, Kind::bundled);

    // No folder at all: no shipped themes, and nothing is looked up elsewhere.
    ThemeLibrary none(QString(), m_user);
    none.reload();
    QCOMPARE(namesOf(none), QStringList({ "Default" }));
}

void ThemeLibraryTest::reload_notifiesOnlyOnChange()
{
    ThemeLibrary library(m_shipped, m_user);
    QSignalSpy changed(&library, &ThemeLibrary::entriesChanged);
    library.reload();
    library.reload();
    QCOMPARE(changed.count(), 1);
    QVERIFY(ThemeFixtures::writeFile(m_shipped + "/New.tmTheme", themeBytes("New")));
    library.reload();
    QCOMPARE(changed.count(), 2);
}

void ThemeLibraryTest::theme_readsAndCaches()
{
    const QString path = m_shipped + "/Paper.tmTheme";
    QVERIFY(ThemeFixtures::writeFile(path, ThemeFixtures::toBinary(themeBytes("Paper Light"))));
    ThemeLibrary library(m_shipped, m_user);
    QVERIFY(!library.theme("Paper")); // not listed before reload
    library.reload();
    QCOMPARE(library.theme("Paper")->name, QStringLiteral("Paper Light"));
    QVERIFY(!library.theme("paper"));
    QVERIFY(!library.theme("Missing"));

    // Served from the cache once read, even across reloads.
    QVERIFY(ThemeFixtures::writeFile(path, themeBytes("Changed")));
    library.reload();
    QCOMPARE(library.theme("Paper")->name, QStringLiteral("Paper Light"));
}

void ThemeLibraryTest::theme_unreadableFileIsNotCached()
{
    const QString path = m_shipped + "/Broken.tmTheme";
    QVERIFY(ThemeFixtures::writeFile(path, "not a theme"));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    QVERIFY(!library.theme("Broken"));
    QVERIFY(ThemeFixtures::writeFile(path, themeBytes("Fixed")));
    QCOMPARE(library.theme("Broken")->name, QStringLiteral("Fixed"));
}

void ThemeLibraryTest::import_namesCopiesFreely()
{
    QVERIFY(ThemeFixtures::writeFile(m_shipped + "/Harbour.tmTheme", themeBytes("Harbour")));
    for (const QString &name : QStringList { "Solar", "Default", "Harbour", "Solar 2" })
        QVERIFY(ThemeFixtures::writeFile(m_elsewhere + '/' + name + ".tmTheme", themeBytes(name)));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();

    QCOMPARE(library.importTheme(m_elsewhere + "/Solar.tmTheme"), std::optional<QString>("Solar"));
    QCOMPARE(library.importTheme(m_elsewhere + "/Solar.tmTheme"), std::optional<QString>("Solar 2"));
    QCOMPARE(library.importTheme(m_elsewhere + "/Solar 2.tmTheme"), std::optional<QString>("Solar 2 2"));
    QCOMPARE(library.importTheme(m_elsewhere + "/Default.tmTheme"), std::optional<QString>("Default 2"));
    QCOMPARE(library.importTheme(m_elsewhere + "/Harbour.tmTheme"), std::optional<QString>("Harbour 2"));
    QCOMPARE(namesOf(library),
        QStringList({ "Default", "Default 2", "Harbour", "Harbour 2", "Solar", "Solar 2", "Solar 2 2" }));
    QCOMPARE(library.entries().at(5).kind, Kind::user);
}

void ThemeLibraryTest::import_keepsBytesAndNormalisesExtension()
{
    const QByteArray binary = ThemeFixtures::toBinary(themeBytes("Mono"));
    QVERIFY(ThemeFixtures::writeFile(m_elsewhere + "/Monokai.TMTHEME", binary));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    QCOMPARE(library.importTheme(m_elsewhere + "/Monokai.TMTHEME"), std::optional<QString>("Monokai"));
    QFile stored(m_user + "/Monokai.tmTheme");
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), binary);
    QCOMPARE(library.theme("Monokai")->name, QStringLiteral("Mono"));
}

void ThemeLibraryTest::import_unreadableFileLeavesFolderAlone()
{
    QVERIFY(ThemeFixtures::writeFile(m_elsewhere + "/Bad.tmTheme", "<plist><array/></plist> but no theme"));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    QVERIFY(!library.importTheme(m_elsewhere + "/Bad.tmTheme"));
    QVERIFY(!library.importTheme(m_elsewhere + "/Absent.tmTheme"));
    QVERIFY(!library.importTheme(m_elsewhere));
    QVERIFY(!QFileInfo::exists(m_user));
    QCOMPARE(namesOf(library), QStringList({ "Default" }));
}

void ThemeLibraryTest::import_neverOverwritesAnUnlistedFile()
{
    QVERIFY(ThemeFixtures::writeFile(m_elsewhere + "/Dusk.tmTheme", themeBytes("Dusk")));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    // Appeared after the last reload, so the list does not know it yet.
    QVERIFY(QDir().mkpath(m_user));
    QVERIFY(ThemeFixtures::writeFile(m_user + "/Dusk.tmTheme", themeBytes("Mine")));
    QCOMPARE(library.importTheme(m_elsewhere + "/Dusk.tmTheme"), std::optional<QString>("Dusk 2"));
    QCOMPARE(library.theme("Dusk")->name, QStringLiteral("Mine"));
}

void ThemeLibraryTest::remove_deletesUserEntriesOnly()
{
    QVERIFY(ThemeFixtures::writeFile(m_shipped + "/Kept.tmTheme", themeBytes("Kept")));
    QVERIFY(ThemeFixtures::writeFile(m_elsewhere + "/Gone.tmTheme", themeBytes("Gone")));
    ThemeLibrary library(m_shipped, m_user);
    library.reload();
    QVERIFY(library.importTheme(m_elsewhere + "/Gone.tmTheme"));
    QVERIFY(library.theme("Gone")); // now cached

    const QList<ThemeLibrary::Entry> before = library.entries();
    for (const ThemeLibrary::Entry &entry : before)
        library.remove(entry);
    QCOMPARE(namesOf(library), QStringList({ "Default", "Kept" }));
    QVERIFY(!QFileInfo::exists(m_user + "/Gone.tmTheme"));
    QVERIFY(QFileInfo::exists(m_shipped + "/Kept.tmTheme"));
    QVERIFY(!library.theme("Gone"));
    QVERIFY(library.theme("Kept"));
}

QTEST_GUILESS_MAIN(ThemeLibraryTest)
#include "tst_themelibrary.moc"
