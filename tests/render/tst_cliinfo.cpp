// SPDX-License-Identifier: GPL-3.0-or-later
// Info manuals through lectorin-cli as a user runs it: the real program, manuals and pages the test writes.
#include "../common/cliprocess.h"
#include "renderfixtures.h"
#include "../common/infomanualfixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin::RenderFixtures;

namespace {

// A GNU page that points to the manual, and to one that is not installed.
const QByteArray kPage = ".TH FROB 1\n.SH NAME\nfrob \\- frob things\n.SH SEE ALSO\n"
                         "Full documentation available locally via: info \\(aq(fix) Frobbing\\(aq\n.PP\n"
                         "The full documentation for\n.B frob\nis maintained as a Texinfo manual.\n.IP\n"
                         ".B info fix\n.PP\nAlso\n.B info nosuchmanual\n";

} // namespace

class CliInfoTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void scanRenderAndExport_takeInfoAddresses();
    void manPageReferences_linkToInstalledManuals();
    void search_findsNodes();

private:
    CliResult run(const QStringList &arguments) const;

    QTemporaryDir m_dir;
};

void CliInfoTest::initTestCase()
{
    QVERIFY(writeFile(m_dir.filePath("info/fix.info"), InfoManualFixture::kManual));
    QVERIFY(gzipFile(m_dir.filePath("info/fix.info")));
    QVERIFY(writeFile(m_dir.filePath("info/dir"), InfoManualFixture::kDir));
    QVERIFY(writeFile(m_dir.filePath("man/man1/frob.1"), kPage));
}

CliResult CliInfoTest::run(const QStringList &arguments) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath("config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath("cache"));
    return runCli(QStringLiteral(LECTORIN_CLI),
        arguments
            + QStringList { QStringLiteral("--manpath"), m_dir.filePath("man"), QStringLiteral("--path"),
                m_dir.filePath("bin"), QStringLiteral("--infopath"), m_dir.filePath("info") },
        environment);
}

void CliInfoTest::scanRenderAndExport_takeInfoAddresses()
{
    const CliResult scan = run({ "scan" });
    QCOMPARE(scan.exitCode, 0);
    QVERIFY2(scan.out.contains("info-manuals 1\ninfo-nodes 3\n"), qPrintable(scan.out));

    for (const char *address :
        { "info:(fix)Frobbing", "info:fix#Frobbing", "x-lectorin-info://fix/Frobbing" }) {
        const CliResult rendered = run({ "render", address });
        QCOMPARE(rendered.exitCode, 0);
        // Title, the links around the node, the reference and the example as the manual lays it out.
        QVERIFY2(rendered.out.contains("Frobbing") && rendered.out.contains("x-lectorin-info://fix/Index")
                && rendered.out.contains("x-lectorin-info://fix/Top")
                && rendered.out.contains("$ frob --column   kept   apart"),
            qPrintable(rendered.out));
        QVERIFY(rendered.out.contains("lectorin-copy"));
    }
    const CliResult top = run({ "render", "info:fix" });
    QVERIFY2(top.out.contains("x-lectorin-info://fix/Frobbing") && top.out.contains("How to frob."),
        qPrintable(top.out));
    const CliResult missing = run({ "render", "info:(fix)No Such Node" });
    QVERIFY2(missing.out.contains(QString::fromUtf8("has no node “No Such Node”")), qPrintable(missing.out));
    QVERIFY(run({ "render", "info:(nosuchmanual)Top" }).exitCode != 0);

    const QString text = m_dir.filePath("frobbing.txt");
    QCOMPARE(run({ "export", "info:(fix)Frobbing", "--format", "text", "-o", text }).exitCode, 0);
    QFile exported(text);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QVERIFY(exported.readAll().contains("The quetzalcoatl frobs"));
}

void CliInfoTest::manPageReferences_linkToInstalledManuals()
{
    const CliResult links = run({ "links", "frob(1)" });
    QCOMPARE(links.exitCode, 0);
    QVERIFY2(links.out.contains("inferred\tx-lectorin-info://fix/Frobbing\tinfo '(fix) Frobbing'"),
        qPrintable(links.out));
    QVERIFY2(links.out.contains("inferred\tx-lectorin-info://fix/Top\tinfo fix"), qPrintable(links.out));
    // Manuals that are not installed stay text.
    QVERIFY2(!links.out.contains("x-lectorin-info://frob") && !links.out.contains("nosuchmanual"),
        qPrintable(links.out));

    // In a node, a man page reference links to the page.
    const CliResult nodeLinks = run({ "links", "info:(fix)Frobbing" });
    QVERIFY2(nodeLinks.out.contains("inferred\tx-lectorin-man://1/frob\tfrob(1)"), qPrintable(nodeLinks.out));
}

void CliInfoTest::search_findsNodes()
{
    const QString index = m_dir.filePath("index.sqlite");
    const CliResult found = run({ "search", "quetzalcoatl", "--index", index });
    QCOMPARE(found.exitCode, 0);
    QVERIFY2(found.out.startsWith("info:(fix)Frobbing\t"), qPrintable(found.out));
}

QTEST_GUILESS_MAIN(CliInfoTest)
#include "tst_cliinfo.moc"
