// SPDX-License-Identifier: GPL-3.0-or-later
// lectorin-cli notes as a user runs it: the real program on an annotations file under XDG_DATA_HOME.
#include "../common/cliprocess.h"
#include "annotations/annotationsfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;

namespace { } // namespace

class CliNotesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void printsTheFileAsTextOrMarkdown();
    void damagedFile_isReportedAndLeftAlone();

private:
    QString filePath() const { return m_dir->filePath(QStringLiteral("data/Lectorin/annotations.json")); }
    CliResult notes(const QStringList &arguments) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void CliNotesTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

CliResult CliNotesTest::notes(const QStringList &arguments) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    return runCli(
        QStringLiteral(LECTORIN_CLI), QStringList { QStringLiteral("notes") } + arguments, environment);
}

void CliNotesTest::printsTheFileAsTextOrMarkdown()
{
    const QDateTime made(QDate(2024, 3, 9), QTime(14, 5), Qt::UTC);
    const Highlight highlight { QUuid::createUuid(), QStringLiteral("x-lectorin-man://1/tar"),
        QStringLiteral("tar(1)"),
        { QStringLiteral("Use archive suffix to determine\n    the compression program."),
            QStringLiteral("-a, --auto-compress\n    "), QString(), QStringLiteral("OPTIONS"), 2048, {}, {} },
        HighlightColour::blue, QStringLiteral("Saves typing -z."), made, made };
    const Bookmark bookmark { QUuid::createUuid(), QStringLiteral("x-lectorin-man://5/crontab"),
        QStringLiteral("EXAMPLE"), QStringLiteral("crontab examples"), made };
    QVERIFY(AnnotationsFile::write(filePath(), { { bookmark }, { highlight } }).isEmpty());

    const CliResult text = notes({});
    QCOMPARE(text.exitCode, 0);
    QCOMPARE(text.out,
        QStringLiteral("Bookmarks\n  crontab examples  x-lectorin-man://5/crontab#EXAMPLE\n\n"
                       "Highlights and notes\n  tar(1)\n"
                       "    \u201CUse archive suffix to determine the compression program.\u201D (OPTIONS)\n"
                       "      Saves typing -z.\n"));
    const CliResult markdown = notes({ QStringLiteral("--markdown") });
    QCOMPARE(markdown.exitCode, 0);
    QVERIFY2(markdown.out.startsWith(QLatin1String(
                 "# Bookmarks\n\n- [crontab examples](<x-lectorin-man://5/crontab#EXAMPLE>)\n")),
        qPrintable(markdown.out));
    QVERIFY(markdown.out.contains(QStringLiteral("### tar(1)\n\n> Use archive suffix to determine\n"
                                                 "> the compression program.\n>\n> — *OPTIONS*\n\n"
                                                 "Saves typing -z.\n")));

    QCOMPARE(notes({ QStringLiteral("--html") }).exitCode, 2);
    QVERIFY(QFile::remove(filePath()));
    QVERIFY(notes({}).out.contains(QLatin1String("(none)")));
}

void CliNotesTest::damagedFile_isReportedAndLeftAlone()
{
    const QByteArray damaged("{\"version\": 1, \"highlights\": [");
    QVERIFY(QDir().mkpath(QFileInfo(filePath()).absolutePath()));
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
    file.close();

    const CliResult result = notes({ QStringLiteral("--markdown") });
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.contains(filePath()), qPrintable(result.err));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), damaged);
    QCOMPARE(QDir(QFileInfo(filePath()).absolutePath()).entryList(QDir::Files),
        QStringList { QStringLiteral("annotations.json") });
}

QTEST_GUILESS_MAIN(CliNotesTest)
#include "tst_clinotes.moc"
