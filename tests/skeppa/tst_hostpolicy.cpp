// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/hostpolicy.h"
#include "skeppa/samehostredirectguard.h"

#include <QTest>

using namespace Skeppa;

class HostPolicyTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void feedHost_isLowerCasedAndEncoded();
    void allowsDownload_data();
    void allowsDownload();
    void redirectGuard_data();
    void redirectGuard();
};

void HostPolicyTest::feedHost_isLowerCasedAndEncoded()
{
    QCOMPARE(
        HostPolicy::forFeedUrl(QUrl(QStringLiteral("https://Updates.Example.ORG/lectorin/lectorin.json")))
            .feedHost,
        QStringLiteral("updates.example.org"));
    QCOMPARE(HostPolicy::forFeedUrl(QUrl(QStringLiteral("https://bücher.example/feed.json"))).feedHost,
        QStringLiteral("xn--bcher-kva.example"));
    QCOMPARE(HostPolicy::forFeedUrl(QUrl(QStringLiteral("file:///feed.json"))).feedHost, QString());
}

void HostPolicyTest::allowsDownload_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("feed host") << "https://updates.example.org/lectorin/1.4.tar.gz" << true;
    QTest::newRow("feed host in capitals") << "HTTPS://UPDATES.example.org/x" << true;
    QTest::newRow("download host") << "https://github.com/lectorin/lectorin/releases/download/1.4/l.tar.gz"
                                   << true;
    QTest::newRow("feed host over http") << "http://updates.example.org/x" << false;
    QTest::newRow("download host over http") << "http://github.com/x" << false;
    QTest::newRow("subdomain of the feed host") << "https://cdn.updates.example.org/x" << false;
    QTest::newRow("subdomain of the download host") << "https://objects.github.com/x" << false;
    QTest::newRow("host ending like the feed host") << "https://evilupdates.example.org/x" << false;
    QTest::newRow("other host") << "https://example.net/x" << false;
    QTest::newRow("no host") << "https:///x" << false;
    QTest::newRow("other scheme") << "ftp://updates.example.org/x" << false;
}

void HostPolicyTest::allowsDownload()
{
    QFETCH(QString, url);
    QFETCH(bool, allowed);
    const HostPolicy policy
        = HostPolicy::forFeedUrl(QUrl(QStringLiteral("https://updates.example.org/lectorin/lectorin.json")));
    QCOMPARE(policy.allowsDownload(QUrl(url)), allowed);
    // Without a feed host only the download host remains.
    QCOMPARE(HostPolicy {}.allowsDownload(QUrl(url)), allowed && url.contains(u"github.com"));
}

void HostPolicyTest::redirectGuard_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("followed");

    const QString feed = QStringLiteral("https://updates.example.org/lectorin/lectorin.json");
    QTest::newRow("same host, other path") << feed << "https://updates.example.org/v2/lectorin.json" << true;
    QTest::newRow("same host in capitals") << feed << "https://UPDATES.EXAMPLE.ORG/v2" << true;
    QTest::newRow("same host, other port") << feed << "https://updates.example.org:8443/v2" << true;
    QTest::newRow("plain http") << feed << "http://updates.example.org/v2" << false;
    QTest::newRow("subdomain") << feed << "https://cdn.updates.example.org/v2" << false;
    QTest::newRow("other host") << feed << "https://github.com/v2" << false;
    QTest::newRow("no host in target") << feed << "https:///v2" << false;
    QTest::newRow("request without host") << "file:///feed.json"
                                          << "https://updates.example.org/v2" << false;
}

void HostPolicyTest::redirectGuard()
{
    QFETCH(QString, request);
    QFETCH(QString, target);
    QFETCH(bool, followed);
    QCOMPARE(SameHostRedirectGuard::forRequestUrl(QUrl(request)).allowsRedirect(QUrl(target)), followed);
}

QTEST_GUILESS_MAIN(HostPolicyTest)
#include "tst_hostpolicy.moc"
