// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/powerdatapacket.h"

#include <QDateTime>

namespace {
constexpr QChar kDegree = u'\u00B0';
constexpr QChar kMaximum = u'\u2305'; // marks a permitted maximum

QString tenths(int value, const char* unit)
{
    return QString::number(value / 10.0, 'f', 1) + QLatin1String(unit);
}

QString hundredths(int value, const char* unit)
{
    return QString::number(value / 100.0, 'f', 2) + QLatin1String(unit);
}

QString whole(int value, const char* unit)
{
    return QString::number(value) + QLatin1String(unit);
}
} // namespace

PowerDataPacket::PowerDataPacket()
{
    init();
}

PowerDataPacket::PowerDataPacket(const Packet& received) : PowerPacket(received)
{
    m_data[2] = Descriptors::kPowerData;
}

PowerDataPacket::PowerDataPacket(const unsigned char* data, int length) : PowerPacket(data, length)
{
    m_data[2] = Descriptors::kPowerData;
}

void PowerDataPacket::init()
{
    clear();
    PowerPacket::init();
    m_data[2] = Descriptors::kPowerData;
}

QString PowerDataPacket::getData(int index) const
{
    switch (index) {
    case 0: return tr("NONE");
    case 1: return localDeviceTime().toString(m_dateFormat);
    case 2: return whole(fanSpeed(), "%");
    case 3: return tenths(outputVoltage(), "V");
    case 4: return tenths(outputCurrent(), "A");
    case 5: return whole(mainsVoltage(), "V");
    case 6: return tenths(mainsFrequency(), "Hz");
    case 7: return kMaximum + whole(maxPower(), "W");
    case 8: return kMaximum + tenths(maxCurrent(), "A");
    case 9: return tenths(totalCurrent(), "A");
    case 10: return whole(totalPower(), "W");
    case 11: return tin();
    case 12: return tout();
    case 13: return localDeviceTime().toString(m_hours24 ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm ap"));
    case 14: return tenths(usb1Voltage(), "V");
    case 15: return hundredths(usb1Current(), "A");
    case 16: return tenths(usb2Voltage(), "V");
    case 17: return hundredths(usb2Current(), "A");
    case 18: return tenths(usb3Voltage(), "V");
    case 19: return hundredths(usb3Current(), "A");
    case 20: return tenths(usb4Voltage(), "V");
    case 21: return hundredths(usb4Current(), "A");
    default: return QString();
    }
}

QDateTime PowerDataPacket::localDeviceTime() const
{
    return QDateTime::fromSecsSinceEpoch(deviceTime(), Qt::LocalTime);
}

QString PowerDataPacket::tin() const
{
    return temperature(tempInside());
}

QString PowerDataPacket::tout() const
{
    return temperature(tempOutside());
}

QString PowerDataPacket::temperature(qint8 celsius) const
{
    if (m_celsius)
        return QString::number(celsius) + kDegree + QLatin1Char('C');
    const int fahrenheit = int(celsius * 1.8 + 32); // truncated towards zero
    return QString::number(fahrenheit) + kDegree + QLatin1Char('F');
}

QString PowerDataPacket::version() const
{
    return QStringLiteral("%1.%2.%3").arg(uint(firmwareMajor())).arg(uint(firmwareMinor())).arg(uint(firmwarePatch()));
}
