// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/downloader.h"

#include <QDomDocument>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>

Q_LOGGING_CATEGORY(lcDownloader, "downloader")

Downloader::Downloader(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_watchdog(new QTimer(this))
{
    m_watchdog->setSingleShot(true);
    connect(m_network, &QNetworkAccessManager::finished, this, &Downloader::fileDownloaded);
    connect(m_watchdog, &QTimer::timeout, this, &Downloader::timeout);
}

void Downloader::addCaCertificates(const QList<QSslCertificate>& certificates)
{
    m_extraCa += certificates;
}

void Downloader::setStallTimeoutMs(int milliseconds)
{
    m_stallTimeoutMs = milliseconds;
}

QNetworkReply* Downloader::get(const QUrl& url)
{
    QNetworkRequest request(url);
    if (!m_extraCa.isEmpty()) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(m_extraCa);
        request.setSslConfiguration(ssl);
    }
    m_state = kBusy;
    return m_network->get(request);
}

void Downloader::startDownloadInfo(const QUrl& url)
{
    if (m_state == kBusy)
        return;
    qCDebug(lcDownloader) << "start download " << url.toString();
    m_infoMode = true;
    get(url);
}

void Downloader::startDownloadFw()
{
    if (m_state == kBusy)
        return;
    m_infoMode = false;
    m_reply = get(QUrl(m_link));
    connect(m_reply, &QNetworkReply::downloadProgress, this, &Downloader::progress);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &Downloader::progressTmr);
    // A server that never sends a byte must not hang the transfer either.
    m_watchdog->start(m_stallTimeoutMs);
}

void Downloader::reset()
{
    m_error.clear();
    m_info.clear();
    m_link.clear();
    m_file.clear();
}

void Downloader::fileDownloaded(QNetworkReply* reply)
{
    m_state = kIdle;
    m_watchdog->stop();
    if (reply == m_reply)
        m_reply = nullptr;
    m_file = reply->isOpen() ? reply->readAll() : QByteArray(); // an aborted reply is closed
    if (reply->error() != QNetworkReply::NoError) {
        m_error = reply->errorString();
        m_link.clear();
        m_info = m_error;
    } else if (m_infoMode) {
        m_error.clear();
        parse(m_file);
    } else if (isHTML(m_file)) {
        m_error = tr("Server does not have firmware file.");
        m_info = m_error;
    } else {
        m_error.clear();
    }
    reply->deleteLater();
    if (m_infoMode)
        emit downloadInfoComplete();
    else
        emit downloadFileComplete();
}

void Downloader::timeout()
{
    if (!m_reply)
        return;
    qCWarning(lcDownloader) << "transfer stalled, aborting" << m_reply->url().toString();
    // abort() finishes the reply as an error, which reports the completion.
    // The partial file is dropped; the reason stays for whoever looks later.
    m_reply->abort();
    reset();
    m_error = tr("The download stalled and was stopped.");
    m_info = m_error;
}

void Downloader::progressTmr(qint64, qint64)
{
    m_watchdog->start(m_stallTimeoutMs);
}

bool Downloader::isHTML(const QByteArray& body)
{
    return QString::fromUtf8(body).contains(QStringLiteral("<html>"));
}

void Downloader::parse(const QByteArray& body)
{
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(body, &message, &line, &column)) {
        qCWarning(lcDownloader).noquote() << "Wrong XML content: " + message + "[line "
                                                 + QString::number(line) + " column "
                                                 + QString::number(column) + "]";
        return;
    }
    m_link.clear();
    m_info.clear();
    for (QDomElement child = document.documentElement().firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("INFO"))
            m_info = child.text();
        else if (child.tagName() == QLatin1String("VERSION"))
            m_version = child.text();
        else if (child.tagName() == QLatin1String("LINK"))
            m_link = child.text();
    }
    if (m_info.isEmpty())
        m_info = QStringLiteral("Version info:");
}
