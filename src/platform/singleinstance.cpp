// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Lectorin {
namespace {

constexpr int kConnectMilliseconds = 1000;
constexpr qint64 kMaximumMessageBytes = 1 << 20;
// The first line of every message: a connection that does not start with it is not a Lectorin start.
constexpr QByteArrayView kMessageHeader = "lectorin-open 1\n";
// A line no reference starts with: a control character, then the token.
constexpr QByteArrayView kTokenLine = "\x1e"
                                      "activation-token ";

enum class Ownership
{
    absent,
    ours,
    foreign
};

// What lies at `path`, without following a symbolic link: `isWanted` tells whether its type is the right one.
Ownership ownership(const QString &path, uint userID, bool (*isWanted)(mode_t))
{
    struct stat status
    { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return Ownership::absent;
    return isWanted(status.st_mode) && status.st_uid == userID ? Ownership::ours : Ownership::foreign;
}

bool isSocket(mode_t mode)
{
    return S_ISSOCK(mode);
}

// A folder only its owner can enter (a symbolic link never counts).
bool isPrivateFolder(const QString &path, uint userID)
{
    struct stat status
    { };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == userID && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

std::optional<QString> privateFallbackFolder(const SingleInstance::Environment &environment)
{
    const QString folder = QDir(
        environment.temporaryDirectory.isEmpty() ? QStringLiteral("/tmp") : environment.temporaryDirectory)
                               .filePath(QStringLiteral("lectorin-%1").arg(environment.userID));
    // Made with no access for others from the start; a folder someone else made under that name is refused.
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), S_IRWXU);
    struct stat status
    { };
    if (::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == environment.userID)
        ::chmod(path.constData(), S_IRWXU);
    if (!isPrivateFolder(folder, environment.userID))
        return std::nullopt;
    return folder;
}

// Waits for `events` on `descriptor` until `deadline`; false when it passed.
bool waitFor(int descriptor, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd watched { descriptor, events, 0 };
        const int polled = ::poll(&watched, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (polled > 0)
            return true;
        if (polled == 0 || errno != EINTR)
            return false;
    }
}

// Owns a descriptor.
struct Descriptor
{
    int value;
    ~Descriptor()
    {
        if (value >= 0)
            ::close(value);
    }
};

// Plain system calls with a deadline, so that a second start needs no application object, no event loop
// and no display connection to hand over. The server reads the message until the connection closes.
bool sendMessage(const QString &path, const QByteArray &message)
{
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    const Descriptor socket { ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0) };
    if (socket.value < 0)
        return false;
    const QDeadlineTimer deadline(kConnectMilliseconds);
    // A full backlog refuses a non-blocking connect for the moment; a socket nobody listens on, for good.
    while (::connect(socket.value, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if ((errno != EAGAIN && errno != EINTR) || deadline.hasExpired())
            return false;
        ::poll(nullptr, 0, 10);
    }
    qsizetype sent = 0;
    while (sent < message.size()) {
        const ssize_t written
            = ::send(socket.value, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (written > 0) {
            sent += written;
            continue;
        }
        if ((errno != EAGAIN && errno != EINTR) || !waitFor(socket.value, POLLOUT, deadline))
            return false;
    }
    return true;
}

} // namespace

SingleInstance::Environment SingleInstance::Environment::current()
{
    return { qEnvironmentVariable("XDG_RUNTIME_DIR"), qEnvironmentVariable("WAYLAND_DISPLAY"),
        qEnvironmentVariable("DISPLAY"), QDir::tempPath(), uint(::getuid()) };
}

SingleInstance::SingleInstance(std::optional<QString> socketPath, QObject *parent)
    : QObject(parent)
    , m_path(std::move(socketPath))
{ }

QString SingleInstance::displayKey(const Environment &environment)
{
    QString key = environment.waylandDisplay;
    if (key.isEmpty()) {
        // ":0" and ":0.0" are the same display.
        static const QRegularExpression screenNumber(QStringLiteral("(:\\d+)\\.\\d+$"));
        key = QString(environment.x11Display).replace(screenNumber, QStringLiteral("\\1"));
    }
    if (key.isEmpty())
        return QStringLiteral("nodisplay");
    // WAYLAND_DISPLAY may be a path.
    return key.replace(u'/', u'_');
}

std::optional<QString> SingleInstance::defaultSocketPath(const Environment &environment)
{
    const QString name = QStringLiteral("lectorin-%1.socket").arg(displayKey(environment));
    if (!environment.runtimeDirectory.isEmpty()
        && isPrivateFolder(environment.runtimeDirectory, environment.userID))
        return QDir(environment.runtimeDirectory).filePath(name);
    if (const std::optional<QString> folder = privateFallbackFolder(environment))
        return QDir(*folder).filePath(name);
    return std::nullopt;
}

bool SingleInstance::forwardToRunningInstance(
    const QStringList &references, const QString &activationToken) const
{
    if (!m_path || ownership(*m_path, ::getuid(), isSocket) != Ownership::ours)
        return false;
    QByteArray message = kMessageHeader.toByteArray();
    if (!activationToken.isEmpty() && !activationToken.contains(u'\n'))
        message += kTokenLine.toByteArray() + activationToken.toUtf8() + '\n';
    for (const QString &reference : references)
        message += reference.toUtf8() + '\n';
    return sendMessage(*m_path, message);
}

bool SingleInstance::listen()
{
    if (!m_path)
        return false;
    switch (ownership(*m_path, ::getuid(), isSocket)) {
    case Ownership::foreign:
        return false;
    case Ownership::ours:
        // Left by an instance that crashed: nobody answered the forward, so it can go.
        QLocalServer::removeServer(*m_path);
        break;
    case Ownership::absent:
        break;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(*m_path))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::readConnection);
    return true;
}

void SingleInstance::readConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto deliver = [this, socket] {
            if (socket->property("delivered").toBool())
                return;
            socket->setProperty("delivered", true);
            const QByteArray message = socket->readAll().left(kMaximumMessageBytes);
            if (!message.startsWith(kMessageHeader))
                return;
            QStringList lines
                = QString::fromUtf8(message.mid(kMessageHeader.size())).split(u'\n', Qt::SkipEmptyParts);
            QString token;
            const QString tokenLine = QString::fromUtf8(kTokenLine);
            if (!lines.isEmpty() && lines.first().startsWith(tokenLine))
                token = lines.takeFirst().mid(tokenLine.size());
            emit activationRequested(lines, token);
        };
        connect(socket, &QLocalSocket::readChannelFinished, this, deliver);
        connect(socket, &QLocalSocket::disconnected, this, deliver);
    }
}

} // namespace Lectorin
