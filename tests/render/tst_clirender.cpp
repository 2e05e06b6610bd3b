// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin-cli render as a user runs it: the real program, real mandoc, pages the test writes.
#include "../common/cliprocess.h"
#include "renderfixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::RenderFixtures;

namespace { } // namespace

class CliRenderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rendersFoundAndScannedReferencesWithTiming();
    void emptyPageTitleNamesTheSectionWhenTheNameHasSeveral();
    void translatedPage_followsTheLocaleAndLang();

private:
    CliResult run(const QString &command, const QStringList &arguments,
        const QProcessEnvironment &base = QProcessEnvironment::systemEnvironment()) const;
    CliResult render(const QStringList &arguments) const { return run(QStringLiteral("render"), arguments); }

    QTemporaryDir m_dir;
};

void CliRenderTest::initTestCase()
{
    const QString man = m_dir.filePath("man");
    QVERIFY(writeFile(man + "/man1/greet.1", kMdocPage));
    QVERIFY(gzipFile(man + "/man1/greet.1"));
    QVERIFY(writeFile(man + "/man8/hello.8", kManPage));
    // mandoc prints nothing for a folder where a page file should be.
    for (const char *unreadable : { "man1/blank.1", "man5/blank.5", "man1/solo.1" })
        QVERIFY(QDir().mkpath(man + u'/' + QLatin1String(unreadable)));
    QVERIFY(writeFile(man + "/man5/motd.5", ".TH MOTD 5\n.SH NAME\nmotd \\- message of the day\n"));
    QVERIFY(
        writeFile(man + "/de/man5/motd.5", ".TH MOTD 5\n.SH BEZEICHNUNG\nmotd \\- Nachricht des Tages\n"));
    QVERIFY(gzipFile(man + "/de/man5/motd.5"));
    QVERIFY(writeFile(
        man + "/de_AT/man5/motd.5", ".TH MOTD 5\n.SH BEZEICHNUNG\nmotd \\- Nachricht f\\(:ur heute\n"));
}

CliResult CliRenderTest::run(
    const QString &command, const QStringList &arguments, const QProcessEnvironment &base) const
{
    QProcessEnvironment environment = base;
    // The user's own settings (a theme, a zoom) must not colour the documents.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath("config"));
    return runCli(QStringLiteral(LECTORIN_CLI),
        QStringList { command } + arguments
            + QStringList { QStringLiteral("--manpath"), m_dir.filePath("man"), QStringLiteral("--path"),
                m_dir.filePath("bin") },
        environment);
}

void CliRenderTest::rendersFoundAndScannedReferencesWithTiming()
{
    // greet(1) is found by its file name; hello has no section-1 page, so its bare name needs the catalogue.
    for (const auto &[reference, title, text] : { std::tuple { "greet(1)", "greet(1)", "say\n    hello" },
             std::tuple { "greet", "greet(1)", "say\n    hello" },
             std::tuple { "x-man-page://1/greet", "greet(1)", "say\n    hello" },
             std::tuple { "hello", "hello(8)", "say h" } }) {
        const CliResult result = render({ QString::fromUtf8(reference), QStringLiteral("--timing") });
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.contains(u"<title>" + QString::fromUtf8(title) + u"</title>"), reference);
        QVERIFY2(result.out.contains(QString::fromUtf8(text)), reference);
        QVERIFY2(QRegularExpression(QStringLiteral("^render-ms \\d+\\.\\d\\n$")).match(result.err).hasMatch(),
            qPrintable(result.err));
    }
    const CliResult untimed = render({ QStringLiteral("greet(1)") });
    QCOMPARE(untimed.exitCode, 0);
    QCOMPARE(untimed.err, QString());

    const CliResult missing = render({ QStringLiteral("absent(1)") });
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.out.contains(u"No manual entry for \u201Cabsent\u201D."));
}

void CliRenderTest::emptyPageTitleNamesTheSectionWhenTheNameHasSeveral()
{
    const CliResult shared = render({ QStringLiteral("blank(1)") });
    QCOMPARE(shared.exitCode, 0);
    QVERIFY2(shared.out.contains(u"<title>blank(1)</title>"), qPrintable(shared.out));
    QVERIFY(shared.out.contains(u"mandoc could not render this page."));
    const CliResult alone = render({ QStringLiteral("solo(1)") });
    QVERIFY2(alone.out.contains(u"<title>solo</title>"), qPrintable(alone.out));
}

void CliRenderTest::translatedPage_followsTheLocaleAndLang()
{
    QProcessEnvironment german = QProcessEnvironment::systemEnvironment();
    for (const char *variable : { "LANGUAGE", "LC_ALL", "LC_MESSAGES" })
        german.remove(QLatin1String(variable));
    german.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    QProcessEnvironment plain = german;
    plain.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    const QString motd = QStringLiteral("motd(5)");
    for (const auto &[environment, arguments, text] : {
             std::tuple { german, QStringList {}, "Nachricht des Tages" },
             std::tuple { german, QStringList { "--lang", "none" }, "message of the day" },
             std::tuple { german, QStringList { "--lang", "de_AT" }, "Nachricht f&#x00FC;r heute" },
             std::tuple { plain, QStringList {}, "message of the day" },
             std::tuple { plain, QStringList { "--lang", "de" }, "Nachricht des Tages" },
         }) {
        const CliResult result = run(QStringLiteral("render"), QStringList { motd } + arguments, environment);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.contains(QString::fromUtf8(text)), qPrintable(arguments.join(u' ') + result.out));
    }
    // One row for the page, whichever copy; the scan and the lookup agree.
    const CliResult scanned = run(QStringLiteral("scan"), { "--ids" }, german);
    QCOMPARE(scanned.out.count(u"5/motd\n"), 1);
    QCOMPARE(
        run(QStringLiteral("resolve"), { "motd", "--lang", "de" }, plain).out, QStringLiteral("5/motd\n"));

    const CliResult refused = run(QStringLiteral("render"), { motd, "--lang", "../../etc" }, german);
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.contains(u"--lang needs a language"), qPrintable(refused.err));
}

QTEST_GUILESS_MAIN(CliRenderTest)
#include "tst_clirender.moc"
