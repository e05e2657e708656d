// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/powerchannels.h"

#include "protocol/channelinfo.h"
#include "protocol/deviceinfo.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
struct PowerChannel
{
    int channel;
    const char* info500; // nullptr: only the model 600 has it
    const char* info600;
    int dataType;
    double lower;
    double upper500;
    double upper600;
    int precision;
};

// Data types follow the raw widths the unit packs into its sample records.
constexpr PowerChannel kPowerChannels[] = {
    {0, "V,13.8V Voltage,", "V,13.8V Voltage,", 3, 0, 15, 15, 1},
    {1, "A,13.8V Current,", "A,13.8V Current,", 0, 0, 40, 50, 1},
    {2, "V,USB Voltage,", "V,USB1 Voltage,", 3, 0, 12, 15, 1},
    {3, "A,USB Current,", "A,USB1 Current,", 0, 0, 4, 4, 2},
    {4, "C,Temperature outside,", "C,Temperature outside,", 2, -30, 100, 100, 0},
    {5, "C,Temperature inside,", "C,Temperature inside,", 2, -30, 100, 100, 0},
    {6, "V,Input AC Voltage,", "V,Input AC Voltage,", 0, 50, 300, 300, 0},
    {7, "Hz,Frequency,", "Hz,Frequency,", 0, 0, 65, 65, 1},
    {8, nullptr, "V,USB2 Voltage,", 3, 0, 15, 15, 1},
    {9, nullptr, "A,USB2 Current,", 0, 0, 4, 4, 2},
    {10, nullptr, "V,USB3 Voltage,", 3, 0, 15, 15, 1},
    {11, nullptr, "A,USB3 Current,", 0, 0, 4, 4, 2},
    {12, nullptr, "V,USB4 Voltage,", 3, 0, 15, 15, 1},
    {13, nullptr, "A,USB4 Current,", 0, 0, 4, 4, 2},
};

QJsonObject channelObject(const PowerChannel& channel, bool model600)
{
    return QJsonObject{
        {QStringLiteral("channel"), channel.channel},
        {QStringLiteral("info"), QLatin1String(model600 ? channel.info600 : channel.info500)},
        {QStringLiteral("dataType"), channel.dataType},
        {QStringLiteral("baseNumber"), 2},
        {QStringLiteral("minExponent"), 0},
        {QStringLiteral("lower"), channel.lower},
        {QStringLiteral("upper"), model600 ? channel.upper600 : channel.upper500},
        {QStringLiteral("pecision"), channel.precision},
    };
}
} // namespace

QJsonDocument powerChannelsDocument(bool model600)
{
    QJsonArray channels;
    for (const PowerChannel& channel : kPowerChannels) {
        if (model600 || channel.info500)
            channels.append(channelObject(channel, model600));
    }
    // 8 for both models on purpose, although the 600 has 14 channels.
    const QJsonObject deviceInfo{
        {QStringLiteral("upid"), 52},
        {QStringLiteral("version"), QStringLiteral("1.00")},
        {QStringLiteral("info"), QStringLiteral("Quenlor Power Supply")},
        {QStringLiteral("channel-count"), 8},
    };
    return QJsonDocument(QJsonObject{{QStringLiteral("DeviceInfo"), deviceInfo}, {QStringLiteral("Channels"), channels}});
}

void createDefaultsPower(bool model600)
{
    DeviceInfo::resetStored();
    ChannelInfo::removeChannels();
    const QJsonObject document = powerChannelsDocument(model600).object();
    DeviceInfo::stored().fromJson(document.value(QLatin1String("DeviceInfo")).toObject());
    ChannelInfo::fromJson(document);
}
