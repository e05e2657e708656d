// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTPS server on loopback for the update tests. Its certificate is
// made at test time and trusted only by the downloaders a test hands it to.
#pragma once

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class HttpsServer : public QTcpServer
{
    Q_OBJECT
public:
    struct Route
    {
        QByteArray body;
        QByteArray contentType = "application/xml";
        int status = 200;
        bool stall = false; // send part of the body, then nothing
    };

    // Makes a self-signed certificate for 127.0.0.1 in dir with openssl.
    bool makeCertificate(const QString& dir)
    {
        const QString key = dir + QStringLiteral("/server.key");
        const QString cert = dir + QStringLiteral("/server.crt");
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"), key,
                       QStringLiteral("-out"), cert, QStringLiteral("-days"), QStringLiteral("1"),
                       QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                       QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost")});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return false;
        QFile keyFile(key);
        QFile certFile(cert);
        if (!keyFile.open(QIODevice::ReadOnly) || !certFile.open(QIODevice::ReadOnly))
            return false;
        m_key = QSslKey(keyFile.readAll(), QSsl::Rsa);
        m_certificate = QSslCertificate(certFile.readAll());
        return !m_key.isNull() && !m_certificate.isNull();
    }

    QSslCertificate certificate() const { return m_certificate; }
    QUrl url(const QString& path = QString()) const
    {
        return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(serverPort()).arg(path));
    }
    void setRoute(const QString& path, const Route& route) { m_routes[path] = route; }
    // Request targets (path and query) in arrival order.
    QStringList requests() const { return m_requests; }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(m_certificate);
        socket->setPrivateKey(m_key);
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { serve(socket); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        // A client that refuses the certificate ends the handshake; nothing to do.
        connect(socket, &QSslSocket::sslErrors, socket, [socket] { socket->abort(); });
        socket->startServerEncryption();
    }

private:
    void serve(QSslSocket* socket)
    {
        QByteArray& request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        m_pending.remove(socket);
        const QString target = line.size() > 1 ? QString::fromLatin1(line[1]) : QString();
        m_requests << target;
        const Route route = m_routes.value(QUrl(target).path(), Route{"<html>not found</html>", "text/html", 404});
        const qint64 announced = route.body.size() + (route.stall ? 100000 : 0);
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(route.status) + " X\r\nContent-Type: "
                            + route.contentType + "\r\nContent-Length: " + QByteArray::number(announced)
                            + "\r\nConnection: close\r\n\r\n" + route.body;
        socket->write(answer);
        if (!route.stall)
            socket->disconnectFromHost();
    }

    QSslKey m_key;
    QSslCertificate m_certificate;
    QHash<QString, Route> m_routes;
    QHash<QSslSocket*, QByteArray> m_pending;
    QStringList m_requests;
};
