// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/packet.h"

#include <memory>

class QJsonObject;

// A unit's description of itself: id, firmware version, channel count,
// serial number and a free text.
class DeviceInfo : public Packet
{
public:
    DeviceInfo();
    explicit DeviceInfo(const Packet& other);

    unsigned char deviceId() const { return at(1); }
    unsigned char versionCode() const { return at(2); }
    unsigned char channelCount() const { return at(3); }
    quint32 serialNumber() const { return uint32At(4); }
    QString info() const;

    QString version() const;
    QString toString() const override;
    void fromJson(const QJsonObject& description);

    // The process-wide description, created empty on first use.
    static DeviceInfo& stored();
    // Drops the stored description; the next stored() starts from an empty one.
    static void resetStored();

private:
    static std::unique_ptr<DeviceInfo> m_deviceInfo;
};
