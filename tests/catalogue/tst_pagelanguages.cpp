// SPDX-License-Identifier: GPL-3.0-or-later
// Translated pages: which languages a locale asks for, which copy of a page the scan and the file-name lookup
// find, and the model's setting and per-page switch, over a manual tree the test writes.
#include "catalogue/appmodel.h"
#include "catalogue/manindex.h"
#include "catalogue/pagelanguages.h"
#include "catalogue/pagelookup.h"

#include "cataloguetestfiles.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace Lectorin;
using namespace Lectorin::CatalogueTestFiles;

namespace {

using Languages = QHash<QString, QString>; // identifier -> language of the copy shown

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, const char *>> variables)
{
    QProcessEnvironment made;
    for (const auto &[name, value] : variables)
        made.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return made;
}

Languages languagesOf(const Catalogue &catalogue)
{
    Languages languages;
    for (const ManPage &page : catalogue.pages())
        languages.insert(page.id(), page.location.language());
    return languages;
}

} // namespace

class PageLanguagesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { QThreadPool::globalInstance()->waitForDone(); }
    void readerLanguages_data();
    void readerLanguages();
    void folderNames_mostSpecificFirst();
    void scan_data();
    void scan();
    void setting_rescansWithAndWithoutTranslations();
    void untranslatedCopy_switchesOnePageAndKeepsHistory();

private:
    QString root() const { return m_dir.filePath("man"); }

    QTemporaryDir m_dir;
};

void PageLanguagesTest::initTestCase()
{
    for (const char *file :
        { "man1/foo.1", "de/man1/foo.1", "de_AT/man1/foo.1", "fr.UTF-8/man1/bar.1", "de/man5/only.5" })
        touch(root() + u'/' + QLatin1String(file));
}

void PageLanguagesTest::readerLanguages_data()
{
    QTest::addColumn<QProcessEnvironment>("environment");
    QTest::addColumn<QStringList>("languages");
    QTest::newRow("locale with codeset")
        << environment({ { "LANG", "de_AT.UTF-8" } }) << QStringList { "de_AT.UTF-8" };
    QTest::newRow("locale without codeset")
        << environment({ { "LANG", "de_DE" } }) << QStringList { "de_DE" };
    QTest::newRow("LANGUAGE list first")
        << environment({ { "LANGUAGE", "fr:de" }, { "LANG", "de_DE.UTF-8" } })
        << QStringList { "fr", "de", "de_DE.UTF-8" };
    QTest::newRow("LC_ALL over LC_MESSAGES over LANG")
        << environment({ { "LC_ALL", "pt_BR.UTF-8" }, { "LC_MESSAGES", "fr_FR" }, { "LANG", "de_DE" } })
        << QStringList { "pt_BR.UTF-8" };
    QTest::newRow("LC_MESSAGES over LANG")
        << environment({ { "LC_MESSAGES", "fr_FR" }, { "LANG", "de_DE" } }) << QStringList { "fr_FR" };
    QTest::newRow("C ignores LANGUAGE")
        << environment({ { "LANGUAGE", "fr:de" }, { "LC_ALL", "C" } }) << QStringList();
    QTest::newRow("C.UTF-8") << environment({ { "LANG", "C.UTF-8" } }) << QStringList();
    QTest::newRow("POSIX") << environment({ { "LANG", "POSIX" } }) << QStringList();
    QTest::newRow("nothing set") << environment({ { "LANGUAGE", "de" } }) << QStringList();
    QTest::newRow("English locale") << environment({ { "LANG", "en_GB.UTF-8" } }) << QStringList();
    QTest::newRow("stray entries skipped")
        << environment({ { "LANGUAGE", ".UTF-8:../etc:fr" }, { "LANG", "de_DE.UTF-8" } })
        << QStringList { "fr", "de_DE.UTF-8" };
    QTest::newRow("English ends the list")
        << environment({ { "LANGUAGE", "fr:en:de" }, { "LANG", "de_DE.UTF-8" } }) << QStringList { "fr" };
}

void PageLanguagesTest::readerLanguages()
{
    QFETCH(QProcessEnvironment, environment);
    QFETCH(QStringList, languages);
    QCOMPARE(PageLanguages::fromEnvironment(environment), languages);
}

void PageLanguagesTest::folderNames_mostSpecificFirst()
{
    QCOMPARE(
        PageLanguages::folderNames("de_AT.UTF-8"), QStringList({ "de_AT.UTF-8", "de_AT", "de.UTF-8", "de" }));
    QCOMPARE(PageLanguages::folderNames("de_DE"), QStringList({ "de_DE.UTF-8", "de_DE", "de.UTF-8", "de" }));
    QCOMPARE(PageLanguages::folderNames("fr"), QStringList({ "fr.UTF-8", "fr" }));
    QCOMPARE(PageLanguages::folderNames("sr@latin"), QStringList({ "sr@latin", "sr.UTF-8", "sr" }));
    QCOMPARE(PageLanguages::folderNames("en_US.UTF-8"), QStringList());
    // Nothing a language name could carry may lead out of its root.
    QCOMPARE(PageLanguages::folderNames(".."), QStringList());
    QCOMPARE(PageLanguages::folderNames("de/../.."), QStringList());
    QVERIFY(!PageLanguages::isLanguageName(u"../x"));
    QVERIFY(!PageLanguages::isLanguageName(u"d"));
    QVERIFY(PageLanguages::isLanguageName(u"pt_BR"));

    const QList<PageLanguages::ManualRoot> roots = PageLanguages::withTranslations({ "/a", "/b/" }, { "de" });
    QCOMPARE(roots,
        (QList<PageLanguages::ManualRoot> { { "/a/de.UTF-8", "de.UTF-8" }, { "/a/de", "de" }, { "/a", "" },
            { "/b/de.UTF-8", "de.UTF-8" }, { "/b/de", "de" }, { "/b/", "" } }));
    QCOMPARE(PageLanguages::displayName("de"), QStringLiteral("Deutsch"));
    QCOMPARE(PageLanguages::displayName("de_AT"), QStringLiteral("\u00d6sterreichisches Deutsch"));
    QCOMPARE(PageLanguages::displayName("fr.UTF-8"), QStringLiteral("fran\u00e7ais"));
    QCOMPARE(PageLanguages::displayName("xx"), QStringLiteral("xx"));
}

void PageLanguagesTest::scan_data()
{
    QTest::addColumn<QProcessEnvironment>("environment");
    QTest::addColumn<Languages>("shown");
    QTest::newRow("de_AT.UTF-8") << environment({ { "LANG", "de_AT.UTF-8" } })
                                 << Languages { { "1/foo", "de_AT" }, { "5/only", "de" } };
    QTest::newRow("de_DE") << environment({ { "LANG", "de_DE" } })
                           << Languages { { "1/foo", "de" }, { "5/only", "de" } };
    QTest::newRow("LANGUAGE fr:de") << environment({ { "LANGUAGE", "fr:de" }, { "LANG", "de_DE.UTF-8" } })
                                    << Languages { { "1/foo", "de" }, { "1/bar", "fr.UTF-8" },
                                           { "5/only", "de" } };
    QTest::newRow("C") << environment({ { "LC_ALL", "C" }, { "LANG", "de_DE" } })
                       << Languages { { "1/foo", "" } };
    QTest::newRow("English") << environment({ { "LANG", "en_US.UTF-8" } }) << Languages { { "1/foo", "" } };
}

// The scan lists one row per identifier, the copy of the most preferred language; the file-name lookup the
// command line renders with finds that same file.
void PageLanguagesTest::scan()
{
    QFETCH(QProcessEnvironment, environment);
    QFETCH(Languages, shown);
    const QList<PageLanguages::ManualRoot> roots
        = PageLanguages::withTranslations({ root() }, PageLanguages::fromEnvironment(environment));
    const Catalogue catalogue = ManIndex::scanWithTranslations(roots);
    QCOMPARE(languagesOf(catalogue), shown);
    for (const ManPage &page : catalogue.pages()) {
        const QString language = page.location.language();
        const QString expectedPath = root() + (language.isEmpty() ? QString() : u'/' + language) + "/man"
            + page.section + u'/' + page.name + u'.' + page.section;
        QCOMPARE(page.path(), expectedPath);
        const std::optional<ManPage> direct = PageLookup::findDirectly(roots, { page.name, page.section });
        QVERIFY(direct);
        QCOMPARE(direct->path(), expectedPath);
        QCOMPARE(direct->location.language(), language);
    }
}

void PageLanguagesTest::setting_rescansWithAndWithoutTranslations()
{
    QTemporaryDir settingsDir;
    QSettings settings(settingsDir.filePath("settings.ini"), QSettings::IniFormat);
    const auto discovery = [this] {
        return AppModel::Discovery { [this] { return QStringList { root() }; }, [] { return QStringList(); },
            QString(), QStringList { "de_DE.UTF-8" } };
    };
    AppModel model(&settings, discovery());
    QSignalSpy ready(&model, &AppModel::indexStateChanged);
    model.loadIndexIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(model.indexState() == AppModel::IndexState::ready, 20000);
    QVERIFY(model.showsTranslatedPages());
    QCOMPARE(languagesOf(model.catalogue()), (Languages { { "1/foo", "de" }, { "5/only", "de" } }));

    QSignalSpy changed(&model, &AppModel::pagesChanged);
    model.setShowsTranslatedPages(false);
    QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty() && !model.isRefreshingIndex(), 20000);
    QCOMPARE(languagesOf(model.catalogue()), (Languages { { "1/foo", "" } }));
    QCOMPARE(settings.value("showTranslatedPages").toBool(), false);

    // The setting outlives the model; a caller that fixes the languages is not bound by it.
    AppModel next(&settings, discovery());
    QVERIFY(!next.showsTranslatedPages());
    QVERIFY(next.pageLanguages().isEmpty());
    AppModel::Discovery fixed = discovery();
    fixed.followsTranslationSetting = false;
    QCOMPARE(AppModel(&settings, fixed).pageLanguages(), QStringList { "de_DE.UTF-8" });

    // Switched on while a re-scan runs, the catalogue still ends with the translations.
    model.refreshIndex();
    model.setShowsTranslatedPages(true);
    QTRY_VERIFY_WITH_TIMEOUT(
        languagesOf(model.catalogue()) == (Languages { { "1/foo", "de" }, { "5/only", "de" } }), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!model.isRefreshingIndex(), 20000);
}

void PageLanguagesTest::untranslatedCopy_switchesOnePageAndKeepsHistory()
{
    QTemporaryDir settingsDir;
    QSettings settings(settingsDir.filePath("settings.ini"), QSettings::IniFormat);
    AppModel model(&settings,
        { [this] { return QStringList { root() }; }, [] { return QStringList(); }, QString(),
            QStringList { "de_AT.UTF-8" } });
    model.loadIndexIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(model.indexState() == AppModel::IndexState::ready, 20000);
    model.recordVisit("1/foo", true);
    const QStringList history = model.history();

    QCOMPARE(model.page("1/foo")->location.language(), QStringLiteral("de_AT"));
    QCOMPARE(model.untranslatedCopy("1/foo")->path(), root() + "/man1/foo.1");
    QVERIFY(!model.untranslatedCopy("5/only")); // a translation only
    QSignalSpy switched(&model, &AppModel::shownCopyChanged);
    model.setShowsUntranslatedCopy("5/only", true);
    QVERIFY(switched.isEmpty());
    QVERIFY(!model.showsUntranslatedCopy("5/only"));

    model.setShowsUntranslatedCopy("1/foo", true);
    QCOMPARE(switched.size(), 1);
    QCOMPARE(switched.first().first().toString(), QStringLiteral("1/foo"));
    QVERIFY(model.showsUntranslatedCopy("1/foo"));
    QCOMPARE(model.page("1/foo")->path(), root() + "/man1/foo.1");
    QCOMPARE(model.resolvePage("foo", std::nullopt)->path(), root() + "/man1/foo.1");
    // The catalogue keeps its one row, the translation.
    QCOMPARE(model.catalogue().page(u"1/foo")->location.language(), QStringLiteral("de_AT"));
    QCOMPARE(model.history(), history);

    // A re-scan keeps the choice.
    model.refreshIndex();
    QTRY_VERIFY_WITH_TIMEOUT(!model.isRefreshingIndex(), 20000);
    QCOMPARE(model.page("1/foo")->path(), root() + "/man1/foo.1");

    model.setShowsUntranslatedCopy("1/foo", false);
    QCOMPARE(switched.size(), 2);
    QCOMPARE(model.page("1/foo")->path(), root() + "/de_AT/man1/foo.1");
}

QTEST_GUILESS_MAIN(PageLanguagesTest)
#include "tst_pagelanguages.moc"
