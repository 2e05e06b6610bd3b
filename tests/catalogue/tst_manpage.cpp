// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/manindex.h"
#include "catalogue/manpage.h"
#include "catalogue/pageidentifierview.h"

#include "cataloguetestfiles.h"

#include <QTest>

using namespace Lectorin;

class ManPageTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sectionRank_data();
    void sectionRank();
    void sectionPreference_ordersByRankThenTieText();
    void parseReference_data();
    void parseReference();
    void parseReference_limitIsTwoHundredCharacters();
    void identity_andDisplayForms();
    void identifierView_data();
    void identifierView();
    void catalogueOrder_caseInsensitiveNamesThenNumericSections();
};

void ManPageTest::sectionRank_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("tie");
    QTest::newRow("1") << "1" << 0 << "";
    QTest::newRow("3pm") << "3pm" << 3 << "3pm";
    QTest::newRow("l") << "l" << 10 << "";
    QTest::newRow("1ssl") << "1ssl" << 0 << "1ssl";
    QTest::newRow("0p") << "0p" << 11 << "0p";
    QTest::newRow("x") << "x" << 11 << "x";
    QTest::newRow("empty") << "" << 11 << "";
    QTest::newRow("combining first character") << "n\u0301x" << 11 << "n\u0301x";
}

void ManPageTest::sectionRank()
{
    QFETCH(QString, section);
    QFETCH(int, position);
    QFETCH(QString, tie);
    QCOMPARE(Lectorin::sectionRank(section), (SectionRank { position, tie }));
}

void ManPageTest::sectionPreference_ordersByRankThenTieText()
{
    QVERIFY(isSectionPreferred(u"1", u"8"));
    QVERIFY(isSectionPreferred(u"3", u"3p"));
    QVERIFY(isSectionPreferred(u"3p", u"3pm"));
    QVERIFY(isSectionPreferred(u"3pm", u"3x"));
    QVERIFY(isSectionPreferred(u"1", u"1ssl"));
    QVERIFY(isSectionPreferred(u"9", u"l"));
    QVERIFY(isSectionPreferred(u"l", u"0p"));
    QVERIFY(isSectionPreferred(u"1", u"n"));
    QVERIFY(!isSectionPreferred(u"3", u"3"));
}

void ManPageTest::parseReference_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("section"); // "-" for no section
    const auto row
        = [](const char *tag, const char *text, bool found, const char *name, const char *section) {
              QTest::newRow(tag) << QString(text) << found << QString(name) << QString(section);
          };
    row("name and section", "printf(3)", true, "printf", "3");
    row("trimmed", "  ls(1)\n", true, "ls", "1");
    row("paren first", "(1)", true, "(1)", "-");
    row("unclosed", "ls(1", true, "ls(1", "-");
    row("first open last close", "a(b)(c)", true, "a", "b)(c");
    row("empty section", "ls()", true, "ls", "");
    row("space kept", "ls (1)", true, "ls ", "1");
    row("dot form is a name", "ls.1", true, "ls.1", "-");
    row("blank", " \n\t", false, "", "-");
    row("empty", "", false, "", "-");
}

void ManPageTest::parseReference()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(QString, name);
    QFETCH(QString, section);
    const std::optional<PageReference> reference = Lectorin::parseReference(text);
    QCOMPARE(reference.has_value(), found);
    if (!found)
        return;
    QCOMPARE(reference->name, name);
    QCOMPARE(reference->section, section == QLatin1String("-") ? std::nullopt : std::optional(section));
}

void ManPageTest::parseReference_limitIsTwoHundredCharacters()
{
    QVERIFY(!Lectorin::parseReference(QString(200, u'a')));
    QVERIFY(Lectorin::parseReference(QString(199, u'a')));
    // 199 user-perceived characters, each written as two code units.
    QString decomposed;
    for (int i = 0; i < 199; ++i)
        decomposed += QStringLiteral("e\u0301");
    QVERIFY(Lectorin::parseReference(decomposed));
    QVERIFY(!Lectorin::parseReference(QString(decomposed + QStringLiteral("e\u0301"))));
}

void ManPageTest::identity_andDisplayForms()
{
    const ManPage ls { "ls", "1", QStringLiteral("/m/man1/ls.1"), "ls", "ls" };
    QCOMPARE(ls.id(), QStringLiteral("1/ls"));
    QCOMPARE(ls.qualifiedName(), QStringLiteral("ls(1)"));
    QVERIFY(!ls.isHelpPage());

    const ManPage brew { "brew", "help", QStringLiteral("/bin/brew"), "brew", "brew" };
    QCOMPARE(brew.id(), QStringLiteral("help/brew"));
    QCOMPARE(brew.qualifiedName(), QStringLiteral("brew"));
    QVERIFY(brew.isHelpPage());
    QCOMPARE(referenceOfID(ls.id()), (PageReference { "ls", QStringLiteral("1") }));
    QCOMPARE(referenceOfID(u"1/git log/x"), (PageReference { "git log/x", QStringLiteral("1") }));
    QVERIFY(!referenceOfID(u"/ls"));
    QVERIFY(!referenceOfID(u"ls"));

    QCOMPARE(lowercasedPageName(QStringLiteral("ÅSTRÖM")), QStringLiteral("åström"));
    QCOMPARE(lowercasedPageName(QStringLiteral("e\u0301")), QStringLiteral("\u00e9"));
}

void ManPageTest::identifierView_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hasSection");
    const auto row
        = [](const char *tag, const char *id, const char *section, const char *name, bool hasSection) {
              QTest::newRow(tag) << QString(id) << QString(section) << QString(name) << hasSection;
          };
    row("section and name", "1/ls", "1", "ls", true);
    row("slash in the name", "1/git log/x", "1", "git log/x", true);
    row("no slash: all name", "ls", "", "ls", false);
    row("empty section", "/ls", "", "ls", false);
    row("empty name", "3/", "3", "", true);
    row("empty", "", "", "", false);
}

void ManPageTest::identifierView()
{
    QFETCH(QString, id);
    QFETCH(QString, section);
    QFETCH(QString, name);
    QFETCH(bool, hasSection);
    const PageIdentifierView parts(id);
    QCOMPARE(parts.section, section);
    QCOMPARE(parts.name, name);
    QCOMPARE(parts.hasSection(), hasSection);
}

void ManPageTest::catalogueOrder_caseInsensitiveNamesThenNumericSections()
{
    const auto page = [](const char *name, const char *section) {
        return ManPage { name, section, QString(), name, lowercasedPageName(name) };
    };
    QList<ManPage> pages { page("zsh", "1"), page("Xlib", "3"), page("printf", "3"), page("printf", "1"),
        page("ls", "10"), page("ls", "2"), page("a2", "1"), page("a10", "1"), page("Printf", "3p"),
        page("ab", "1") };
    ManIndex::sortInCatalogueOrder(pages);
    // Names do not compare numerically ("a10" before "a2"); sections do ("2" before "10").
    QCOMPARE(CatalogueTestFiles::idsOf(pages),
        QStringList({ "1/a10", "1/a2", "1/ab", "2/ls", "10/ls", "1/printf", "3/printf", "3p/Printf", "3/Xlib",
            "1/zsh" }));
}

QTEST_GUILESS_MAIN(ManPageTest)
#include "tst_manpage.moc"
