// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/deviceinfo.h"

#include <QJsonObject>

namespace {
constexpr int kInfoPosition = 8;
constexpr int kInfoLength = Packet::kSize - kInfoPosition;

// "2.05" is stored as 105: one major digit counted from 1, two minor digits.
unsigned char versionCodeFromText(const QString& text)
{
    bool majorOk = false;
    bool minorOk = false;
    const int major = text.left(1).toInt(&majorOk);
    const int minor = text.mid(2, 2).toInt(&minorOk);
    if (!majorOk || !minorOk)
        return 0;
    return static_cast<unsigned char>(qBound(0, (major - 1) * 100 + minor, 255));
}
} // namespace

std::unique_ptr<DeviceInfo> DeviceInfo::m_deviceInfo;

DeviceInfo::DeviceInfo() : Packet(Descriptors::kDeviceInfo) {}

DeviceInfo::DeviceInfo(const Packet& other) : Packet(other) {}

QString DeviceInfo::info() const
{
    const char* text = reinterpret_cast<const char*>(m_data + kInfoPosition);
    return QString::fromLatin1(text, qstrnlen(text, kInfoLength));
}

QString DeviceInfo::version() const
{
    return QStringLiteral("%1.%2").arg(versionCode() / 100 + 1).arg(versionCode() % 100, 2, 10, QLatin1Char('0'));
}

QString DeviceInfo::toString() const
{
    return QStringLiteral("Descriptor:0x%1\nID: %2\nVersion: %3\nChannels: %4\nS/N: %5\nInfo: %6\nPacket: %7\n")
        .arg(uint(descriptor()), 2, 16, QLatin1Char('0'))
        .arg(uint(deviceId()), 0, 16)
        .arg(version())
        .arg(uint(channelCount()))
        .arg(serialNumber(), 9, 10, QLatin1Char('0'))
        .arg(info(), trace());
}

void DeviceInfo::fromJson(const QJsonObject& description)
{
    set(1, static_cast<unsigned char>(description.value(QLatin1String("upid")).toInt()));
    set(2, versionCodeFromText(description.value(QLatin1String("version")).toString()));
    set(3, static_cast<unsigned char>(description.value(QLatin1String("channel-count")).toInt()));
    QByteArray text(kInfoLength, '\0');
    const QByteArray info = description.value(QLatin1String("info")).toString().toLatin1().left(kInfoLength);
    text.replace(0, info.size(), info);
    set(kInfoPosition, text);
}

DeviceInfo& DeviceInfo::stored()
{
    if (!m_deviceInfo)
        m_deviceInfo = std::make_unique<DeviceInfo>();
    return *m_deviceInfo;
}

void DeviceInfo::resetStored()
{
    m_deviceInfo.reset();
}
