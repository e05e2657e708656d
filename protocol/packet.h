// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Descriptors of both report families. Logger reports carry theirs in byte 0;
// power reports start with 0x07 0x40 and carry theirs in byte 2.
namespace Descriptors {
// Logger family, byte 0.
constexpr unsigned char kDeviceInfo = 1;
constexpr unsigned char kDeviceControl = 2;
constexpr unsigned char kChannelInfo = 4;
constexpr unsigned char kMeasureAll = 5;
constexpr unsigned char kStatusControl = 6;
constexpr unsigned char kPower = 7;
constexpr unsigned char kBootMode = 9;

// Power family, byte 2.
constexpr unsigned char kPowerLength = 0x40;
constexpr unsigned char kPowerLogEnded = 8;
constexpr unsigned char kPowerGet = 10;
constexpr unsigned char kPowerSet = 11;
constexpr unsigned char kPowerData = 12;
constexpr unsigned char kPowerTextFirst = 32; // from here on byte 2 is the first character of a text

constexpr bool isPowerText(unsigned char descriptor) { return descriptor >= kPowerTextFirst; }

// Every fixed-layout power descriptor without a class of its own is a sample record.
constexpr bool isPowerSample(unsigned char descriptor)
{
    return descriptor < kPowerTextFirst && descriptor != kPowerLogEnded && descriptor != kPowerGet
           && descriptor != kPowerSet && descriptor != kPowerData;
}
} // namespace Descriptors

// One 64-byte report, held inline so packets can live on the stack and be
// copied freely. Multi-byte protocol integers are big-endian.
class Packet
{
public:
    static constexpr int kSize = 64;

    Packet();
    explicit Packet(unsigned char descriptor);
    Packet(const unsigned char* data, int length);
    Packet(const Packet& other);
    Packet& operator=(const Packet& other);
    virtual ~Packet();

    virtual unsigned char descriptor() const;
    virtual int size() const;
    virtual const unsigned char* data() const;
    virtual QByteArray toByteArray() const;
    virtual QString toString() const;
    virtual QString trace() const;

    // Byte at position, 0 outside the report.
    unsigned char at(int position) const;

    void set(const unsigned char* data, int length);
    void set(int position, unsigned char value);
    void set(int position, unsigned short value);
    void set(int position, const QByteArray& bytes);

protected:
    quint16 uint16At(int position) const;
    quint32 uint24At(int position) const;
    quint32 uint32At(int position) const;
    void clear();

    unsigned char m_data[kSize];
};

// Power family: 0x07, length, descriptor.
class PowerPacket : public Packet
{
public:
    PowerPacket();
    explicit PowerPacket(unsigned char descriptor);
    PowerPacket(const unsigned char* data, int length);
    explicit PowerPacket(const Packet& other);

    // The two requests the host sends without payload.
    static PowerPacket statusRequest() { return PowerPacket(Descriptors::kPowerData); }
    static PowerPacket settingsRequest() { return PowerPacket(Descriptors::kPowerGet); }

    unsigned char descriptor() const override;
    int size() const override;
    QByteArray toByteArray() const override;
    virtual void init();
};

class DeviceControl : public Packet
{
public:
    static constexpr unsigned char kCommandStop = 64;

    DeviceControl();
    explicit DeviceControl(const Packet& other);

    unsigned char command() const { return at(1); }
    unsigned char errorCode() const { return at(3); }
    quint16 channelMask() const { return uint16At(4); }
    quint16 sampleRate() const { return uint16At(6); }
    unsigned char payloadType() const { return at(8); }
    quint16 startDelay() const { return uint16At(9); }

    void setCommand(unsigned char command) { set(1, command); }
    void setChannelMask(quint16 mask) { set(4, mask); }
    void setSampleRate(quint16 rate) { set(6, rate); }
    void setPayloadType(unsigned char type) { set(8, type); }
    void setStartDelay(quint16 delay) { set(9, delay); }

    // A copy that asks the unit to stop the run this packet started.
    DeviceControl stopRequest() const;

    // The parameters of the recording in progress.
    static DeviceControl m_currentDeviceControl;
};

// Asks a logger for all its channel descriptions.
class ChannelsRequest : public Packet
{
public:
    ChannelsRequest() : Packet(Descriptors::kChannelInfo) {}
};

// A status/control exchange the host never starts; kept so the family is complete.
class StatusControlRequest : public Packet
{
public:
    StatusControlRequest() : Packet(Descriptors::kStatusControl) {}
    explicit StatusControlRequest(const Packet& other) : Packet(other) {}
};

class StatusControlResponse : public StatusControlRequest
{
public:
    using StatusControlRequest::StatusControlRequest;
};

// Switches a logger to its bootloader.
class BootModePacket : public Packet
{
public:
    BootModePacket();
};

// Switches a power unit to its bootloader; it does not use the power framing.
class BootModePowerPacket : public Packet
{
public:
    BootModePowerPacket();
};
