// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// Fetches update information (a small XML document) and firmware files from
// the update server. One request at a time; results stay until the next one.
class Downloader : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIdle = 2;
    static constexpr int kBusy = 1;
    // A file transfer that reports no progress for this long is given up.
    static constexpr int kStallTimeoutMs = 30000;

    explicit Downloader(QObject* parent = nullptr);

    void startDownloadInfo(const QUrl& url);
    void startDownloadFw();

    int state() const { return m_state; }
    bool hasDownloadLink() const { return !m_link.isEmpty(); }
    QString downloadLink() const { return m_link; }
    QString version() const { return m_version; }
    QString info() const { return m_info; }
    QString error() const { return m_error; }
    QByteArray file() const { return m_file; }
    void reset();

    // Trusted in addition to the system's authorities; verification stays on.
    void addCaCertificates(const QList<QSslCertificate>& certificates);
    void setStallTimeoutMs(int milliseconds);

    static bool isHTML(const QByteArray& body);
    void parse(const QByteArray& body);

signals:
    void downloadFileComplete();
    void downloadInfoComplete();
    void progress(qint64 received, qint64 total);

public slots:
    void fileDownloaded(QNetworkReply* reply);
    void timeout();
    void progressTmr(qint64 received, qint64 total);

private:
    QNetworkReply* get(const QUrl& url);

    int m_state = kIdle;
    QNetworkAccessManager* m_network = nullptr;
    QByteArray m_file;
    QNetworkReply* m_reply = nullptr;
    QString m_link;
    QString m_info;
    QString m_version;
    QString m_error;
    QTimer* m_watchdog = nullptr;
    bool m_infoMode = false;
    int m_stallTimeoutMs = kStallTimeoutMs;
    QList<QSslCertificate> m_extraCa;
};
