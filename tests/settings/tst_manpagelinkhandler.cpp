// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/manpagelinkhandler.h"
#include "settings/manpagelinkhandlersection.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Lectorin;
using ManPageLinkHandler::Handler;

Q_DECLARE_METATYPE(std::optional<Lectorin::ManPageLinkHandler::Handler>)

namespace {

Handler handler(const QString &id, const QString &name)
{
    return { id, name, {} };
}

QStringList ids(const QList<Handler> &handlers)
{
    QStringList result;
    for (const Handler &each : handlers)
        result.append(each.id);
    return result;
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QByteArray desktopEntry(const QString &name, bool handlesManPages = true)
{
    QByteArray entry = "[Desktop Entry]\nType=Application\nName=" + name.toUtf8()
        + "\nExec=/bin/true %u\nIcon=utilities-terminal\n";
    if (handlesManPages)
        entry += "MimeType=x-scheme-handler/x-man-page;\n";
    return entry;
}

QByteArray mimeCache(const QList<QByteArray> &ids)
{
    QByteArray cache = "[MIME Cache]\nx-scheme-handler/x-man-page=";
    for (const QByteArray &id : ids)
        cache += id + ';';
    return cache + '\n';
}

// The desktop the test runs on: XDG folders of its own, filled before GIO first looks at them.
struct DesktopFixture
{
    DesktopFixture()
    {
        const QString home = directory.filePath(QStringLiteral("home"));
        const QString first = directory.filePath(QStringLiteral("system1"));
        const QString second = directory.filePath(QStringLiteral("system2"));
        config = directory.filePath(QStringLiteral("config"));
        // Packages register their handlers in mimeinfo.cache (update-desktop-database); GIO lists a type's
        // applications from there. The default is a second copy of Alpha Viewer that no cache lists.
        valid = writeFile(home + QStringLiteral("/applications/lectorin.desktop"),
                    desktopEntry(QStringLiteral("Lectorin")))
            && writeFile(
                home + QStringLiteral("/applications/mimeinfo.cache"), mimeCache({ "lectorin.desktop" }))
            && writeFile(first + QStringLiteral("/applications/alpha-viewer.desktop"),
                desktopEntry(QStringLiteral("Alpha Viewer")))
            && writeFile(
                first + QStringLiteral("/applications/man10.desktop"), desktopEntry(QStringLiteral("Man 10")))
            && writeFile(
                first + QStringLiteral("/applications/man9.desktop"), desktopEntry(QStringLiteral("Man 9")))
            && writeFile(first + QStringLiteral("/applications/editor.desktop"),
                desktopEntry(QStringLiteral("Plain Editor"), false))
            && writeFile(first + QStringLiteral("/applications/mimeinfo.cache"),
                mimeCache({ "alpha-viewer.desktop", "man10.desktop", "man9.desktop" }))
            && writeFile(second + QStringLiteral("/applications/alpha-viewer-copy.desktop"),
                desktopEntry(QStringLiteral("Alpha Viewer")))
            && writeFile(config + QStringLiteral("/mimeapps.list"),
                "[Default Applications]\nx-scheme-handler/x-man-page=alpha-viewer-copy.desktop\n");
        qputenv("XDG_DATA_HOME", home.toUtf8());
        qputenv("XDG_DATA_DIRS", (first + u':' + second).toUtf8());
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        qputenv("XDG_CONFIG_DIRS", directory.filePath(QStringLiteral("etc")).toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    QTemporaryDir directory;
    QString config;
    bool valid = false;
};

// A desktop whose handlers are a list the test changes; `accept` false plays a user who declines.
struct FakeDesktop
{
    std::optional<Handler> current;
    QList<Handler> all;
    bool accept = true;
    QStringList requests;

    ManPageLinkHandler::Backend backend()
    {
        return { [this] { return current; }, [this] { return all; },
            [this](const QString &id, QObject *context, std::function<void()> done) {
                requests.append(id);
                if (accept) {
                    for (const Handler &each : std::as_const(all)) {
                        if (each.id == id)
                            current = each;
                    }
                }
                QTimer::singleShot(0, context, std::move(done));
            } };
    }
};

} // namespace

class ManPageLinkHandlerTest : public QObject
{
    Q_OBJECT
public:
    explicit ManPageLinkHandlerTest(DesktopFixture &desktop)
        : m_desktop(desktop)
    { }

private Q_SLOTS:
    void orderedHandlers_data();
    void orderedHandlers();
    void section_noHandlers_isEmpty();
    void section_choosing_asksThenShowsTheRealDefault();
    void section_declined_returnsToThePreviousDefault();
    void desktop_listsTheInstalledHandlers();
    void desktop_change_writesMimeappsList();

private:
    DesktopFixture &m_desktop;
};

void ManPageLinkHandlerTest::orderedHandlers_data()
{
    QTest::addColumn<std::optional<Handler>>("current");
    QTest::addColumn<QList<Handler>>("all");
    QTest::addColumn<QStringList>("expected");

    const Handler alpha = handler(QStringLiteral("alpha.desktop"), QStringLiteral("Alpha"));
    const Handler alphaCopy = handler(QStringLiteral("alpha-copy.desktop"), QStringLiteral("Alpha"));
    const Handler zeta = handler(QStringLiteral("zeta.desktop"), QStringLiteral("zeta"));
    const Handler man10 = handler(QStringLiteral("man10.desktop"), QStringLiteral("Man 10"));
    const Handler man9 = handler(QStringLiteral("man9.desktop"), QStringLiteral("Man 9"));

    QTest::newRow("no handler at all") << std::optional<Handler>() << QList<Handler>() << QStringList();
    QTest::newRow("default not listed")
        << std::optional(zeta) << QList { alpha } << QStringList { alpha.id, zeta.id };
    QTest::newRow("copies: the default wins") << std::optional(alphaCopy) << QList { alpha, zeta, alphaCopy }
                                              << QStringList { alphaCopy.id, zeta.id };
    QTest::newRow("copies: the first listed wins")
        << std::optional<Handler>() << QList { alpha, alphaCopy } << QStringList { alpha.id };
    QTest::newRow("case-insensitive, numeric")
        << std::optional<Handler>() << QList { zeta, man10, man9, alpha }
        << QStringList { alpha.id, man9.id, man10.id, zeta.id };
}

void ManPageLinkHandlerTest::orderedHandlers()
{
    QFETCH(std::optional<Handler>, current);
    QFETCH(QList<Handler>, all);
    QFETCH(QStringList, expected);
    QCOMPARE(ids(ManPageLinkHandler::orderedHandlers(current, all)), expected);
}

void ManPageLinkHandlerTest::section_noHandlers_isEmpty()
{
    FakeDesktop desktop;
    ManPageLinkHandlerSection section(desktop.backend());
    QCOMPARE(section.title(), QStringLiteral("Man page links"));
    QCOMPARE(section.picker()->count(), 0);
    QCOMPARE(section.selection(), QString());
}

void ManPageLinkHandlerTest::section_choosing_asksThenShowsTheRealDefault()
{
    FakeDesktop desktop;
    desktop.all = { handler(QStringLiteral("b.desktop"), QStringLiteral("Beta")),
        handler(QStringLiteral("a.desktop"), QStringLiteral("Alpha")) };
    desktop.current = desktop.all.first();
    ManPageLinkHandlerSection section(desktop.backend());
    QCOMPARE(section.picker()->itemText(0), QStringLiteral("Alpha"));
    QCOMPARE(section.selection(), QStringLiteral("b.desktop"));

    // Choosing the current default asks nothing.
    emit section.picker()->activated(1);
    QVERIFY(desktop.requests.isEmpty());

    QSignalSpy reloaded(&section, &ManPageLinkHandlerSection::handlersReloaded);
    section.picker()->setCurrentIndex(0);
    emit section.picker()->activated(0);
    QCOMPARE(desktop.requests, QStringList { QStringLiteral("a.desktop") });
    QTRY_COMPARE(reloaded.size(), 1);
    QCOMPARE(section.selection(), QStringLiteral("a.desktop"));
}

void ManPageLinkHandlerTest::section_declined_returnsToThePreviousDefault()
{
    FakeDesktop desktop;
    desktop.all = { handler(QStringLiteral("a.desktop"), QStringLiteral("Alpha")),
        handler(QStringLiteral("b.desktop"), QStringLiteral("Beta")) };
    desktop.current = desktop.all.first();
    desktop.accept = false;
    ManPageLinkHandlerSection section(desktop.backend());
    QSignalSpy reloaded(&section, &ManPageLinkHandlerSection::handlersReloaded);
    section.picker()->setCurrentIndex(1);
    emit section.picker()->activated(1);
    QTRY_COMPARE(reloaded.size(), 1);
    QCOMPARE(section.selection(), QStringLiteral("a.desktop"));
    QCOMPARE(section.picker()->currentText(), QStringLiteral("Alpha"));
}

void ManPageLinkHandlerTest::desktop_listsTheInstalledHandlers()
{
    QVERIFY(m_desktop.valid);
    const std::optional<Handler> current = ManPageLinkHandler::desktopCurrentHandler();
    QVERIFY(current);
    QCOMPARE(current->id, QStringLiteral("alpha-viewer-copy.desktop"));
    QCOMPARE(current->displayName, QStringLiteral("Alpha Viewer"));
    QCOMPARE(current->iconNames.value(0), QStringLiteral("utilities-terminal"));

    const QStringList all = ids(ManPageLinkHandler::desktopAllHandlers());
    QCOMPARE(all.size(), 4);
    QVERIFY(all.contains(QStringLiteral("alpha-viewer.desktop")));
    QVERIFY(!all.contains(QStringLiteral("alpha-viewer-copy.desktop")));
    QVERIFY(!all.contains(QStringLiteral("editor.desktop")));

    ManPageLinkHandlerSection section;
    QCOMPARE(ids(section.handlers()),
        (QStringList { QStringLiteral("alpha-viewer-copy.desktop"), QStringLiteral("lectorin.desktop"),
            QStringLiteral("man9.desktop"), QStringLiteral("man10.desktop") }));
    QCOMPARE(section.selection(), QStringLiteral("alpha-viewer-copy.desktop"));
}

void ManPageLinkHandlerTest::desktop_change_writesMimeappsList()
{
    QVERIFY(m_desktop.valid);
    ManPageLinkHandlerSection section;
    QSignalSpy reloaded(&section, &ManPageLinkHandlerSection::handlersReloaded);
    const int lectorin = section.picker()->findData(QStringLiteral("lectorin.desktop"));
    QVERIFY(lectorin >= 0);
    section.picker()->setCurrentIndex(lectorin);
    emit section.picker()->activated(lectorin);
    QTRY_COMPARE(reloaded.size(), 1);
    QCOMPARE(section.selection(), QStringLiteral("lectorin.desktop"));

    QFile mimeapps(m_desktop.config + QStringLiteral("/mimeapps.list"));
    QVERIFY(mimeapps.open(QIODevice::ReadOnly));
    QVERIFY(mimeapps.readAll().contains("x-scheme-handler/x-man-page=lectorin.desktop"));
    QCOMPARE(ManPageLinkHandler::desktopCurrentHandler()->id, QStringLiteral("lectorin.desktop"));

    // An id no desktop file has is refused and changes nothing.
    QVERIFY(!ManPageLinkHandler::setDesktopDefaultHandler(QStringLiteral("missing.desktop")));
    QCOMPARE(ManPageLinkHandler::desktopCurrentHandler()->id, QStringLiteral("lectorin.desktop"));
}

int main(int argc, char **argv)
{
    DesktopFixture desktop; // before anything asks GIO, which reads the XDG folders once
    QApplication application(argc, argv);
    ManPageLinkHandlerTest test(desktop);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_manpagelinkhandler.moc"
