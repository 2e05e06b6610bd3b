// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpstestserver.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>

#include <memory>

namespace {

std::optional<HttpsTestServer::Request> parseRequestHead(const QByteArray &head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    if (requestLine.size() != 3)
        return std::nullopt;
    HttpsTestServer::Request request { requestLine.at(0), requestLine.at(1), {} };
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({ line.left(colon).trimmed(), line.mid(colon + 1).trimmed() });
    }
    return request;
}

} // namespace

QByteArray HttpsTestServer::Request::header(QByteArrayView name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool HttpsTestServer::Request::hasHeader(QByteArrayView name) const
{
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

HttpsTestServer::HttpsTestServer(QObject *parent)
    : QTcpServer(parent)
    , m_handler([](const Request &) { return Answer {}; })
{ }

bool HttpsTestServer::start(QString *error)
{
    const QString keyPath = m_directory.filePath(QStringLiteral("key.pem"));
    const QString certificatePath = m_directory.filePath(QStringLiteral("certificate.pem"));
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
        { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
            QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
            QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
            QStringLiteral("subjectAltName=DNS:localhost"), QStringLiteral("-days"), QStringLiteral("2"),
            QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certificatePath });
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        *error = QStringLiteral("openssl could not make a certificate: %1 %2")
                     .arg(openssl.errorString(), QString::fromLocal8Bit(openssl.readAll()));
        return false;
    }
    QFile keyFile(keyPath);
    QFile certificateFile(certificatePath);
    if (!keyFile.open(QIODevice::ReadOnly) || !certificateFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("the certificate files are unreadable");
        return false;
    }
    m_key = QSslKey(keyFile.readAll(), QSsl::Rsa, QSsl::Pem);
    m_certificate = QSslCertificate(certificateFile.readAll(), QSsl::Pem);
    if (m_key.isNull() || m_certificate.isNull()) {
        *error = QStringLiteral("the certificate or key does not load");
        return false;
    }
    if (!listen(QHostAddress::LocalHost)) {
        *error = errorString();
        return false;
    }
    return true;
}

QUrl HttpsTestServer::url(const QString &path, const QString &host) const
{
    return QUrl(QStringLiteral("https://%1:%2%3").arg(host).arg(serverPort()).arg(path));
}

void HttpsTestServer::incomingConnection(qintptr socketDescriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(m_certificate);
    socket->setPrivateKey(m_key);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QSslSocket::readyRead, this, [this, socket, buffer] { serve(socket, buffer.get()); });
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    // A client that refuses the certificate just goes away.
    connect(socket, &QSslSocket::sslErrors, socket, [socket] { socket->disconnectFromHost(); });
    socket->startServerEncryption();
}

void HttpsTestServer::serve(QSslSocket *socket, QByteArray *buffer)
{
    buffer->append(socket->readAll());
    const qsizetype end = buffer->indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const std::optional<Request> request = parseRequestHead(buffer->left(end));
    buffer->remove(0, end + 4);
    if (!request) {
        socket->disconnectFromHost();
        return;
    }
    m_requests.append(*request);
    const Answer answer = m_handler(*request);
    if (answer.neverAnswer)
        return;
    if (answer.misbehave) {
        answer.misbehave(socket);
        return;
    }

    // Clients go by the code; the reason phrase is free text.
    QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) + " Status\r\n";
    for (const auto &[name, value] : answer.headers)
        response += name + ": " + value + "\r\n";
    if (answer.status != 304)
        response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n" + answer.body;
    socket->write(response);
    socket->disconnectFromHost();
}
