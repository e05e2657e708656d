// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/packet.h"

#include <QCoreApplication>
#include <QDateTime>

// The power unit's status packet: live values, limits, clock and firmware
// version, with the display texts of the status screen.
class PowerDataPacket : public PowerPacket
{
    Q_DECLARE_TR_FUNCTIONS(PowerDataPacket)

public:
    // A status request.
    PowerDataPacket();
    // A received status report, whatever its descriptor byte says.
    explicit PowerDataPacket(const Packet& received);
    PowerDataPacket(const unsigned char* data, int length);

    void init() override;

    quint8 outputVoltage() const { return at(field(3)); }
    quint16 outputCurrent() const { return uint16At(field(4)); }
    quint8 usb1Voltage() const { return at(field(6)); }
    quint16 usb1Current() const { return uint16At(field(7)); }
    qint8 tempOutside() const { return qint8(at(field(9))); }
    qint8 tempInside() const { return qint8(at(field(10))); }
    quint16 mainsVoltage() const { return uint16At(field(11)); }
    quint16 mainsFrequency() const { return uint16At(field(13)); }
    quint8 fanSpeed() const { return at(field(15)); }
    quint16 totalPower() const { return uint16At(field(16)); }
    quint16 totalCurrent() const { return uint16At(field(18)); }
    quint16 maxPower() const { return uint16At(field(20)); }
    quint16 maxCurrent() const { return uint16At(field(22)); }
    qint32 deviceTime() const { return qint32(uint32At(field(24))); }
    quint8 firmwareMajor() const { return at(field(37)); }
    quint8 firmwareMinor() const { return at(field(38)); }
    quint8 firmwarePatch() const { return at(field(39)); }
    quint8 usb2Voltage() const { return at(field(40)); }
    quint16 usb2Current() const { return uint16At(field(41)); }
    quint8 usb3Voltage() const { return at(field(43)); }
    quint16 usb3Current() const { return uint16At(field(44)); }
    quint8 usb4Voltage() const { return at(field(46)); }
    quint16 usb4Current() const { return uint16At(field(47)); }

    int dataOffset() const { return m_dataOffset; }
    bool celsius() const { return m_celsius; }
    void setCelsius(bool celsius) { m_celsius = celsius; }
    bool hours24() const { return m_hours24; }
    void setHours24(bool hours24) { m_hours24 = hours24; }
    QString dateFormat() const { return m_dateFormat; }
    void setDateFormat(const QString& format) { m_dateFormat = format; }

    // Display text of status-screen field index; empty for unknown indexes.
    QString getData(int index) const;
    QString tin() const;
    QString tout() const;
    QString version() const;

private:
    // Field positions are written for an offset of 2 and follow the offset.
    int field(int position) const { return position - 2 + m_dataOffset; }
    QString temperature(qint8 celsius) const;
    QDateTime localDeviceTime() const;

    int m_dataOffset = 2;
    bool m_celsius = true;
    bool m_hours24 = true;
    QString m_dateFormat;
};
