// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's search as GNOME Shell and KRunner ask it: the real provider on a private session bus.
#include "searchprovider/krunnerservice.h"

#include "../common/testservers.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Lectorin;

namespace {

constexpr int kTimeout = 30000;
const QString kService = QStringLiteral("org.lectorin.Lectorin.SearchProvider");

} // namespace

class SearchProviderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void gnomeShell_findsDescribesAndOpensPages();
    void krunner_matchesAndRuns();
    void cleanupTestCase();

private:
    QDBusMessage call(const QString &path, const QString &interface, const QString &method,
        const QVariantList &arguments) const;

    QTemporaryDir m_dir;
    QProcess m_sessionBus;
    QProcess m_provider;
    std::optional<QDBusConnection> m_bus;
};

void SearchProviderTest::initTestCase()
{
    const std::optional<QString> address = TestServers::startSessionBus(m_sessionBus);
    if (!address)
        QSKIP("dbus-daemon is needed (scripts/bootstrap installs it)");
    const QString man = m_dir.filePath("man");
    QDir().mkpath(man + "/man1");
    QDir().mkpath(man + "/man3");
    for (const auto &[file, content] :
        { std::pair { "man1/printf.1", ".TH PRINTF 1\n.SH NAME\nprintf \\- format and print data\n" },
            std::pair { "man3/printf.3", ".TH PRINTF 3\n.SH NAME\nprintf \\- formatted output conversion\n" },
            std::pair { "man3/sprintf.3", ".so man3/printf.3\n" },
            std::pair { "man1/ls.1", ".TH LS 1\n.SH NAME\nls \\- list directory contents\n" } }) {
        QFile page(man + u'/' + QLatin1String(file));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(content);
    }
    // The page a result opens is written down by a stand-in for Lectorin.
    QFile opener(m_dir.filePath("opener"));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\necho \"$1\" >> " + m_dir.filePath("opened").toUtf8() + "\n");
    opener.close();
    QVERIFY(opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    // The login shell names the manual folder only once the test lets it, so the first question surely comes
    // while the catalogue loads.
    QFile shell(m_dir.filePath("shell"));
    QVERIFY(shell.open(QIODevice::WriteOnly));
    shell.write("#!/bin/sh\nwhile [ ! -e " + m_dir.filePath("release").toUtf8()
        + " ]; do sleep 0.05; done\n"
          "case \"$3\" in manpath) echo "
        + man.toUtf8() + ";; *) echo /nonexistent;; esac\n");
    shell.close();
    QVERIFY(shell.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("SHELL", shell.fileName());
    environment.insert("DBUS_SESSION_BUS_ADDRESS", *address);
    TestServers::usePrivateHome(environment, m_dir.filePath("home"), m_dir.filePath("runtime"));
    m_provider.setProcessEnvironment(environment);
    m_provider.start(
        QStringLiteral(LECTORIN_SEARCH_PROVIDER), { "--manpath", man, "--program", opener.fileName() });
    QVERIFY(m_provider.waitForStarted(kTimeout));
    m_bus = QDBusConnection::connectToBus(*address, QStringLiteral("test"));
    QVERIFY(m_bus->isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(m_bus->interface()->isServiceRegistered(kService), kTimeout);
}

void SearchProviderTest::cleanupTestCase()
{
    for (QProcess *process : { &m_provider, &m_sessionBus }) {
        process->terminate();
        if (!process->waitForFinished(10000))
            process->kill();
    }
}

QDBusMessage SearchProviderTest::call(
    const QString &path, const QString &interface, const QString &method, const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    return m_bus->call(message, QDBus::Block, kTimeout);
}

void SearchProviderTest::gnomeShell_findsDescribesAndOpensPages()
{
    const QString path = QStringLiteral("/org/lectorin/Lectorin/SearchProvider");
    const QString interface = QStringLiteral("org.gnome.Shell.SearchProvider2");
    // The first question comes before the catalogue: it is answered once the catalogue is there.
    QDBusMessage first = QDBusMessage::createMethodCall(kService, path, interface, "GetInitialResultSet");
    first.setArguments({ QStringList { "printf" } });
    QDBusPendingCall pending = m_bus->asyncCall(first, kTimeout);
    QFile release(m_dir.filePath("release"));
    QVERIFY(release.open(QIODevice::WriteOnly));
    release.close();
    pending.waitForFinished();
    const QDBusReply<QStringList> initial = pending.reply();
    QVERIFY2(initial.isValid(), qPrintable(initial.error().message()));
    QCOMPARE(initial.value(), QStringList({ "1/printf", "3/printf", "3/sprintf" }));
    const QDBusReply<QStringList> narrower
        = call(path, interface, "GetSubsearchResultSet", { initial.value(), QStringList { "sprintf" } });
    QCOMPARE(narrower.value(), QStringList({ "3/sprintf" }));
    QCOMPARE(call(path, interface, "GetInitialResultSet", { QStringList { "zzz" } })
                 .arguments()
                 .value(0)
                 .toStringList(),
        QStringList());

    // Names and descriptions; an identifier that is gone has none.
    const QDBusMessage metas
        = call(path, interface, "GetResultMetas", { QStringList { "1/printf", "3/printf", "9/gone" } });
    QCOMPARE(metas.type(), QDBusMessage::ReplyMessage);
    QList<QVariantMap> rows;
    metas.arguments().value(0).value<QDBusArgument>() >> rows;
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].value("name").toString(), QStringLiteral("printf(1)"));
    QTRY_COMPARE_WITH_TIMEOUT(
        [&] {
            QList<QVariantMap> again;
            call(path, interface, "GetResultMetas", { QStringList { "3/printf" } })
                    .arguments()
                    .value(0)
                    .value<QDBusArgument>()
                >> again;
            return again.value(0).value("description").toString();
        }(),
        QStringLiteral("formatted output conversion"), kTimeout);

    call(path, interface, "ActivateResult", { QStringLiteral("3/printf"), QStringList { "printf" }, 0u });
    QFile opened(m_dir.filePath("opened"));
    QTRY_VERIFY_WITH_TIMEOUT(opened.exists() && opened.size() > 0, kTimeout);
    QVERIFY(opened.open(QIODevice::ReadOnly));
    QCOMPARE(opened.readAll(), QByteArray("x-lectorin-man://3/printf\n"));
}

void SearchProviderTest::krunner_matchesAndRuns()
{
    qDBusRegisterMetaType<KRunnerMatch>();
    qDBusRegisterMetaType<QList<KRunnerMatch>>();
    const QDBusMessage reply = call("/runner", "org.kde.krunner1", "Match", { QStringLiteral("ls") });
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    QList<KRunnerMatch> matches;
    reply.arguments().value(0).value<QDBusArgument>() >> matches;
    QVERIFY(!matches.isEmpty());
    QCOMPARE(matches.first().id, QStringLiteral("1/ls"));
    QVERIFY(matches.first().text.startsWith(u"ls(1)"));
    QVERIFY(matches.first().relevance > 0 && matches.first().relevance <= 1);
    QCOMPARE(call("/runner", "org.kde.krunner1", "Actions", {}).type(), QDBusMessage::ReplyMessage);
}

QTEST_GUILESS_MAIN(SearchProviderTest)
#include "tst_searchprovider.moc"
