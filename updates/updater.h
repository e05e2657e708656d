// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class Downloader;

// Asks the update server whether newer application software or newer firmware
// for the attached unit exists, keeps the answers in the settings store and
// tells the main window and the settings dialogs.
class Updater : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kCheckIntervalMs = 86400000; // one check a day
    static constexpr int kFirstCheckDelayMs = 5000;      // let the window come up first

    explicit Updater(QObject* parent = nullptr);

    Downloader* firmwareDownloader() const { return m_firmwareDownloader; }
    Downloader* softwareDownloader() const { return m_softwareDownloader; }

    bool needCheckForUpdate(const QString& serial) const;

    // x.y.z as x * 1000000 + y * 1000 + z; anything without three parts is 0.
    static qint64 versionNumber(const QString& version);
    static QUrl serverUrl();
    static QUrl firmwareQuery(const QString& serial);
    // Only web addresses go to the desktop's browser.
    static bool isWebLink(const QUrl& link);
    static bool openDownloadLink(const QString& link);

public slots:
    void on_checkUpdatesSW();
    void on_checkUpdatesFW(const QString& serial);
    void on_deviceConnected(const QString& serial);
    void on_startDownloadFW();

signals:
    void newSWAvailable(bool available);
    void newFWAvailable(bool available);

private:
    void evaluateSoftware();
    void evaluateFirmware();
    static void storeCheckTime(const QString& key);

    Downloader* m_firmwareDownloader = nullptr;
    Downloader* m_softwareDownloader = nullptr;
    bool m_autoCheckSoftware = true;
    bool m_autoCheckFirmware = true;
    QString m_firmwareSerial; // the unit the running firmware query is about
};
