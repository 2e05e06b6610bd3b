// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/manlint.h"
#include "render/manpagerenderer.h"
#include "render/pagefilewatcher.h"
#include "render/pagesource.h"
#include "renderfixtures.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Lectorin;
using namespace Lectorin::RenderFixtures;

namespace {

struct CliRun
{
    int exitCode = -1;
    QString output;
    QString errors;
};

CliRun runCli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(LECTORIN_CLI), arguments);
    process.waitForFinished(60000);
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError()) };
}

} // namespace

class PageSourceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void problem_data();
    void problem();
    void unreadableByPermissions_isReported();
    void headingIndexBefore_data();
    void headingIndexBefore();
    void lintParse_readsLevelsLinesAndOrder();
    void lint_realMandocTwoWarnings();
    void renderFile_showsPageOrProblem();
    void cliLint_printsMessagesAndExitStatus();
    void watcher_seesRewriteAndRenameSaves();

private:
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_dir;
};

void PageSourceTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeFile(path("tool.1"), kToolPageWithTwoWarnings));
    QVERIFY(writeFile(path("binary.1"),
        QByteArray("\x7f"
                   "ELF\x02\x01\x01\0\0\0",
            10)));
    QVERIFY(QDir().mkpath(path("folder.1")));
    QVERIFY(::mkfifo(QFile::encodeName(path("pipe.1")).constData(), 0644) == 0);
    QFile huge(path("huge.1"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(PageSource::kMaxPreviewBytes + 1));
    huge.close();
    QVERIFY(QFile::link(path("gone.1"), path("dangling.1")));
    QProcess gzip;
    gzip.setWorkingDirectory(m_dir.path());
    gzip.start(QStringLiteral("sh"), { "-c", "gzip -9nc tool.1 > tool.1.gz" });
    QVERIFY(gzip.waitForFinished(10000));
}

void PageSourceTest::problem_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("page source") << "tool.1" << QString();
    QTest::newRow("gzip-compressed page") << "tool.1.gz" << QString();
    QTest::newRow("missing") << "nothing.1" << QStringLiteral("doesn\u2019t exist.");
    QTest::newRow("dangling link") << "dangling.1"
                                   << QStringLiteral("is a link to a file that doesn\u2019t exist.");
    QTest::newRow("folder") << "folder.1" << QStringLiteral("is a folder, not a page file.");
    // A FIFO is never opened: reading it would wait for a writer for ever.
    QTest::newRow("pipe") << "pipe.1" << QStringLiteral("isn\u2019t a regular file");
    QTest::newRow("binary") << "binary.1" << QStringLiteral("is a binary file, not a page source.");
    QTest::newRow("huge") << "huge.1" << QStringLiteral("is too large to be a page source");
}

void PageSourceTest::problem()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    const std::optional<QString> problem = PageSource::problem(m_dir.filePath(file));
    if (expected.isEmpty()) {
        QCOMPARE(problem, std::nullopt);
        return;
    }
    QVERIFY(problem);
    QVERIFY2(problem->startsWith(u"\u201C" + m_dir.filePath(file) + u"\u201D"), qPrintable(*problem));
    QVERIFY2(problem->contains(expected), qPrintable(*problem));
}

void PageSourceTest::unreadableByPermissions_isReported()
{
    if (::geteuid() == 0)
        QSKIP("root reads files whatever their permissions; the folder and pipe rows cover unreadable paths");
    QVERIFY(writeFile(path("locked.1"), kToolPageWithTwoWarnings));
    QVERIFY(QFile::setPermissions(path("locked.1"), QFile::WriteOwner));
    const std::optional<QString> problem = PageSource::problem(path("locked.1"));
    QVERIFY(problem);
    QVERIFY2(problem->contains(u"can\u2019t be read"), qPrintable(*problem));
}

void PageSourceTest::headingIndexBefore_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("expected");
    // Headings of the tool page: NAME 2, SYNOPSIS 4, DESCRIPTION 9, Options 15, SEE ALSO 19.
    QTest::newRow("before any heading") << 1 << -1;
    QTest::newRow("on a heading") << 2 << 0;
    QTest::newRow("inside DESCRIPTION") << 10 << 2;
    QTest::newRow("inside a subsection") << 17 << 3;
    QTest::newRow("last section") << 21 << 4;
    QTest::newRow("past the end") << 400 << 4;
}

void PageSourceTest::headingIndexBefore()
{
    QFETCH(int, line);
    QFETCH(int, expected);
    QCOMPARE(PageSource::headingIndexBefore(kToolPageWithTwoWarnings, line).value_or(-1), expected);
    // mdoc headings count the same way, and a control line may put blanks before the macro.
    const QByteArray mdoc = ".Dd May 1, 2026\n.Dt X 1\n.Sh NAME\n.Nm x\n.  Ss Sub\ntext\n.Sx NAME\n";
    QCOMPARE(PageSource::headingIndexBefore(mdoc, 7).value_or(-1), 1);
}

void PageSourceTest::lintParse_readsLevelsLinesAndOrder()
{
    const QByteArray output = "mandoc: /a/b:c/tool.1:12:5: STYLE: whitespace at end of input line\n"
                              "mandoc: /a/b:c/tool.1:1:2: WARNING: missing date, using \"\": TH\n"
                              "mandoc: /a/b:c/tool.1: SYSERR: Permission denied\n";
    const QList<ManLint::Message> messages = ManLint::parse(output);
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages.at(0), (ManLint::Message { "SYSERR", 0, 0, "Permission denied" }));
    QCOMPARE(messages.at(1), (ManLint::Message { "WARNING", 1, 2, "missing date, using \"\": TH" }));
    QCOMPARE(messages.at(2), (ManLint::Message { "STYLE", 12, 5, "whitespace at end of input line" }));
    QCOMPARE(ManLint::formatted(messages.at(1)), QStringLiteral("WARNING\t1\tmissing date, using \"\": TH"));
}

void PageSourceTest::lint_realMandocTwoWarnings()
{
    const ManLint::Result result = waitFor(ManLint::check(path("tool.1")));
    QCOMPARE(result.failure, std::nullopt);
    QCOMPARE(result.messages.size(), 2);
    QCOMPARE(result.messages.at(0).level, QStringLiteral("WARNING"));
    QCOMPARE(result.messages.at(0).line, 1);
    QCOMPARE(result.messages.at(1).line, 10);
    QVERIFY(result.messages.at(1).text.contains(u"PP after SH"));
    // A relative path names the file from here, not from mandoc's working folder.
    const QString here = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    const ManLint::Result relative = ManLint::checkBlocking(QStringLiteral("tool.1"));
    QDir::setCurrent(here);
    QCOMPARE(relative, result);
}

void PageSourceTest::renderFile_showsPageOrProblem()
{
    const ManPageRenderer::RenderResult page
        = waitFor(ManPageRenderer::renderFile(path("tool.1"), std::nullopt, 1.0));
    QVERIFY(page.succeeded());
    QVERIFY(page.document.contains(u"<title>tool.1</title>"));
    QVERIFY(page.document.contains(u"frobnicate the widgets"));
    const ManPageRenderer::RenderResult compressed
        = waitFor(ManPageRenderer::renderFile(path("tool.1.gz"), std::nullopt, 1.0));
    QVERIFY(compressed.document.contains(u"frobnicate the widgets"));
    const ManPageRenderer::RenderResult binary
        = waitFor(ManPageRenderer::renderFile(path("binary.1"), std::nullopt, 1.0));
    QVERIFY(binary.succeeded());
    QVERIFY(binary.document.contains(u"lectorin-error"));
    QVERIFY(binary.document.contains(u"is a binary file, not a page source."));
}

void PageSourceTest::cliLint_printsMessagesAndExitStatus()
{
    const CliRun warned = runCli({ "lint", path("tool.1") });
    QCOMPARE(warned.exitCode, 1);
    const QStringList lines = warned.output.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).startsWith(u"WARNING\t1\tmissing date"), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).startsWith(u"WARNING\t10\tskipping paragraph macro"), qPrintable(lines.at(1)));

    QVERIFY(writeFile(path("clean.1"),
        ".TH CLEAN 1 2026-05-01\n.SH NAME\nclean \\- a page without faults\n.SH DESCRIPTION\nNothing to "
        "see.\n"));
    const CliRun clean = runCli({ "lint", path("clean.1") });
    QCOMPARE(clean.exitCode, 0);
    QCOMPARE(clean.output, QString());

    for (const char *unreadable : { "nothing.1", "folder.1", "pipe.1" }) {
        const CliRun failed = runCli({ "lint", path(unreadable) });
        QCOMPARE(failed.exitCode, 2);
        QCOMPARE(failed.output, QString());
        QVERIFY2(failed.errors.contains(path(unreadable)), qPrintable(failed.errors));
    }
}

void PageSourceTest::watcher_seesRewriteAndRenameSaves()
{
    QVERIFY(writeFile(path("watched.1"), kToolPageWithTwoWarnings));
    PageFileWatcher watcher(path("watched.1"));
    QSignalSpy changed(&watcher, &PageFileWatcher::changed);

    // Saved in place.
    QElapsedTimer timer;
    timer.start();
    QVERIFY(writeFile(path("watched.1"), QByteArray(kToolPageWithTwoWarnings) + ".PP\nMore.\n"));
    QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, 10000);
    qInfo("rewrite seen after %lld ms", timer.elapsed());

    // Saved by writing a new file and renaming it over the old one, twice: the second save is seen only if
    // the watch moved to the new file.
    for (int save = 2; save <= 3; ++save) {
        timer.restart();
        QVERIFY(writeFile(path("watched.1.tmp"), QByteArray(kToolPageWithTwoWarnings).repeated(save)));
        QVERIFY(::rename(QFile::encodeName(path("watched.1.tmp")).constData(),
                    QFile::encodeName(path("watched.1")).constData())
            == 0);
        QTRY_COMPARE_WITH_TIMEOUT(changed.size(), save, 10000);
        qInfo("rename seen after %lld ms", timer.elapsed());
    }
}

QTEST_GUILESS_MAIN(PageSourceTest)
#include "tst_pagesource.moc"
