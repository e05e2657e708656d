// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstring>

// The first 76 bytes of a recording file, copied as they are between memory
// and file. Every field sits on its natural alignment, so the plain struct
// already has the file's layout; the asserts below keep it that way.
struct SwapFileHeader
{
    static constexpr int kVersion = 4;
    static constexpr int kSize = 76;

    // deviceKind values.
    static constexpr quint8 kLogger = 0;
    static constexpr quint8 kPower500 = 1;
    static constexpr quint8 kPower600 = 2;
    static constexpr quint8 kUnreadable = 255; // never written; marks a header that could not be read

    qint32 version = kVersion;       // files above kVersion are refused
    qint32 headerSize = kSize;
    qint8 channelCount = 3;
    quint8 channelMask = 1;          // model 500 and logger: bit i = channel i
    qint16 period = 1;               // 100 us units: 10000 / rate in Hz
    quint8 deviceKind = kLogger;
    quint8 channelList[8] = {};      // model 500 and logger, ascending
    quint8 reserved1 = 0;
    qint16 temperatureScale = 0;     // 1: Fahrenheit
    qint16 customRate = 0;           // 1: typed rather than picked from the list
    quint8 reserved2[14] = {};
    quint32 channelMask32 = 1;       // model 600: bit i = channel i
    quint8 channelList32[32] = {};   // model 600, ascending

    // Bytes shorter than the header give the defaults marked unreadable.
    static SwapFileHeader fromBytes(const QByteArray& bytes)
    {
        SwapFileHeader header;
        if (bytes.size() < kSize) {
            header.deviceKind = kUnreadable;
            return header;
        }
        std::memcpy(&header, bytes.constData(), kSize);
        return header;
    }

    QByteArray toBytes() const
    {
        return QByteArray(reinterpret_cast<const char*>(this), kSize);
    }
};

// The file is little-endian and the header is copied without conversion.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the recording header is copied as little-endian memory");
static_assert(sizeof(SwapFileHeader) == SwapFileHeader::kSize, "header size");
static_assert(offsetof(SwapFileHeader, headerSize) == 4, "headerSize offset");
static_assert(offsetof(SwapFileHeader, channelCount) == 8, "channelCount offset");
static_assert(offsetof(SwapFileHeader, channelMask) == 9, "channelMask offset");
static_assert(offsetof(SwapFileHeader, period) == 10, "period offset");
static_assert(offsetof(SwapFileHeader, deviceKind) == 12, "deviceKind offset");
static_assert(offsetof(SwapFileHeader, channelList) == 13, "channelList offset");
static_assert(offsetof(SwapFileHeader, temperatureScale) == 22, "temperatureScale offset");
static_assert(offsetof(SwapFileHeader, customRate) == 24, "customRate offset");
static_assert(offsetof(SwapFileHeader, channelMask32) == 40, "channelMask32 offset");
static_assert(offsetof(SwapFileHeader, channelList32) == 44, "channelList32 offset");
