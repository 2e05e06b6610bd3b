// SPDX-License-Identifier: GPL-3.0-or-later
#include "skeppa/appinfo.h"
#include "skeppa/systemversion.h"

#include <QCoreApplication>
#include <QTest>

#include <sys/utsname.h>

using namespace Skeppa;

Q_DECLARE_METATYPE(std::optional<Skeppa::SystemVersion>)

class VersionsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void compare_data();
    void compare();
    void description_data();
    void description();
    void current_isTheKernelReleasePrefix();
    void appInfo_data();
    void appInfo();
    void appInfo_fromApplication_fallsBackToExecutableName();
};

void VersionsTest::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<SystemVersion>>("expected");

    const std::optional<SystemVersion> none;
    QTest::newRow("major only") << "15" << std::optional(SystemVersion { 15, 0, 0 });
    QTest::newRow("major.minor, padded") << " \t14.4\n" << std::optional(SystemVersion { 14, 4, 0 });
    QTest::newRow("three parts") << "13.6.7" << std::optional(SystemVersion { 13, 6, 7 });
    QTest::newRow("leading zeros") << "06.01" << std::optional(SystemVersion { 6, 1, 0 });
    QTest::newRow("four parts") << "15.1.2.3" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("trailing full stop") << "15." << none;
    QTest::newRow("empty middle piece") << "15..1" << none;
    QTest::newRow("leading letter") << "v15" << none;
    QTest::newRow("letter piece") << "15.x" << none;
    QTest::newRow("negative") << "-1" << none;
    QTest::newRow("plus sign") << "+1" << none;
    QTest::newRow("beyond 64 bits") << "9223372036854775808" << none;
    QTest::newRow("non-ASCII digits") << "١٥" << none;
}

void VersionsTest::parse()
{
    QFETCH(QString, text);
    QFETCH(std::optional<SystemVersion>, expected);
    QCOMPARE(SystemVersion::parse(text), expected);
}

void VersionsTest::compare_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("order"); // sign of left <=> right

    QTest::newRow("15.0.0 = 15") << u"15.0.0"_qs << u"15"_qs << 0;
    QTest::newRow("15.0.0 > 14.99.99") << u"15.0.0"_qs << u"14.99.99"_qs << 1;
    QTest::newRow("15.0.0 < 15.0.1") << u"15.0.0"_qs << u"15.0.1"_qs << -1;
    QTest::newRow("10.15 < 11, numerically") << u"10.15"_qs << u"11"_qs << -1;
    QTest::newRow("6.9 < 6.10") << u"6.9"_qs << u"6.10"_qs << -1;
}

void VersionsTest::compare()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, order);
    const SystemVersion a = *SystemVersion::parse(left);
    const SystemVersion b = *SystemVersion::parse(right);
    QCOMPARE(a < b, order < 0);
    QCOMPARE(a <= b, order <= 0);
    QCOMPARE(a > b, order > 0);
    QCOMPARE(a >= b, order >= 0);
    QCOMPARE(a == b, order == 0);
}

void VersionsTest::description_data()
{
    QTest::addColumn<SystemVersion>("version");
    QTest::addColumn<QString>("text");

    QTest::newRow("major") << SystemVersion { 15, 0, 0 } << "15";
    QTest::newRow("minor") << SystemVersion { 14, 4, 0 } << "14.4";
    QTest::newRow("patch with zero minor") << SystemVersion { 15, 0, 1 } << "15.0.1";
}

void VersionsTest::description()
{
    QFETCH(SystemVersion, version);
    QFETCH(QString, text);
    QCOMPARE(version.description(), text);
}

void VersionsTest::current_isTheKernelReleasePrefix()
{
    utsname name {};
    QCOMPARE(uname(&name), 0);
    const QString release = QString::fromLocal8Bit(name.release);
    const SystemVersion current = SystemVersion::current();
    QVERIFY(current.major > 0);
    // "6.1.0-18-amd64" and "6.18.44-fc" start with the components; a two-part "6.1-rc" has no patch.
    const QString prefix = QStringLiteral("%1.%2").arg(current.major).arg(current.minor);
    QVERIFY2(release.startsWith(prefix), qPrintable(release));
    if (current.patch != 0)
        QVERIFY2(release.startsWith(prefix + u'.' + QString::number(current.patch)), qPrintable(release));
}

void VersionsTest::appInfo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<AppInfo>("expected");

    QTest::newRow("complete") << u"Lectorin"_qs << u"1.4"_qs << u"27"_qs << AppInfo { "Lectorin", "1.4", 27 };
    QTest::newRow("no version") << u"Lectorin"_qs << QString() << u"27"_qs << AppInfo { "Lectorin", "0", 27 };
    QTest::newRow("no name") << QString() << u"1.4"_qs << u"27"_qs
                             << AppInfo { "lectorin-fallback", "1.4", 27 };
    QTest::newRow("build with letter")
        << u"Lectorin"_qs << u"1.4"_qs << u"57b"_qs << AppInfo { "Lectorin", "1.4", 0 };
    QTest::newRow("empty build") << u"Lectorin"_qs << u"1.4"_qs << QString()
                                 << AppInfo { "Lectorin", "1.4", 0 };
}

void VersionsTest::appInfo()
{
    QFETCH(QString, name);
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(AppInfo, expected);
    QCOMPARE(AppInfo::fromStrings(name, version, build, QStringLiteral("lectorin-fallback")), expected);
}

void VersionsTest::appInfo_fromApplication_fallsBackToExecutableName()
{
    QCoreApplication::setApplicationName(QString());
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
    const AppInfo info = AppInfo::fromApplication(QStringLiteral("57"));
    QCOMPARE(info, (AppInfo { QStringLiteral("skeppa_versions_test"), QStringLiteral("2.0"), 57 }));
}

QTEST_GUILESS_MAIN(VersionsTest)
#include "tst_versions.moc"
