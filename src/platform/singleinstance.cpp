// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

#include <unistd.h>

namespace Lectorin {
namespace {

constexpr int kConnectMilliseconds = 1000;
constexpr qint64 kMaximumMessageBytes = 1 << 20;

} // namespace

SingleInstance::SingleInstance(QString name, QObject *parent)
    : QObject(parent)
    , m_name(std::move(name))
{ }

QString SingleInstance::defaultName()
{
    return QStringLiteral("lectorin-%1").arg(getuid());
}

bool SingleInstance::forwardToRunningInstance(const QStringList &references) const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectMilliseconds))
        return false;
    socket.write(references.join(u'\n').toUtf8());
    socket.write("\n");
    socket.flush();
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(kConnectMilliseconds)) { }
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A socket left by an instance that crashed: nobody answered it, so it can go.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
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
            QStringList references = QString::fromUtf8(message).split(u'\n', Qt::SkipEmptyParts);
            if (!references.isEmpty())
                Q_EMIT referencesReceived(references);
        };
        connect(socket, &QLocalSocket::readChannelFinished, this, deliver);
        connect(socket, &QLocalSocket::disconnected, this, deliver);
    }
}

} // namespace Lectorin
