// SPDX-License-Identifier: GPL-3.0-or-later
// Faults on the way from a manual tree to a rendered page: roots that cannot be read, pages that vanish,
// a formatter that is missing or hangs, and a help command that floods its output.
#include "faultfixtures.h"

#include "catalogue/manindex.h"
#include "common/futurewait.h"
#include "render/commandhelp.h"
#include "render/commandhelpcache.h"
#include "render/exportdata.h"
#include "render/manpagerenderer.h"
#include "render/unrenderablepages.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Lectorin;
using namespace FaultFixtures;

namespace {

using TestFutures::waitFor;

} // namespace

class PageFaultsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void unreadableRoot_givesEmptyCatalogue_data();
    void unreadableRoot_givesEmptyCatalogue();
    void symlinkLoopInsideRoot_isScannedOnce();
    void pageRemovedAfterScan_rendersTheErrorDocument();
    void missingFormatter_failsRenderAndExports();
    void hungFormatter_isKilledAndReported();
    void floodingHelpCommand_isCutAndStillMakesAPage();
    void boundlessPage_stopsAtTheLimitsAndIsNotFormattedAgain();
    void pageThatIsAPipe_isNeverHandedToTheFormatter();
    void fileNameNotUtf8_isListedAndRenders();

private:
    // A formatter that runs mandoc and adds a line to `<formatter>.log` at each start.
    QString countingFormatter(const QString &name);

    QTemporaryDir m_dir;
};

QString PageFaultsTest::countingFormatter(const QString &name)
{
    const QString formatter = m_dir.filePath(u"bin/" + name);
    const QString log = formatter + u".log";
    const bool written = writeFile(formatter,
        "#!/bin/sh\necho run >> '" + log.toUtf8() + "'\nexec /usr/bin/mandoc \"$@\"\n", kExecutable);
    return written ? formatter : QString();
}

void PageFaultsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void PageFaultsTest::unreadableRoot_givesEmptyCatalogue_data()
{
    QTest::addColumn<QString>("root");
    const QString base = m_dir.filePath(QStringLiteral("roots"));
    QVERIFY(QDir().mkpath(base));
    QVERIFY(writeFile(base + u"/plainfile", "not a folder"));
    QVERIFY(QFile::link(base + u"/nowhere", base + u"/dangling"));
    QVERIFY(QFile::link(base + u"/loopB", base + u"/loopA"));
    QVERIFY(QFile::link(base + u"/loopA", base + u"/loopB"));
    QTest::newRow("a file") << base + u"/plainfile";
    QTest::newRow("dangling symlink") << base + u"/dangling";
    QTest::newRow("symlink loop") << base + u"/loopA";
    QTest::newRow("missing") << base + u"/absent";
    QTest::newRow("empty path") << QString();
}

void PageFaultsTest::unreadableRoot_givesEmptyCatalogue()
{
    QFETCH(QString, root);
    const Catalogue catalogue = ManIndex::scan({ root });
    QVERIFY(catalogue.pages().isEmpty());
}

void PageFaultsTest::symlinkLoopInsideRoot_isScannedOnce()
{
    // man1/loop.1 points back at the root, and man2 at man1: the scan reads listings only, so neither loops,
    // and the pages seen again through man2 are still section 1's, counted once.
    const QString root = m_dir.filePath(QStringLiteral("looproot"));
    QVERIFY(writeFile(root + u"/man1/tool.1", kPageSource));
    QVERIFY(QFile::link(root, root + u"/man1/loop.1"));
    QVERIFY(QFile::link(root + u"/man1", root + u"/man2"));
    QVERIFY(QFile::link(root + u"/manself", root + u"/manself"));
    const Catalogue catalogue = ManIndex::scan({ root, root });
    QStringList ids;
    for (const ManPage &page : catalogue.pages())
        ids << page.id();
    QCOMPARE(ids.count(QStringLiteral("1/tool")), 1);
    QCOMPARE(ids.size(), QSet<QString>(ids.cbegin(), ids.cend()).size());
}

void PageFaultsTest::pageRemovedAfterScan_rendersTheErrorDocument()
{
    const QString root = m_dir.filePath(QStringLiteral("vanishing"));
    QVERIFY(writeFile(root + u"/man1/tool.1", kPageSource));
    const Catalogue catalogue = ManIndex::scan({ root });
    QCOMPARE(catalogue.pages().size(), 1);
    const ManPage page = catalogue.pages().constFirst();
    QVERIFY(QFile::remove(page.path()));

    const auto rendered = waitFor(ManPageRenderer::render(page, std::nullopt, 1.0));
    QVERIFY(rendered.succeeded());
    QVERIFY(rendered.document.contains(u"mandoc could not render this page."));
    const auto text = waitFor(ManPageRenderer::plainTextData(page));
    QCOMPARE(text.failure, ManPageRenderer::description(ManPageRenderer::ExportError::renderFailed));
}

void PageFaultsTest::missingFormatter_failsRenderAndExports()
{
    const QString root = m_dir.filePath(QStringLiteral("noformatter"));
    QVERIFY(writeFile(root + u"/man1/tool.1", kPageSource));
    const ManPage page = ManIndex::scan({ root }).pages().constFirst();
    RenderTools tools;
    tools.formatter = m_dir.filePath(QStringLiteral("absent/mandoc"));

    const auto rendered = waitFor(ManPageRenderer::render(page, std::nullopt, 1.0, tools));
    QVERIFY(!rendered.succeeded());
    QVERIFY(!rendered.failure->isEmpty());
    QVERIFY(rendered.document.isEmpty());
    const auto html = waitFor(ManPageRenderer::htmlData(page, tools));
    QCOMPARE(html.failure, rendered.failure);
    QVERIFY(html.data.isEmpty());
    const auto text = waitFor(ManPageRenderer::plainTextData(page, tools));
    QCOMPARE(text.failure, rendered.failure);
}

void PageFaultsTest::hungFormatter_isKilledAndReported()
{
    const QString root = m_dir.filePath(QStringLiteral("hung"));
    QVERIFY(writeFile(root + u"/man1/tool.1", kPageSource));
    const ManPage page = ManIndex::scan({ root }).pages().constFirst();
    const QString formatter = m_dir.filePath(QStringLiteral("bin/mandoc-hangs"));
    QVERIFY(writeFile(formatter, "#!/bin/sh\necho '<p>half'\nexec sleep 600\n", kExecutable));
    RenderTools tools;
    tools.formatter = formatter;
    tools.formatterTimeoutMilliseconds = 300;

    auto future = ManPageRenderer::render(page, std::nullopt, 1.0, tools);
    QTRY_VERIFY_WITH_TIMEOUT(future.isFinished(), 15000);
    const auto rendered = future.result();
    QVERIFY(!rendered.succeeded());
    QVERIFY2(rendered.failure->contains(u"did not finish"), qPrintable(*rendered.failure));
    const auto text = waitFor(ManPageRenderer::plainTextData(page, tools));
    QCOMPARE(text.failure, rendered.failure);
}

void PageFaultsTest::floodingHelpCommand_isCutAndStillMakesAPage()
{
    // Endless output with overstrikes and invalid bytes, as fast as the pipe takes it.
    const QString tool = m_dir.filePath(QStringLiteral("bin/flood"));
    QVERIFY(writeFile(
        tool, "#!/bin/sh\nwhile :; do printf 'U\\bUsage: flood <x> \\377\\n'; done\n", kExecutable));
    CommandHelpCache cache;
    const ManPage page { QStringLiteral("flood"), kHelpSection.toString(), tool, QStringLiteral("flood"),
        QStringLiteral("flood") };
    RenderTools tools;
    tools.helpCache = &cache;

    auto future = ManPageRenderer::render(page, std::nullopt, 1.0, tools);
    QTRY_VERIFY_WITH_TIMEOUT(future.isFinished(), 20000);
    const auto rendered = future.result();
    QVERIFY(rendered.succeeded());
    QVERIFY(rendered.document.contains(u"Usage: flood &lt;x&gt;"));
    QVERIFY(!rendered.document.contains(u"<x>"));
    QVERIFY(rendered.document.size() < 4 * CommandHelp::kOutputLimit);
}

// An equation that defines a name through itself makes mandoc grow without end.
void PageFaultsTest::boundlessPage_stopsAtTheLimitsAndIsNotFormattedAgain()
{
    const QString root = m_dir.filePath(QStringLiteral("boundless"));
    const QString pagePath = root + u"/man1/grows.1";
    QVERIFY(writeFile(pagePath,
        ".TH GROWS 1\n.SH NAME\ngrows \\- without end\n.SH DESCRIPTION\n.EQ\ndefine inner \"content\"\n"
        "define outer \"inner outer\"\nouter\n.EN\n"));
    const QString formatter = countingFormatter(QStringLiteral("counted-mandoc"));
    QVERIFY(!formatter.isEmpty());
    const QString log = formatter + u".log";
    const auto runs = [&] { return readFile(log).count("run"); };
    UnrenderablePages unrenderable;
    RenderTools tools;
    tools.formatter = formatter;
    tools.unrenderablePages = &unrenderable;
    // Smaller than the default ceilings so the test ends sooner; a run they do not end in time is hung.
    tools.formatterLimits = { qint64(256) << 20, 10 };
    tools.formatterTimeoutMilliseconds = 20000;
    const ManPage page = ManIndex::scan({ root }).pages().constFirst();

    const auto first = waitFor(ManPageRenderer::render(page, std::nullopt, 1.0, tools));
    QVERIFY2(first.succeeded(), qPrintable(first.failure.value_or(QString())));
    QVERIFY(first.document.contains(u"mandoc could not render this page."));
    QCOMPARE(runs(), 1);
    QTRY_VERIFY(unrenderable.contains(pagePath));
    const auto again = waitFor(ManPageRenderer::render(page, std::nullopt, 1.0, tools));
    QCOMPARE(again, first);
    QCOMPARE(runs(), 1);
    const auto text = waitFor(ManPageRenderer::plainTextData(page, tools));
    QCOMPARE(text.failure, ManPageRenderer::description(ManPageRenderer::ExportError::renderFailed));

    // Mended, the page is formatted again.
    QVERIFY(writeFile(pagePath, kPageSource));
    QVERIFY(!unrenderable.contains(pagePath));
    const auto mended = waitFor(ManPageRenderer::render(page, std::nullopt, 1.0, tools));
    QVERIFY(mended.document.contains(u"<code class=\"Nm\">tool</code>"));
    QCOMPARE(runs(), 2);
}

void PageFaultsTest::pageThatIsAPipe_isNeverHandedToTheFormatter()
{
    // mandoc would wait on the pipe for a writer until its time limit, on every try.
    const QString root = m_dir.filePath(QStringLiteral("pipes"));
    QVERIFY(QDir().mkpath(root + u"/man1"));
    QCOMPARE(::mkfifo(QFile::encodeName(root + u"/man1/pipe.1").constData(), 0600), 0);
    const QString formatter = countingFormatter(QStringLiteral("pipe-mandoc"));
    QVERIFY(!formatter.isEmpty());
    const QString log = formatter + u".log";
    RenderTools tools;
    tools.formatter = formatter;
    const QList<ManPage> pages = ManIndex::scan({ root }).pages();
    QCOMPARE(pages.size(), 1);

    const auto rendered = waitFor(ManPageRenderer::render(pages.constFirst(), std::nullopt, 1.0, tools));
    QVERIFY(rendered.document.contains(u"mandoc could not render this page."));
    const auto text = waitFor(ManPageRenderer::plainTextData(pages.constFirst(), tools));
    QCOMPARE(text.failure, ManPageRenderer::description(ManPageRenderer::ExportError::renderFailed));
    QVERIFY(!QFile::exists(log));
}

void PageFaultsTest::fileNameNotUtf8_isListedAndRenders()
{
    const QString root = m_dir.filePath(QStringLiteral("latin1"));
    QVERIFY(QDir().mkpath(root + u"/man1"));
    const QByteArray fileName = QFile::encodeName(root) + "/man1/caf\xe9.1";
    QFile file;
    FILE *handle = std::fopen(fileName.constData(), "w");
    QVERIFY(handle);
    QVERIFY(file.open(handle, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    file.write(".TH CAFE 1\n.SH NAME\ncafe \\- serves coffee\n.SH DESCRIPTION\nBrews.\n");
    file.close();

    const QList<ManPage> pages = ManIndex::scan({ root }).pages();
    QCOMPARE(pages.size(), 1);
    const ManPage &page = pages.constFirst();
    QCOMPARE(page.name, QStringLiteral("caf\uFFFD"));
    QCOMPARE(page.id(), QStringLiteral("1/caf\uFFFD"));
    const auto rendered = waitFor(ManPageRenderer::render(page, std::nullopt, 1.0));
    QVERIFY2(rendered.document.contains(u"serves coffee"), qPrintable(rendered.document));
    const auto text = waitFor(ManPageRenderer::plainTextData(page));
    QVERIFY(text.succeeded());
    QVERIFY(text.data.contains("Brews."));
}

QTEST_GUILESS_MAIN(PageFaultsTest)
#include "tst_pagefaults.moc"
