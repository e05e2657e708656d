// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/updater.h"

#include "app/settings.h"
#include "device/hiddevice.h"
#include "updates/downloader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QLoggingCategory>
#include <QTimer>
#include <QUrlQuery>

Q_LOGGING_CATEGORY(lcUpdater, "ampora.updater")

namespace {
const QString kGroup = QStringLiteral("Update");
const QString kServerKey = QStringLiteral("server");
const QString kDefaultServer = QStringLiteral("https://updates.quenlor.example");
const QString kSoftwareCheckKey = QStringLiteral("software");
const QString kFirmwareCheckPrefix = QStringLiteral("firmware_");

QString checkKey(const QString& serial)
{
    return serial.isEmpty() ? kSoftwareCheckKey : kFirmwareCheckPrefix + serial;
}

QVariant readSetting(const QString& key, const QVariant& fallback)
{
    Settings settings;
    settings.beginGroup(kGroup);
    return settings.value(key, fallback);
}

void writeSetting(const QString& key, const QVariant& value)
{
    Settings settings;
    settings.beginGroup(kGroup);
    settings.setValue(key, value);
}
} // namespace

Updater::Updater(QObject* parent)
    : QObject(parent)
    , m_firmwareDownloader(new Downloader(this))
    , m_softwareDownloader(new Downloader(this))
{
    m_autoCheckSoftware = readSetting(QStringLiteral("auto-check-soft"), true).toBool();
    m_autoCheckFirmware = readSetting(QStringLiteral("auto-check-firm"), true).toBool();
    // Each downloader answers one kind of question, so its completion says
    // which answer arrived even when both checks overlap.
    connect(m_softwareDownloader, &Downloader::downloadInfoComplete, this, &Updater::evaluateSoftware);
    connect(m_firmwareDownloader, &Downloader::downloadInfoComplete, this, &Updater::evaluateFirmware);
    if (m_autoCheckSoftware && needCheckForUpdate(QString()))
        QTimer::singleShot(kFirstCheckDelayMs, this, &Updater::on_checkUpdatesSW);
}

QUrl Updater::serverUrl()
{
    return QUrl(readSetting(kServerKey, kDefaultServer).toString());
}

qint64 Updater::versionNumber(const QString& version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() < 3)
        return 0;
    return parts[0].toLongLong() * 1000000 + parts[1].toLongLong() * 1000 + parts[2].toLongLong();
}

QUrl Updater::firmwareQuery(const QString& serial)
{
    QString model = QStringLiteral("other");
    QString revision = QStringLiteral("0");
    if (serial.startsWith(QLatin1String("5002"))) {
        model = QStringLiteral("kelvanepower");
        revision = QStringLiteral("1");
    } else if (serial.startsWith(QLatin1String("5003"))) {
        model = QStringLiteral("kelvanepower600");
        revision = QStringLiteral("1");
    }
    QUrl url = serverUrl();
    url.setPath(QStringLiteral("/getfirmware"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("app"), QStringLiteral("ampora"));
    query.addQueryItem(QStringLiteral("model"), model);
    query.addQueryItem(QStringLiteral("revision"), revision);
    query.addQueryItem(QStringLiteral("sn"), serial);
    query.addQueryItem(QStringLiteral("os"), QStringLiteral("win"));
    url.setQuery(query);
    return url;
}

bool Updater::isWebLink(const QUrl& link)
{
    const QString scheme = link.scheme().toLower();
    return link.isValid() && !link.host().isEmpty()
           && (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
}

bool Updater::openDownloadLink(const QString& link)
{
    const QUrl url(link, QUrl::StrictMode);
    if (!isWebLink(url)) {
        qCWarning(lcUpdater) << "refused download link" << link;
        return false;
    }
    return QDesktopServices::openUrl(url);
}

bool Updater::needCheckForUpdate(const QString& serial) const
{
    const qint64 last = readSetting(checkKey(serial), 0).toLongLong();
    return QDateTime::currentMSecsSinceEpoch() - last > kCheckIntervalMs;
}

void Updater::storeCheckTime(const QString& key)
{
    writeSetting(key, QDateTime::currentMSecsSinceEpoch());
}

void Updater::on_checkUpdatesSW()
{
    QUrl url = serverUrl();
    url.setPath(QStringLiteral("/getsoftware"));
    url.setQuery(QStringLiteral("model=ampora&os=linux"));
    m_softwareDownloader->startDownloadInfo(url);
}

void Updater::on_checkUpdatesFW(const QString& serial)
{
    if (m_firmwareDownloader->state() == Downloader::kBusy)
        return;
    // The attached unit decides what is asked; the check time is kept under
    // the serial the caller's once-a-day test reads.
    const QString attached = HidDevice::device()->serialNumber();
    m_firmwareSerial = serial.isEmpty() ? attached : serial;
    qCDebug(lcUpdater) << "Updater::on_checkUpdatesFW() unit" << attached;
    m_firmwareDownloader->startDownloadInfo(firmwareQuery(attached));
}

void Updater::on_deviceConnected(const QString& serial)
{
    if (m_autoCheckFirmware && needCheckForUpdate(serial))
        on_checkUpdatesFW(serial);
}

void Updater::on_startDownloadFW()
{
    m_firmwareDownloader->startDownloadFw();
}

void Updater::evaluateSoftware()
{
    const QString reported = m_softwareDownloader->version();
    qCDebug(lcUpdater) << "Updater::on_downloadInfoComplete()" << "SW" << reported;
    const bool newer = versionNumber(QCoreApplication::applicationVersion()) < versionNumber(reported);
    writeSetting(QStringLiteral("sw-version"), reported);
    writeSetting(QStringLiteral("has-new-sw"), newer);
    if (m_softwareDownloader->error().isEmpty())
        storeCheckTime(checkKey(QString()));
    emit newSWAvailable(newer);
}

void Updater::evaluateFirmware()
{
    const QString reported = m_firmwareDownloader->version();
    qCDebug(lcUpdater) << "Updater::on_downloadInfoComplete()" << "FW" << reported;
    const QString previous = readSetting(QStringLiteral("fw-version"), QStringLiteral("0.0.0")).toString();
    const bool newer = versionNumber(previous) < versionNumber(reported);
    writeSetting(QStringLiteral("fw-version"), reported);
    writeSetting(QStringLiteral("has-new-fw"), newer);
    if (m_firmwareDownloader->error().isEmpty())
        storeCheckTime(checkKey(m_firmwareSerial));
    emit newFWAvailable(newer);
}
