// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/manurl.h"
#include "web/mannavigationdecider.h"
#include "webfixtures.h"

#include <QTest>

using namespace Lectorin;
using Decision = ManNavigationDecider::Decision;
using Target = ManNavigationDecider::Target;

using FollowUp = NavigationDecision::FollowUp;
Q_DECLARE_METATYPE(Lectorin::NavigationDecision)
Q_DECLARE_METATYPE(Lectorin::ManNavigationDecider::Target)

enum class CatalogueState
{
    loading,
    confirming,
    settled,
};
Q_DECLARE_METATYPE(CatalogueState)

namespace Lectorin {

// What QCOMPARE prints of a decision that differs.
char *toString(const NavigationDecision &decision)
{
    const QString reference = decision.reference
        ? decision.reference->name + u'(' + decision.reference->section.value_or(QStringLiteral("-")) + u')'
        : QStringLiteral("-");
    return qstrdup(QStringLiteral("%1 %2 %3 %4")
                       .arg(decision.verdict == Decision::allow ? "allow" : "cancel")
                       .arg(int(decision.followUp))
                       .arg(reference, decision.externalURL.toString() + u'#' + decision.fragment)
                       .toUtf8()
                       .constData());
}

} // namespace Lectorin

namespace {

NavigationDecision allowed()
{
    return { Decision::allow };
}

NavigationDecision cancelled(FollowUp followUp = FollowUp::none, const char *name = nullptr,
    std::optional<QString> section = std::nullopt)
{
    if (!name)
        return { Decision::cancel, followUp };
    return { Decision::cancel, followUp, PageReference { QString::fromUtf8(name), std::move(section) } };
}

NavigationDecision landingAt(NavigationDecision decision, const char *fragment)
{
    decision.fragment = QString::fromUtf8(fragment);
    return decision;
}

NavigationDecision external(const char *url)
{
    return { Decision::cancel, FollowUp::openExternally, std::nullopt, QUrl(QString::fromUtf8(url)) };
}

} // namespace

class ManUrlTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void roundTrip_data();
    void roundTrip();
    void roundTrip_everySectionComesBackAsWritten_data();
    void roundTrip_everySectionComesBackAsWritten();
    void parse_data();
    void parse();
    void resolve_sectionThatLostItsCase();
    void parseText_keepsTheHostAsWritten_data();
    void parseText_keepsTheHostAsWritten();
    void decide_data();
    void decide();
    void decide_withoutModel();
};

void ManUrlTest::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("expectedSection");
    QTest::addColumn<QString>("text");

    for (int section = 1; section <= 9; ++section) {
        const QString number = QString::number(section);
        QTest::addRow("section %d", section)
            << "ls" << number << number << u"x-lectorin-man://" + number + u"/ls";
    }
    QTest::newRow("3pm") << "Foo::Bar"
                         << "3pm"
                         << "3pm"
                         << "x-lectorin-man://3pm/Foo::Bar";
    QTest::newRow("n") << "after"
                       << "n"
                       << "n"
                       << "x-lectorin-man://n/after";
    QTest::newRow("3X11 keeps its case") << "XDrawLine"
                                         << "3X11"
                                         << "3X11"
                                         << "x-lectorin-man:///XDrawLine?section=3X11";
    QTest::newRow("octal-looking") << "foo"
                                   << "010"
                                   << "010"
                                   << "x-lectorin-man:///foo?section=010";
    QTest::newRow("not a host") << "string"
                                << "3c++"
                                << "3c++"
                                << "x-lectorin-man:///string?section=3c%2B%2B";
    QTest::newRow("space") << "git log"
                           << "1"
                           << "1"
                           << "x-lectorin-man://1/git%20log";
    QTest::newRow("plus") << "g++"
                          << "1"
                          << "1"
                          << "x-lectorin-man://1/g++";
    QTest::newRow("slash") << "a/b"
                           << "1"
                           << "1"
                           << "x-lectorin-man://1/a/b";
    QTest::newRow("query characters") << "what?#"
                                      << "1"
                                      << "1"
                                      << "x-lectorin-man://1/what%3F%23";
    QTest::newRow("no section") << "ls"
                                << ""
                                << ""
                                << "x-lectorin-man:///ls";
}

void ManUrlTest::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, section);
    QFETCH(QString, expectedSection);
    QFETCH(QString, text);
    const std::optional<QString> sectionOrNone = section.isEmpty() ? std::nullopt : std::optional(section);
    QCOMPARE(manURLString(name, sectionOrNone), text);
    const std::optional<QUrl> url = manURL(name, sectionOrNone);
    QVERIFY(url);
    // The URL as the engine hands it back: reparsed from its string form.
    const QUrl arrived(url->toString());
    const std::optional<PageReference> parsed = parseManURL(arrived);
    QVERIFY(parsed);
    QCOMPARE(parsed->name, name);
    QCOMPARE(parsed->section.value_or(QString()), expectedSection);
}

void ManUrlTest::roundTrip_everySectionComesBackAsWritten_data()
{
    QTest::addColumn<QString>("section");
    // The sections of the pages installed where this was written, then forms QUrl reads as numbers in other
    // bases, capitals, characters no host may hold, and letters after digits.
    for (const char *section : { "1", "1p", "1ssl", "2", "2type", "3", "3const", "3head", "3perl", "3pm",
             "3readline", "3ssl", "3t", "3type", "4", "5", "5edit", "5ssl", "6", "7", "7edit", "7ssl", "8",
             "9", "010", "08", "0x1", "0X1f", "00", "0", "4294967296", "1.2", "3c++", "3X11", "3x11", "n",
             "l", "9fun", "3 x", "3#", "3?", "3%41", "3&x", "3@", "٣" })
        QTest::newRow(section) << QString::fromUtf8(section);
}

// What the engine hands back is the URL's string form read again.
void ManUrlTest::roundTrip_everySectionComesBackAsWritten()
{
    QFETCH(QString, section);
    for (const QString &name : { QStringLiteral("ls"), QStringLiteral("a b/c?d") }) {
        const std::optional<QUrl> url = manURL(name, section);
        QVERIFY(url);
        for (const QUrl &arrived : { QUrl(url->toString()), QUrl(url->toString(QUrl::FullyEncoded)) }) {
            const std::optional<PageReference> parsed = parseManURL(arrived);
            QVERIFY(parsed);
            QCOMPARE(parsed->name, name);
            QCOMPARE(parsed->section, std::optional(section));
        }
    }
}

void ManUrlTest::parse_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("section");

    QTest::newRow("section and name") << "x-lectorin-man://1/ls"
                                      << "ls"
                                      << "1";
    QTest::newRow("dotted quad from the engine") << "x-lectorin-man://0.0.0.8/mount"
                                                 << "mount"
                                                 << "8";
    QTest::newRow("host only") << "x-lectorin-man://ls"
                               << "ls"
                               << "";
    QTest::newRow("empty host") << "x-lectorin-man:///ls"
                                << "ls"
                                << "";
    QTest::newRow("number alone is a name") << "x-lectorin-man://1"
                                            << "1"
                                            << "";
    QTest::newRow("trailing slashes") << "x-lectorin-man://1/ls//"
                                      << "ls"
                                      << "1";
    QTest::newRow("decoded") << "x-lectorin-man://1/git%20log"
                             << "git log"
                             << "1";
    QTest::newRow("query and fragment ignored") << "x-lectorin-man://1/ls?lectorin-target=new-window#NAME"
                                                << "ls"
                                                << "1";
    QTest::newRow("x-man-page") << "x-man-page://3/printf"
                                << "printf"
                                << "3";
    QTest::newRow("malformed") << "x-lectorin-man://"
                               << ""
                               << "";
    QTest::newRow("malformed slash") << "x-lectorin-man:///"
                                     << ""
                                     << "";
}

void ManUrlTest::parse()
{
    QFETCH(QString, url);
    QFETCH(QString, name);
    QFETCH(QString, section);
    const std::optional<PageReference> parsed = parseManURL(QUrl(url));
    QCOMPARE(parsed.has_value(), !name.isEmpty());
    if (parsed) {
        QCOMPARE(parsed->name, name);
        QCOMPARE(parsed->section.value_or(QString()), section);
    }
}

void ManUrlTest::resolve_sectionThatLostItsCase()
{
    WebFixtures::FixtureCatalogue catalogue;
    QVERIFY(catalogue.loadAndWait());
    const std::optional<PageReference> reference
        = parseManURL(QUrl(*manURLString(QStringLiteral("XDrawLine"), QStringLiteral("3X11"))));
    QVERIFY(reference);
    const std::optional<ManPage> page = resolveManReference(*catalogue.app, *reference);
    QVERIFY(page);
    QCOMPARE(page->id(), QStringLiteral("3X11/XDrawLine"));
    QCOMPARE(resolveManReference(*catalogue.app, { QStringLiteral("XDrawLine"), QStringLiteral("3") })->id(),
        QStringLiteral("3/XDrawLine"));
}

void ManUrlTest::parseText_keepsTheHostAsWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("section");
    QTest::newRow("octal-looking") << "x-lectorin-man://010/foo"
                                   << "foo"
                                   << "010";
    QTest::newRow("hex-looking") << "x-lectorin-man://0x1/foo"
                                 << "foo"
                                 << "0x1";
    QTest::newRow("case") << "x-man-page://3X11/XDrawLine"
                          << "XDrawLine"
                          << "3X11";
    QTest::newRow("name only") << "x-man-page://Xlib"
                               << "Xlib"
                               << "";
    QTest::newRow("query wins") << "x-lectorin-man://1/foo?section=010"
                                << "foo"
                                << "010";
    QTest::newRow("plain") << "x-lectorin-man://1/ls"
                           << "ls"
                           << "1";
    QTest::newRow("encoded") << "x-man-page://3/Foo%3A%3ABar"
                             << "Foo::Bar"
                             << "3";
}

void ManUrlTest::parseText_keepsTheHostAsWritten()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, section);
    const std::optional<PageReference> parsed = parseManURLText(text);
    QVERIFY(parsed);
    QCOMPARE(parsed->name, name);
    QCOMPARE(parsed->section.value_or(QString()), section);
}

void ManUrlTest::decide_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<Target>("target");
    QTest::addColumn<CatalogueState>("catalogue");
    QTest::addColumn<NavigationDecision>("expected");

    const Target here = Target::thisFrame;
    const CatalogueState ready = CatalogueState::settled;
    const CatalogueState loading = CatalogueState::loading;
    QTest::newRow("found") << "x-lectorin-man://1/ls" << here << ready << allowed();
    QTest::newRow("scheme case") << "X-Lectorin-Man://1/ls" << here << ready << allowed();
    QTest::newRow("anchor") << "x-lectorin-man://1/ls#DESCRIPTION" << here << ready << allowed();
    QTest::newRow("other section falls back") << "x-lectorin-man://2/open" << here << ready << allowed();
    QTest::newRow("missing, ready") << "x-lectorin-man://1/nosuch" << here << ready
                                    << cancelled(FollowUp::missingPage, "nosuch", "1");
    QTest::newRow("missing, loading") << "x-lectorin-man://1/nosuch" << here << loading << allowed();
    // The remembered folders are shown while the login shell confirms them: the shell may still bring it.
    QTest::newRow("missing, confirming")
        << "x-lectorin-man://1/nosuch" << here << CatalogueState::confirming << allowed();
    QTest::newRow("malformed") << "x-lectorin-man://" << here << ready << allowed();
    QTest::newRow("new-window mark") << "x-lectorin-man://1/ls?a=b&lectorin-target=new-window" << here
                                     << ready << cancelled(FollowUp::openInNewWindow, "ls", "1");
    QTest::newRow("mark needs exact value")
        << "x-lectorin-man://1/ls?lectorin-target=New-Window" << here << ready << allowed();
    QTest::newRow("no target frame, window") << "x-lectorin-man://1/ls" << Target::newWindow << ready
                                             << cancelled(FollowUp::openInNewWindow, "ls", "1");
    QTest::newRow("no target frame, tab") << "x-lectorin-man://3/printf" << Target::newTab << loading
                                          << cancelled(FollowUp::openInNewTab, "printf", "3");
    QTest::newRow("no target frame, malformed")
        << "x-lectorin-man://" << Target::newTab << ready << cancelled();
    QTest::newRow("about") << "about:blank" << here << ready << allowed();
    QTest::newRow("x-man-page name") << "x-man-page://ls" << here << ready
                                     << cancelled(FollowUp::openInPlace, "ls");
    QTest::newRow("x-man-page section")
        << "x-man-page://3/printf" << here << ready << cancelled(FollowUp::openInPlace, "printf", "3");
    QTest::newRow("x-man-page anchor") << "x-man-page://1/tar#exclude" << here << ready
                                       << landingAt(cancelled(FollowUp::openInPlace, "tar", "1"), "exclude");
    QTest::newRow("x-man-page option") << "x-man-page://tar#--exclude" << here << ready
                                       << landingAt(cancelled(FollowUp::openInPlace, "tar"), "--exclude");
    QTest::newRow("x-man-page empty") << "x-man-page://" << here << ready << cancelled();
    QTest::newRow("https") << "https://example.org/" << here << ready << external("https://example.org/");
    QTest::newRow("http") << "http://example.org/" << here << ready << external("http://example.org/");
    QTest::newRow("mailto") << "mailto:someone@example.org" << here << ready
                            << external("mailto:someone@example.org");
    QTest::newRow("ftp") << "ftp://example.org/" << here << ready << cancelled();
    QTest::newRow("file") << "file:///etc/passwd" << here << ready << cancelled();
    QTest::newRow("no scheme") << "ls" << here << ready << cancelled();
    QTest::newRow("empty") << "" << here << ready << cancelled();
}

void ManUrlTest::decide()
{
    QFETCH(QString, url);
    QFETCH(Target, target);
    QFETCH(CatalogueState, catalogue);
    QFETCH(NavigationDecision, expected);

    const bool remembered = catalogue == CatalogueState::confirming;
    WebFixtures::FixtureCatalogue fixture(std::nullopt,
        remembered ? WebFixtures::FixtureCatalogue::Paths::remembered
                   : WebFixtures::FixtureCatalogue::Paths::discovered);
    // Confirming: the remembered folders' catalogue is shown, the login shell has not answered.
    *fixture.holdLoad = remembered;
    if (catalogue != CatalogueState::loading)
        QVERIFY(fixture.loadAndWait());
    QCOMPARE(fixture.app->isCatalogueSettled(), catalogue == CatalogueState::settled);
    QCOMPARE(ManNavigationDecider::decide(QUrl(url), target, fixture.app.get()), expected);
}

void ManUrlTest::decide_withoutModel()
{
    QCOMPARE(
        ManNavigationDecider::decide(QUrl("x-lectorin-man://1/ls"), Target::thisFrame, nullptr), allowed());
    QCOMPARE(ManNavigationDecider::decide(QUrl("x-lectorin-man://1/nosuch"), Target::newWindow, nullptr),
        cancelled(FollowUp::openInNewWindow, "nosuch", "1"));
}

QTEST_GUILESS_MAIN(ManUrlTest)
#include "tst_manurl.moc"
