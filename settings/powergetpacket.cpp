// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/powergetpacket.h"

#include <QDateTime>
#include <QJsonArray>

#include <algorithm>

namespace {
constexpr int kBitmapDigits = 8;
constexpr int kGroupStart = 23;
constexpr int kGroupSize = 3;
constexpr int kSyncSeconds = 58;

// Single-byte fields carried in the settings file, by key.
struct ByteKey
{
    const char* key;
    int position;
};
constexpr ByteKey kByteKeys[] = {
    {"auto_off_ampers", 6}, {"auto_off_after", 7},    {"auto_on_minutes", 10},
    {"auto_on_hours", 9},   {"auto_off_minutes", 12}, {"auto_off_hours", 11},
    {"date_format", 13},    {"slide_show_sec", 22},
};
constexpr const char* kBitmapKeys[] = {"bitmap1", "bitmap2", "bitmap3"};
constexpr const char* kGroupKeys[] = {"total", "power", "aux", "site"};

int groupPosition(int group)
{
    return kGroupStart + group * kGroupSize;
}

unsigned char lowByte(int value)
{
    return static_cast<unsigned char>(value & 0xFF);
}

// Base-2 text to its low 8 bits; anything but a non-empty run of 0 and 1
// gives 0, so a sign or a stray digit cannot slip through.
unsigned char parseBits(const QString& text)
{
    unsigned char bits = 0;
    for (QChar digit : text) {
        if (digit != QLatin1Char('0') && digit != QLatin1Char('1'))
            return 0;
        bits = static_cast<unsigned char>(bits << 1 | (digit == QLatin1Char('1')));
    }
    return bits;
}
} // namespace

PowerGetPacket::PowerGetPacket()
{
    PowerGetPacket::init();
}

PowerGetPacket::PowerGetPacket(const Packet& received)
    : PowerPacket(received)
{
}

void PowerGetPacket::init()
{
    initAs(Descriptors::kPowerGet);
}

void PowerGetPacket::initAs(unsigned char descriptor)
{
    clear();
    PowerPacket::init();
    set(2, descriptor);
}

QList<int> PowerGetPacket::codes(Group group) const
{
    const int start = groupPosition(group);
    return {at(start), at(start + 1), at(start + 2)};
}

void PowerGetPacket::setBit(int bitmap, unsigned char mask, bool on)
{
    const int position = 2 + bitmap;
    const unsigned char bits = at(position);
    set(position, static_cast<unsigned char>(on ? bits | mask : bits & ~mask));
}

void PowerGetPacket::setAutoOnTime(unsigned char hours, unsigned char minutes)
{
    set(9, hours);
    set(10, minutes);
}

void PowerGetPacket::setAutoOffTime(unsigned char hours, unsigned char minutes)
{
    set(11, hours);
    set(12, minutes);
}

void PowerGetPacket::setCodes(Group group, const QList<int>& codes)
{
    const int start = groupPosition(group);
    for (int i = 0; i < std::min<int>(codes.size(), kGroupSize); ++i)
        set(start + i, lowByte(codes.at(i)));
}

QStringList PowerGetPacket::dateFormats()
{
    return {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd/MM/yyyy"), QStringLiteral("dd.MM.yyyy"),
            QStringLiteral("MM/dd/yyyy")};
}

qint8 PowerGetPacket::utcOffsetHoursOf(const QDateTime& local)
{
    return static_cast<qint8>(local.offsetFromUtc() / 3600);
}

QJsonObject PowerGetPacket::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("command"), int(Descriptors::kPowerGet));
    for (int i = 0; i < 3; ++i)
        object.insert(QLatin1String(kBitmapKeys[i]),
                      QStringLiteral("%1").arg(at(3 + i), kBitmapDigits, 2, QLatin1Char('0')));
    for (const ByteKey& field : kByteKeys)
        object.insert(QLatin1String(field.key), int(at(field.position)));
    for (int group = Total; group <= Site; ++group) {
        QJsonArray codes;
        for (int code : this->codes(Group(group)))
            codes.append(code);
        object.insert(QLatin1String(kGroupKeys[group]), codes);
    }
    return object;
}

void PowerGetPacket::fromJson(const QJsonObject& object)
{
    set(2, lowByte(object.value(QStringLiteral("command")).toInt()));
    for (int i = 0; i < 3; ++i)
        set(3 + i, parseBits(object.value(QLatin1String(kBitmapKeys[i])).toString()));
    for (const ByteKey& field : kByteKeys)
        set(field.position, lowByte(object.value(QLatin1String(field.key)).toInt()));
    for (int group = Total; group <= Site; ++group) {
        QList<int> codes;
        for (const QJsonValue& code : object.value(QLatin1String(kGroupKeys[group])).toArray())
            codes.append(code.toInt());
        setCodes(Group(group), codes);
    }
}

PowerSetPacket::PowerSetPacket()
{
    PowerSetPacket::init();
}

PowerSetPacket::PowerSetPacket(const Packet& block)
    : PowerGetPacket(block)
{
    set(2, Descriptors::kPowerSet);
}

void PowerSetPacket::init()
{
    initAs(Descriptors::kPowerSet);
}

void PowerSetPacket::syncClock(const QDateTime& now)
{
    const quint32 seconds = quint32(now.toSecsSinceEpoch());
    set(kSyncSeconds, static_cast<unsigned short>(seconds >> 16));
    set(kSyncSeconds + 2, static_cast<unsigned short>(seconds));
    setUtcOffsetHours(utcOffsetHoursOf(now));
    addCommand(kSyncClock);
}
