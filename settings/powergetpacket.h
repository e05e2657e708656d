// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/packet.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

class QDateTime;

// The unit's settings block as read (descriptor 10). Sent all zero, it is the
// request for the block.
class PowerGetPacket : public PowerPacket
{
public:
    // Power-control switches, bitmap1.
    enum PowerBits : unsigned char {
        kLongTouch = 0x01,
        kRestoreOnMains = 0x02,
        kAutoOffLowCurrent = 0x04,
        kAutoOnAtTime = 0x08,
        kAutoOffAtTime = 0x10,
    };
    // Clock and display switches, bitmap2.
    enum ClockBits : unsigned char {
        kClockWhenOff = 0x01,
        kDigitalClock = 0x02,
        kCelsius = 0x04,
        kHours24 = 0x08,
    };
    // Status-screen switches, bitmap3; the screen bits name the screens too.
    enum ScreenBits : unsigned char {
        kSlideShow = 0x01,
        kScreenTotal = 0x02,
        kScreenPower = 0x04,
        kScreenAux = 0x08, // USB1 on a model 600
        kScreenUsb2 = 0x10,
        kScreenUsb3 = 0x20,
        kScreenUsb4 = 0x40,
        kScreenSite600 = 0x80,
        kScreenSite500 = 0x10,
    };
    // The three-code groups of the status screens.
    enum Group { Total, Power, Aux, Site };

    PowerGetPacket();
    explicit PowerGetPacket(const Packet& received);
    void init() override;

    int dataOffset() const { return kDataOffset; }

    unsigned char bitmap1() const { return at(3); }
    unsigned char bitmap2() const { return at(4); }
    unsigned char bitmap3() const { return at(5); }
    bool hasBit(int bitmap, unsigned char mask) const { return at(2 + bitmap) & mask; }
    unsigned char autoOffAmpers() const { return at(6); }
    unsigned char autoOffAfter() const { return at(7); }
    qint8 utcOffsetHours() const { return qint8(at(8)); }
    unsigned char autoOnHours() const { return at(9); }
    unsigned char autoOnMinutes() const { return at(10); }
    unsigned char autoOffHours() const { return at(11); }
    unsigned char autoOffMinutes() const { return at(12); }
    unsigned char dateFormat() const { return at(13); }
    unsigned char slideShowSec() const { return at(22); }
    QList<int> codes(Group group) const;
    unsigned char tune12() const { return at(35); }
    unsigned char commandFlags() const { return at(57); }
    quint32 syncSeconds() const { return uint32At(58); }

    void setBitmap1(unsigned char bits) { set(3, bits); }
    void setBitmap2(unsigned char bits) { set(4, bits); }
    void setBitmap3(unsigned char bits) { set(5, bits); }
    // Sets or clears mask in bitmap 1, 2 or 3.
    void setBit(int bitmap, unsigned char mask, bool on);
    void setAutoOffAmpers(unsigned char tenths) { set(6, tenths); }
    void setAutoOffAfter(unsigned char minutes) { set(7, minutes); }
    void setUtcOffsetHours(qint8 hours) { set(8, static_cast<unsigned char>(hours)); }
    void setAutoOnTime(unsigned char hours, unsigned char minutes);
    void setAutoOffTime(unsigned char hours, unsigned char minutes);
    void setDateFormat(unsigned char index) { set(13, index); }
    void setSlideShowSec(unsigned char seconds) { set(22, seconds); }
    // Writes the codes present, at most three.
    void setCodes(Group group, const QList<int>& codes);
    void setTune12(unsigned char position) { set(35, position); }

    // The SITE screen moves to bit 7 on units other than the model 500.
    static unsigned char siteMask(bool model500) { return model500 ? kScreenSite500 : kScreenSite600; }
    // The unit's date formats, in the order of date_format.
    static QStringList dateFormats();
    // Whole hours east of UTC, truncated toward zero.
    static qint8 utcOffsetHoursOf(const QDateTime& local);

    QJsonObject toJson() const;
    // Never fails: what is missing or unreadable becomes 0 and only the
    // exported bytes change.
    void fromJson(const QJsonObject& object);

protected:
    static constexpr int kDataOffset = 3;
    void initAs(unsigned char descriptor);
};

// The settings block as written back to the unit (descriptor 11).
class PowerSetPacket : public PowerGetPacket
{
public:
    // Commands ORed into the command byte.
    enum Command : unsigned char {
        kApply = 0x01,
        kStore = 0x02,
        kSave = kApply | kStore,
        kRestoreDefaults = 0x04,
        kSyncClock = 0x08,
    };

    PowerSetPacket();
    // A copy of the block, marked as a set packet whatever byte 2 held.
    explicit PowerSetPacket(const Packet& block);
    void init() override;

    void addCommand(Command command) { set(57, static_cast<unsigned char>(commandFlags() | command)); }
    // Adds the set-clock command with now as the unit's new time.
    void syncClock(const QDateTime& now);
};
