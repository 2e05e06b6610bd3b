// SPDX-License-Identifier: GPL-3.0-or-later
// The real program as a screen reader meets it: a private session bus, the desktop's accessibility bus,
// a window on its own X server, and the tree walked over D-Bus.
#include "../common/testservers.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kTimeout = 60000;
const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
// AT-SPI state bits.
constexpr int kFocusable = 11;
constexpr int kShowing = 25;

// One object of the accessibility tree, and what a screen reader reads of it.
struct Node
{
    QString service;
    QString path;
    QString role;
    QString name;
    bool focusable = false;
    int depth = 0;
};

// A page with the shapes a reader moves through: sections, a subsection, links to other pages.
const QByteArray kPage
    = ".TH WALK 1\n.SH NAME\nwalk \\- go on foot\n.SH SYNOPSIS\n.B walk\n[\\fB\\-f\\fR]\n"
      ".SH DESCRIPTION\nWalks.\n.SS Pace\nSlowly.\n.SH SEE ALSO\n.BR run (1),\n.BR stroll (1)\n";

} // namespace

class AccessibilityBusTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void window_namesItsControlsAndReadsThePage();
    void cleanupTestCase();

private:
    QVariant property(const Node &node, const QString &name) const;
    QList<Node> children(const Node &node) const;
    Node described(Node node) const;
    // The application's tree, depth first, to `maxDepth`.
    QList<Node> walk(const Node &root, int maxDepth = 40) const;
    std::optional<Node> application() const;

    QTemporaryDir m_dir;
    QProcess m_xServer;
    QProcess m_sessionBus;
    QProcess m_busLauncher;
    QProcess m_program;
    std::optional<QDBusConnection> m_bus;
};

void AccessibilityBusTest::initTestCase()
{
    const QString launcher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
    const std::optional<int> display
        = TestServers::startXServer(m_xServer, 400 + int(QCoreApplication::applicationPid() % 100));
    const std::optional<QString> session = TestServers::startSessionBus(m_sessionBus);
    if (!display || !session || !QFileInfo::exists(launcher))
        QSKIP("Xvfb, dbus-daemon and at-spi2-core are needed (scripts/bootstrap installs them)");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", *session);
    environment.insert("DISPLAY", QStringLiteral(":%1").arg(*display));
    m_busLauncher.setProcessEnvironment(environment);
    m_busLauncher.start(launcher, { "--launch-immediately" });
    QVERIFY(m_busLauncher.waitForStarted(kTimeout));
    QDBusConnection sessionBus = QDBusConnection::connectToBus(*session, QStringLiteral("session"));
    QVERIFY(sessionBus.isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(
        sessionBus.interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus")), kTimeout);
    const QDBusReply<QString> address
        = sessionBus.call(QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"),
            QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
    QVERIFY(address.isValid());
    m_bus = QDBusConnection::connectToBus(address.value(), QStringLiteral("a11y"));
    QVERIFY(m_bus->isConnected());

    const QString man = m_dir.filePath("man");
    QDir().mkpath(man + "/man1");
    for (const auto &[file, content] : { std::pair { "walk.1", kPage },
             std::pair { "run.1", QByteArray(".TH RUN 1\n.SH NAME\nrun \\- go fast\n") },
             std::pair { "stroll.1", QByteArray(".TH STROLL 1\n.SH NAME\nstroll \\- go slowly\n") } }) {
        QFile page(man + "/man1/" + file);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(content);
    }
    QFile shell(m_dir.filePath("shell"));
    QVERIFY(shell.open(QIODevice::WriteOnly));
    shell.write(
        "#!/bin/sh\ncase \"$3\" in manpath) echo " + man.toUtf8() + ";; *) echo /nonexistent;; esac\n");
    shell.close();
    QVERIFY(shell.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    TestServers::usePrivateHome(environment, m_dir.filePath("home"), m_dir.filePath("runtime"));
    environment.insert("SHELL", shell.fileName());
    environment.insert("INFOPATH", m_dir.filePath("info"));
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.remove("WAYLAND_DISPLAY");
    // What a running screen reader turns on; the web content the program itself asks the engine for.
    environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    environment.remove("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
    if (environment.contains("ASAN_OPTIONS"))
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    m_program.setProcessEnvironment(environment);
    m_program.start(QStringLiteral(LECTORIN_PROGRAM), { QStringLiteral("walk(1)") });
    QVERIFY(m_program.waitForStarted(kTimeout));
}

void AccessibilityBusTest::cleanupTestCase()
{
    for (QProcess *process : { &m_program, &m_busLauncher, &m_sessionBus, &m_xServer }) {
        process->terminate();
        if (!process->waitForFinished(10000))
            process->kill();
    }
}

QVariant AccessibilityBusTest::property(const Node &node, const QString &name) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        node.service, node.path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kAccessible << name;
    const QDBusReply<QDBusVariant> reply = m_bus->call(call, QDBus::Block, 5000);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

QList<Node> AccessibilityBusTest::children(const Node &node) const
{
    const QDBusMessage reply = m_bus->call(
        QDBusMessage::createMethodCall(node.service, node.path, kAccessible, QStringLiteral("GetChildren")),
        QDBus::Block, 5000);
    QList<Node> found;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return found;
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString service;
        QDBusObjectPath path;
        list.beginStructure();
        list >> service >> path;
        list.endStructure();
        Node child;
        child.service = service;
        child.path = path.path();
        child.depth = node.depth + 1;
        found.append(child);
    }
    list.endArray();
    return found;
}

Node AccessibilityBusTest::described(Node node) const
{
    node.name = property(node, QStringLiteral("Name")).toString();
    const QDBusReply<QString> role = m_bus->call(
        QDBusMessage::createMethodCall(node.service, node.path, kAccessible, QStringLiteral("GetRoleName")),
        QDBus::Block, 5000);
    node.role = role.isValid() ? role.value() : QString();
    const QDBusMessage states = m_bus->call(
        QDBusMessage::createMethodCall(node.service, node.path, kAccessible, QStringLiteral("GetState")),
        QDBus::Block, 5000);
    if (states.type() == QDBusMessage::ReplyMessage && !states.arguments().isEmpty()) {
        QList<uint> bits;
        states.arguments().first().value<QDBusArgument>() >> bits;
        const uint low = bits.value(0);
        node.focusable = (low & (1u << kFocusable)) && (low & (1u << kShowing));
    }
    return node;
}

QList<Node> AccessibilityBusTest::walk(const Node &root, int maxDepth) const
{
    QList<Node> nodes { described(root) };
    if (root.depth >= maxDepth)
        return nodes;
    for (const Node &child : children(root))
        nodes += walk(child, maxDepth);
    return nodes;
}

std::optional<Node> AccessibilityBusTest::application() const
{
    Node desktop;
    desktop.service = QStringLiteral("org.a11y.atspi.Registry");
    desktop.path = QStringLiteral("/org/a11y/atspi/accessible/root");
    for (const Node &app : children(desktop)) {
        if (property(app, QStringLiteral("Name")).toString().compare(u"lectorin", Qt::CaseInsensitive) == 0)
            return app;
    }
    return std::nullopt;
}

void AccessibilityBusTest::window_namesItsControlsAndReadsThePage()
{
    std::optional<Node> app;
    QTRY_VERIFY_WITH_TIMEOUT((app = application()), kTimeout);
    // The page arrives after the window: wait until its last section can be read.
    QList<Node> tree;
    const auto has = [&tree](const QString &role, const QString &name) {
        return std::any_of(tree.cbegin(), tree.cend(),
            [&](const Node &node) { return node.role == role && node.name.simplified() == name; });
    };
    QTRY_VERIFY_WITH_TIMEOUT((tree = walk(*app), has("heading", "SEE ALSO")), kTimeout);

    QStringList outline;
    QStringList unnamed;
    int documentDepth = -1;
    int pageLines = 0;
    for (const Node &node : std::as_const(tree)) {
        static const QStringList kQuiet { "menu item", "popup menu", "separator", "label", "section",
            "paragraph" };
        if (node.role == u"web document")
            documentDepth = node.depth;
        else if (documentDepth >= 0 && node.depth <= documentDepth)
            documentDepth = -1;
        // Inside the page, its first headings and links, as a screen reader's list of them would start.
        const bool pageLine = documentDepth >= 0 && node.depth > documentDepth
            && (node.role == u"heading" || node.role == u"link") && pageLines++ < 8;
        if ((node.depth <= 10 && !kQuiet.contains(node.role)
                && (documentDepth < 0 || node.role == u"web document"))
            || pageLine)
            outline << QString(pageLine ? (documentDepth + 1) * 2 : node.depth * 2, u' ') + node.role
                    + u" \u201C" + node.name.simplified().left(60) + u'\u201D';
        if (node.focusable && node.name.trimmed().isEmpty() && node.role != u"list item")
            unnamed << node.role + u" at " + node.path;
    }
    qInfo().noquote() << "\n" + outline.join(u'\n');
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));

    // The page: its title as the document's name, sections as headings, references as links.
    QVERIFY(has("web document", "walk(1)"));
    for (const char *heading : { "NAME", "SYNOPSIS", "DESCRIPTION", "Pace", "SEE ALSO" })
        QVERIFY2(has("heading", heading), heading);
    QVERIFY(has("link", "run(1)") && has("link", "stroll(1)"));
    // The controls around it.
    for (const char *control : { "Filter Commands", "Commands", "Back", "Forward" })
        QVERIFY2(
            std::any_of(tree.cbegin(), tree.cend(), [&](const Node &node) { return node.name == control; }),
            control);
}

QTEST_GUILESS_MAIN(AccessibilityBusTest)
#include "tst_accessibilitybus.moc"
