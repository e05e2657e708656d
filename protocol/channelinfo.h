// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/packet.h"

#include <QMap>

class QJsonObject;

// Description of one channel: number, sample encoding, value range and an
// info text of the form "unit,name,". The process-wide table of these is
// shared by the decoders, the panel, the plot and the recording file.
class ChannelInfo : public Packet
{
public:
    using Table = QMap<unsigned char, ChannelInfo>;

    static constexpr double kDefaultLower = 0;
    static constexpr double kDefaultUpper = 10000000;
    static constexpr int kDefaultPrecision = 1;

    ChannelInfo();
    explicit ChannelInfo(const Packet& received);

    unsigned char channel() const { return at(4); }
    unsigned char dataType() const { return at(5); }
    unsigned char baseNumber() const { return at(6); }
    unsigned char minExponent() const { return at(7); }
    double lower() const { return m_lower; }
    double upper() const { return m_upper; }
    int precision() const { return m_precision; }
    void setRange(double lower, double upper);
    void setPrecision(int precision) { m_precision = precision; }

    // All 48 info bytes; trailing zero bytes stay as NUL characters.
    QString info() const;
    QString unit() const;
    QString name() const;

    // Reads the "Channels" array of a description document into the table.
    static void fromJson(const QJsonObject& document);
    static void addChannelInfo(const ChannelInfo& info);
    // A copy of the entry, or an empty received-style description when absent.
    static ChannelInfo getChannelInfo(unsigned char channel);
    // Sample encoding of a channel without copying its description; 0 when absent.
    static unsigned char dataTypeOf(unsigned char channel);
    static void removeChannels();
    static int channelCount();
    static const Table& channels() { return m_channels; }

private:
    static ChannelInfo fromJsonChannel(const QJsonObject& description);
    QString infoField(int index) const;

    double m_lower = kDefaultLower;
    double m_upper = kDefaultUpper;
    int m_precision = kDefaultPrecision;

    // Empty means no table: no unit described, or the unit was removed.
    static Table m_channels;
};
