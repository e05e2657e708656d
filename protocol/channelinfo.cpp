// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/channelinfo.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
constexpr int kInfoPosition = 12;
constexpr int kInfoLength = 48;
} // namespace

ChannelInfo::Table ChannelInfo::m_channels;

ChannelInfo::ChannelInfo() : Packet(Descriptors::kChannelInfo) {}

ChannelInfo::ChannelInfo(const Packet& received) : Packet(received) {}

void ChannelInfo::setRange(double lower, double upper)
{
    m_lower = lower;
    m_upper = upper;
}

QString ChannelInfo::info() const
{
    return QString::fromUtf8(reinterpret_cast<const char*>(m_data + kInfoPosition), kInfoLength);
}

QString ChannelInfo::unit() const
{
    return infoField(0);
}

QString ChannelInfo::name() const
{
    return infoField(1);
}

QString ChannelInfo::infoField(int index) const
{
    QString text = info();
    const int end = text.indexOf(QChar(0));
    if (end >= 0)
        text.truncate(end);
    return text.section(QLatin1Char(','), index, index);
}

ChannelInfo ChannelInfo::fromJsonChannel(const QJsonObject& description)
{
    ChannelInfo info;
    info.clear(); // built descriptions carry descriptor 0, unlike received ones
    info.set(4, static_cast<unsigned char>(description.value(QLatin1String("channel")).toInt()));
    info.set(5, static_cast<unsigned char>(description.value(QLatin1String("dataType")).toInt()));
    info.set(6, static_cast<unsigned char>(description.value(QLatin1String("baseNumber")).toInt()));
    info.set(7, static_cast<unsigned char>(description.value(QLatin1String("minExponent")).toInt()));
    info.set(kInfoPosition, description.value(QLatin1String("info")).toString().toLatin1().left(kInfoLength));
    info.setRange(description.value(QLatin1String("lower")).toDouble(kDefaultLower),
                  description.value(QLatin1String("upper")).toDouble(kDefaultUpper));
    // The key is spelled this way in every description document.
    info.setPrecision(description.value(QLatin1String("pecision")).toInt(kDefaultPrecision));
    return info;
}

void ChannelInfo::fromJson(const QJsonObject& document)
{
    const QJsonArray channels = document.value(QLatin1String("Channels")).toArray();
    for (const QJsonValue& channel : channels)
        addChannelInfo(fromJsonChannel(channel.toObject()));
}

void ChannelInfo::addChannelInfo(const ChannelInfo& info)
{
    m_channels.insert(info.channel(), info);
}

ChannelInfo ChannelInfo::getChannelInfo(unsigned char channel)
{
    return m_channels.value(channel, ChannelInfo());
}

unsigned char ChannelInfo::dataTypeOf(unsigned char channel)
{
    const auto it = m_channels.constFind(channel);
    return it == m_channels.constEnd() ? 0 : it->dataType();
}

void ChannelInfo::removeChannels()
{
    m_channels.clear();
}

int ChannelInfo::channelCount()
{
    return int(m_channels.size());
}
