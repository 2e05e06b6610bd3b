// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin-cli render as a user runs it: the real program, real mandoc, pages the test writes.
#include "renderfixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;
using namespace Lectorin::RenderFixtures;

namespace {

struct CliResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class CliRenderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rendersFoundAndScannedReferencesWithTiming();
    void emptyPageTitleNamesTheSectionWhenTheNameHasSeveral();

private:
    CliResult render(const QStringList &arguments) const;

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
}

CliResult CliRenderTest::render(const QStringList &arguments) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The user's own settings (a theme, a zoom) must not colour the documents.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath("config"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LECTORIN_CLI),
        QStringList { QStringLiteral("render") } + arguments
            + QStringList { QStringLiteral("--manpath"), m_dir.filePath("man"), QStringLiteral("--path"),
                m_dir.filePath("bin") });
    if (!process.waitForFinished(60000))
        return {};
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError()) };
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

QTEST_GUILESS_MAIN(CliRenderTest)
#include "tst_clirender.moc"
