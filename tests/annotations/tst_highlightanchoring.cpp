// SPDX-License-Identifier: GPL-3.0-or-later
// Highlights made on a page mandoc renders, found again after the page's source changed the way a package
// upgrade changes it.
#include "annotations/highlightanchoring.h"
#include "annotations/htmlpagetext.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;

namespace {

const QString kPage = QStringLiteral(R"(.TH FROB 1 "March 2024" "frob 2.1" "User Commands"
.SH NAME
frob \- rearrange the records of a data file
.SH SYNOPSIS
.B frob
[\fIOPTION\fR]... [\fIFILE\fR]...
.SH DESCRIPTION
.B frob
reads each
.I FILE
and writes its records to standard output in a new order.
With no FILE, or when FILE is \-, it reads standard input.
.PP
Records are separated by newlines unless the
.B \-\-null
option is given.
Each record keeps its trailing separator, so the output can be read again by
frob itself.
.PP
The order is chosen by the selected sort key.
Ties between records keep the order in which they were read.
.SH OPTIONS
.TP
.B \-a, \-\-all
Include records that start with a hash mark, which are skipped otherwise.
.TP
.BR \-k ", " \-\-key =\fIKEY\fR
Sort by
.IR KEY ,
a field number counted from one; fields are separated by blanks.
.TP
.B \-n, \-\-null
Separate records with a zero byte instead of a newline.
.TP
.B \-r, \-\-reverse
Write the records in reverse order of the selected sort key.
.TP
.B \-\-usage
Print a short usage summary and exit.
.TP
.B \-\-help
Print a long usage summary and exit.
.TP
.B \-\-version
Print the version number and exit.
.SH ENVIRONMENT
.TP
.B FROB_KEY
The default sort key, used when no
.B \-\-key
option is given.
.SH EXIT STATUS
Zero when every file was read, one when a file could not be opened, and two
for a usage error.
.SH SEE ALSO
.BR sort (1),
.BR shuf (1)
)");

const QString kExitStatus = QStringLiteral(R"(.SH EXIT STATUS
Zero when every file was read, one when a file could not be opened, and two
for a usage error.
)");

// Where `phrase` is in the page text, whatever white space mandoc put between its words; in `section` when
// given.
QRegularExpressionMatch find(const PageText &page, const QString &phrase, const QString &section = {})
{
    QStringList words = phrase.split(u' ');
    for (QString &word : words)
        word = QRegularExpression::escape(word);
    const QRegularExpression expression(words.join(QStringLiteral("\\s+")));
    for (QRegularExpressionMatchIterator matches = expression.globalMatch(page.text); matches.hasNext();) {
        const QRegularExpressionMatch match = matches.next();
        if (section.isEmpty() || page.sectionAt(match.capturedStart()) == section)
            return match;
    }
    return {};
}

} // namespace

class HighlightAnchoringTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unchangedPage_placesEveryHighlightExactly();
    void changedPage_data();
    void changedPage();

private:
    PageText render(const QString &source);

    QTemporaryDir m_dir;
    int m_pages = 0;
};

PageText HighlightAnchoringTest::render(const QString &source)
{
    const QString path = m_dir.filePath(QStringLiteral("frob%1.1").arg(++m_pages));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(source.toUtf8()) < 0)
        return {};
    file.close();
    QProcess mandoc;
    mandoc.start(QStringLiteral("mandoc"), { QStringLiteral("-T"), QStringLiteral("html"), path });
    if (!mandoc.waitForFinished(30000) || mandoc.exitCode() != 0)
        return {};
    return HtmlPageText::read(QString::fromUtf8(mandoc.readAllStandardOutput()));
}

void HighlightAnchoringTest::unchangedPage_placesEveryHighlightExactly()
{
    const PageText page = render(kPage);
    const QStringList sections { QStringLiteral("NAME"), QStringLiteral("SYNOPSIS"),
        QStringLiteral("DESCRIPTION"), QStringLiteral("OPTIONS"), QStringLiteral("ENVIRONMENT"),
        QStringLiteral("EXIT STATUS"), QStringLiteral("SEE ALSO") };
    QStringList titles;
    for (const PageSection &section : page.sections)
        titles.append(section.title);
    QCOMPARE(titles, sections);

    for (const char *phrase : { "rearrange the records", "Ties between records keep the order",
             "Print a short usage summary and exit.", "and exit.", "Sort by KEY, a field number" }) {
        const QRegularExpressionMatch match = find(page, QLatin1String(phrase));
        QVERIFY2(match.hasMatch(), phrase);
        const TextQuote quote
            = HighlightAnchoring::quoteAt(page, match.capturedStart(), match.capturedLength());
        QCOMPARE(quote.exact, match.captured());
        QCOMPARE(quote.position, match.capturedStart());
        QCOMPARE(quote.section, page.sectionAt(match.capturedStart()));
        QVERIFY(quote.prefix.size() <= 32 && quote.suffix.size() == 32);
        const HighlightAnchoring::Placement placement = HighlightAnchoring::place(page, quote);
        QCOMPARE(placement,
            (HighlightAnchoring::Placement {
                match.capturedStart(), match.capturedLength(), Attachment::exact }));
    }
    QCOMPARE(HighlightAnchoring::place(page, {}).attachment, Attachment::notFound);
}

void HighlightAnchoringTest::changedPage_data()
{
    QTest::addColumn<QString>("highlighted");
    QTest::addColumn<QString>("changedPage");
    QTest::addColumn<QList<Attachment>>("attachments");
    // Where it must land, as the changed page says it; empty when nowhere.
    QTest::addColumn<QString>("expected");
    // Where it is highlighted, and where it must land.
    QTest::addColumn<QString>("section");

    const QList<Attachment> inPlace { Attachment::exact, Attachment::moved };
    const QString ties = QStringLiteral("Ties between records keep the order in which they were read.");
    QString page = kPage;
    QTest::newRow("paragraph before reworded")
        << ties
        << page.replace(QStringLiteral("Records are separated by newlines unless the"),
               QStringLiteral("Every record ends at a newline, and a long record may wrap, unless the"))
        << inPlace << ties << "DESCRIPTION";
    page = kPage;
    QTest::newRow("sentence right before reworded")
        << ties
        << page.replace(QStringLiteral("The order is chosen by the selected sort key."),
               QStringLiteral("The output follows the sort key, the first field when none is chosen."))
        << inPlace << ties << "DESCRIPTION";

    const QString reverse = QStringLiteral("Write the records in reverse order of the selected sort key.");
    page = kPage;
    QTest::newRow("options inserted above")
        << reverse
        << page.replace(QStringLiteral(".TP\n.B \\-r, \\-\\-reverse\n"),
               QStringLiteral(
                   ".TP\n.B \\-q, \\-\\-quiet\nPrint no warnings about records that cannot be read.\n"
                   ".TP\n.BR \\-s \", \" \\-\\-stable\nKeep records with equal keys in input order.\n"
                   ".TP\n.B \\-r, \\-\\-reverse\n"))
        << inPlace << reverse << "OPTIONS";

    const QString opened = QStringLiteral("one when a file could not be opened");
    page = kPage;
    page.remove(kExitStatus);
    QTest::newRow("section moved") << opened
                                   << page.replace(QStringLiteral(".SH DESCRIPTION\n"),
                                          kExitStatus + QStringLiteral(".SH DESCRIPTION\n"))
                                   << QList<Attachment> { Attachment::moved } << opened << "EXIT STATUS";

    page = kPage;
    QTest::newRow("own words changed")
        << "Separate records with a zero byte instead of a newline."
        << page.replace(QStringLiteral("Separate records with a zero byte instead"),
               QStringLiteral("Separate the records with a NUL byte instead"))
        << QList<Attachment> { Attachment::changed }
        << "Separate the records with a NUL byte instead of a newline."
        << "OPTIONS";

    page = kPage;
    QTest::newRow("deleted, a similar line takes its place")
        << "Print a short usage summary and exit."
        << page.remove(QStringLiteral(".TP\n.B \\-\\-usage\nPrint a short usage summary and exit.\n"))
        << QList<Attachment> { Attachment::notFound } << QString() << "OPTIONS";
    page = kPage;
    QTest::newRow("deleted paragraph")
        << "Each record keeps its trailing separator, so the output can be read again by frob itself."
        << page.remove(QStringLiteral("Each record keeps its trailing separator, so the output can be read "
                                      "again by\nfrob itself.\n"))
        << QList<Attachment> { Attachment::notFound } << QString() << "DESCRIPTION";

    // "the selected sort key" is also in DESCRIPTION; with its own surroundings reworded, only the section
    // tells.
    page = kPage;
    QTest::newRow("phrase in two sections")
        << "the selected sort key"
        << page.replace(reverse, QStringLiteral("Reverse the selected sort key when writing records."))
        << QList<Attachment> { Attachment::moved } << "the selected sort key"
        << "OPTIONS";
}

void HighlightAnchoringTest::changedPage()
{
    QFETCH(QString, highlighted);
    QFETCH(QString, changedPage);
    QFETCH(QList<Attachment>, attachments);
    QFETCH(QString, expected);
    QFETCH(QString, section);

    const PageText before = render(kPage);
    const QRegularExpressionMatch match = find(before, highlighted, section);
    QVERIFY(match.hasMatch());
    const TextQuote quote
        = HighlightAnchoring::quoteAt(before, match.capturedStart(), match.capturedLength());
    const PageText after = render(changedPage);
    QVERIFY(after.text != before.text);

    const HighlightAnchoring::Placement placement = HighlightAnchoring::place(after, quote);
    QVERIFY2(
        attachments.contains(placement.attachment), qPrintable(QString::number(int(placement.attachment))));
    if (expected.isEmpty()) {
        QCOMPARE(placement.start, -1);
        return;
    }
    QCOMPARE(after.text.mid(placement.start, placement.length).simplified(), expected);
    QCOMPARE(after.sectionAt(placement.start), section);
}

QTEST_GUILESS_MAIN(HighlightAnchoringTest)
#include "tst_highlightanchoring.moc"
