// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/packet.h"

#include <QList>
#include <QMap>

class ChannelInfo;

// A logger's multi-channel sample record: per present channel, 16-bit
// samples interleaved from byte 7.
class MeasureAll : public Packet
{
public:
    MeasureAll() : Packet(Descriptors::kMeasureAll) {}
    explicit MeasureAll(const Packet& received) : Packet(received) {}

    quint32 recordIndex() const { return uint24At(1); }
    unsigned char statusBits() const { return at(4); }
    unsigned char pinState() const { return at(5) >> 3; }
    unsigned char channelMask() const { return at(5) & 0x07; }
    int sampleCount() const { return at(6); }

    // Channel number -> values, for every channel in the mask.
    QMap<int, QList<double>> decode() const;
    // Values of the present channel at position, with step present channels in all.
    QList<double> decode(int position, int step, const ChannelInfo& info) const;
};

// A power unit's sample record: sets of packed samples, one per recorded
// channel in the order the run asked for them.
class MeasurePower : public PowerPacket
{
public:
    MeasurePower() = default;
    explicit MeasurePower(const Packet& received) : PowerPacket(received) {}

    quint32 recordIndex() const { return uint24At(3); }
    int setCount() const { return at(6); }

    // Position in channels -> values in physical units.
    QMap<int, QList<double>> decode(const QList<int>& channels, bool fahrenheit) const;

    // One raw sample of the given data type, as a 16-bit pattern.
    static quint16 decode(const unsigned char* data, int type);
    // Bytes one raw sample of the given data type occupies.
    static int sampleWidth(int type) { return type == 0 || type == 1 ? 2 : 1; }
};
