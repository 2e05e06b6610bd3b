// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/asciicollation.h"
#include "catalogue/manindex.h"

#include "cataloguetestfiles.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Lectorin;

class CollationTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void asciiFastPath_ordersExactlyLikeTheCollator_data();
    void asciiFastPath_ordersExactlyLikeTheCollator();
};

void CollationTest::asciiFastPath_ordersExactlyLikeTheCollator_data()
{
    QTest::addColumn<QString>("alphabet");
    QTest::newRow("all printable") << [] {
        QString all;
        for (char16_t c = 0x20; c < 0x7f; ++c)
            all += QChar(c);
        return all;
    }();
    QTest::newRow("few letters, many ties") << QStringLiteral("aAbB-_1");
}

void CollationTest::asciiFastPath_ordersExactlyLikeTheCollator()
{
    QFETCH(QString, alphabet);
    QVERIFY2(AsciiCollation::forCurrentLocale(), "the fast path applies in this test's locale");

    QRandomGenerator random(42);
    const QStringList sections { "1", "1ssl", "2", "3", "3pm", "3x", "8", "10", "n", "l" };
    QList<ManPage> pages;
    for (int i = 0; i < 20000; ++i) {
        QString name;
        const int length = 1 + random.bounded(14);
        for (int c = 0; c < length; ++c)
            name += alphabet.at(random.bounded(int(alphabet.size())));
        const QString section = sections.at(random.bounded(int(sections.size())));
        pages.append({ name, section, QString(), name, lowercasedPageName(name) });
    }

    QList<ManPage> expected = pages;
    CatalogueTestFiles::sortByCollators(expected);
    ManIndex::sortInCatalogueOrder(pages);
    for (qsizetype i = 0; i < pages.size(); ++i)
        QCOMPARE(pages.at(i).id(), expected.at(i).id());
}

QTEST_GUILESS_MAIN(CollationTest)
#include "tst_collation.moc"
