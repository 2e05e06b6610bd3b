// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

class QSslSocket;

// A local HTTPS server for transport tests: a self-signed certificate for "localhost" made with openssl at
// start, one canned answer per request from a handler, every request recorded.
class HttpsTestServer : public QTcpServer
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray target;
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray header(QByteArrayView name) const;
        bool hasHeader(QByteArrayView name) const;
    };

    struct Answer
    {
        int status = 200;
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;
        bool neverAnswer = false; // keep the connection open and silent
        std::function<void(QSslSocket *)> misbehave; // writes its own answer, however badly

        static Answer redirect(int status, const QByteArray &location)
        {
            return { status, { { "Location", location } }, {} };
        }
    };

    using Handler = std::function<Answer(const Request &)>;

    explicit HttpsTestServer(QObject *parent = nullptr);

    // Makes the certificate and listens on 127.0.0.1; false with a reason when either fails.
    bool start(QString *error);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    QSslCertificate certificate() const { return m_certificate; }
    QUrl url(const QString &path, const QString &host = QStringLiteral("localhost")) const;
    const QList<Request> &requests() const { return m_requests; }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void serve(QSslSocket *socket, QByteArray *buffer);

    QTemporaryDir m_directory;
    QSslCertificate m_certificate;
    QSslKey m_key;
    Handler m_handler;
    QList<Request> m_requests;
};
