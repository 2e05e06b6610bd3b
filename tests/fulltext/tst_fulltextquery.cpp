// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltext/fulltexthit.h"
#include "fulltext/fulltextquery.h"

#include <QTest>

using namespace Lectorin;
using Terms = QList<QStringList>;

class FullTextQueryTest : public QObject
{
    Q_OBJECT
private slots:
    void terms_data();
    void terms();
    void expression_quotesEveryTerm_data();
    void expression_quotesEveryTerm();
    void nameExpression_limitsTheTermsToTheNameLine();
    void noSearchableWord_givesNoExpression();
    void veryLongInput_isBounded();
    void firstWord();
    void markedSnippet_collapsesSpaceAndKeepsEmphasis();
    void snippetHTML_escapesText();
};

void FullTextQueryTest::terms_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<Terms>("expected");
    QTest::newRow("words") << "copy  Files" << Terms { { "copy" }, { "files" } };
    QTest::newRow("phrase") << "\"list directory\" sort" << Terms { { "list", "directory" }, { "sort" } };
    QTest::newRow("unbalanced quote runs to end")
        << "sort \"list dir" << Terms { { "sort" }, { "list", "dir" } };
    QTest::newRow("punctuated word is a phrase") << "git-log" << Terms { { "git", "log" } };
    QTest::newRow("operators are words")
        << "a AND b OR NOT c" << Terms { { "a" }, { "and" }, { "b" }, { "or" }, { "not" }, { "c" } };
    QTest::newRow("near call") << "NEAR(a b, 2)" << Terms { { "near", "a" }, { "b" }, { "2" } };
    QTest::newRow("column filter") << "name:ls body : x" << Terms { { "name", "ls" }, { "body" }, { "x" } };
    QTest::newRow("prefix and caret")
        << "^start foo* -bar +baz" << Terms { { "start" }, { "foo" }, { "bar" }, { "baz" } };
    QTest::newRow("quote inside word") << "ab\"cd\"ef" << Terms { { "ab" }, { "cd" }, { "ef" } };
    QTest::newRow("NUL and controls")
        << QStringView(u"a\u0000b\u0002c", 5).toString() << Terms { { "a", "b", "c" } };
    QTest::newRow("accents and CJK") << QString::fromUtf8("caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac")
                                     << Terms { { QString::fromUtf8("caf\xc3\xa9") },
                                            { QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac") } };
}

void FullTextQueryTest::terms()
{
    QFETCH(QString, filter);
    QFETCH(Terms, expected);
    Terms words;
    for (const FullTextQuery::Term &term : FullTextQuery::terms(filter))
        words.append(term.words);
    QCOMPARE(words, expected);
}

void FullTextQueryTest::expression_quotesEveryTerm_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *tag, const char *filter, const char *expected) {
        QTest::newRow(tag) << QString(filter) << QString(expected);
    };
    row("words", "copy files", "\"copy\" AND \"files\"");
    row("phrase", "\"two words\"", "\"two words\"");
    row("keyword", "NEAR", "\"near\"");
    row("prefix word", "sock* stream", "\"sock\" * AND \"stream\"");
    row("prefix of a punctuated word", "git-lo*", "\"git lo\" *");
    row("star inside a word is no prefix", "a*b", "\"a b\"");
    row("star after a phrase is no prefix", "\"two words\"*", "\"two words\"");
}

void FullTextQueryTest::expression_quotesEveryTerm()
{
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(FullTextQuery::expression(filter), std::optional(expected));
}

void FullTextQueryTest::nameExpression_limitsTheTermsToTheNameLine()
{
    QCOMPARE(FullTextQuery::nameExpression(QStringLiteral("git-lo* x")),
        std::optional(QStringLiteral("name : (\"git lo\" * AND \"x\")")));
}

void FullTextQueryTest::noSearchableWord_givesNoExpression()
{
    for (const QString &filter : { QString(), QStringLiteral("   "), QStringLiteral("\""),
             QStringLiteral("\"\""), QStringLiteral("* - : ^ ( )"), QString(QChar(0)) }) {
        QVERIFY2(!FullTextQuery::expression(filter), qPrintable(filter));
        QCOMPARE(FullTextQuery::firstWord(filter), QString());
    }
}

void FullTextQueryTest::veryLongInput_isBounded()
{
    const QString filter = QStringLiteral("word ").repeated(10000);
    QCOMPARE(FullTextQuery::terms(filter).size(), FullTextQuery::kMaxTerms);
    const QString oneWord(100000, u'x');
    const auto terms = FullTextQuery::terms(oneWord);
    QCOMPARE(terms.size(), 1);
    QCOMPARE(terms.first().words.first().size(), FullTextQuery::kMaxQueryLength);
}

void FullTextQueryTest::firstWord()
{
    QCOMPARE(
        FullTextQuery::firstWord(QStringLiteral("  \"Recursive copy\" tree")), QStringLiteral("recursive"));
    QCOMPARE(FullTextQuery::firstWord(QStringLiteral("-- sort")), QStringLiteral("sort"));
}

void FullTextQueryTest::markedSnippet_collapsesSpaceAndKeepsEmphasis()
{
    const QString marked = QStringLiteral("\u2026 copy\n     \x02"
                                          "files\x03  and \x02"
                                          "dirs\x03\n");
    const FullTextHit hit = FullTextHit::fromMarkedSnippet(QStringLiteral("1/cp"), marked);
    QCOMPARE(hit.snippet, QStringLiteral("\u2026 copy files and dirs"));
    const QList<FullTextHit::Emphasis> expected { { 7, 5 }, { 17, 4 } };
    QCOMPARE(hit.emphasis, expected);
}

void FullTextQueryTest::snippetHTML_escapesText()
{
    const FullTextHit hit = FullTextHit::fromMarkedSnippet(
        QStringLiteral("1/x"), QStringLiteral("if a<b && \x02<script>\x03 \"q\""));
    QCOMPARE(hit.snippetHTML(), QStringLiteral("if a&lt;b &amp;&amp; <b>&lt;script&gt;</b> &quot;q&quot;"));
}

QTEST_GUILESS_MAIN(FullTextQueryTest)
#include "tst_fulltextquery.moc"
