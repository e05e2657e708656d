// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/packet.h"

#include <algorithm>
#include <cstring>

Packet::Packet()
{
    clear();
}

Packet::Packet(unsigned char descriptor)
{
    clear();
    m_data[0] = descriptor;
}

Packet::Packet(const unsigned char* data, int length)
{
    clear();
    set(data, length);
}

Packet::Packet(const Packet& other)
{
    std::memcpy(m_data, other.data(), kSize);
}

Packet& Packet::operator=(const Packet& other)
{
    if (this != &other)
        std::memcpy(m_data, other.data(), kSize);
    return *this;
}

Packet::~Packet() = default;

unsigned char Packet::descriptor() const
{
    return m_data[0];
}

int Packet::size() const
{
    return kSize;
}

const unsigned char* Packet::data() const
{
    return m_data;
}

QByteArray Packet::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char*>(m_data), kSize);
}

QString Packet::toString() const
{
    return QStringLiteral("Descriptor: 0x%1").arg(uint(descriptor()), 0, 16);
}

QString Packet::trace() const
{
    QString text;
    text.reserve(kSize * 5);
    for (unsigned char byte : m_data)
        text += QStringLiteral("0x%1 ").arg(uint(byte), 2, 16, QLatin1Char('0'));
    return text;
}

unsigned char Packet::at(int position) const
{
    return position >= 0 && position < kSize ? m_data[position] : 0;
}

void Packet::set(const unsigned char* data, int length)
{
    if (data && length > 0)
        std::memcpy(m_data, data, std::min(length, kSize));
}

void Packet::set(int position, unsigned char value)
{
    if (position >= 0 && position < kSize)
        m_data[position] = value;
}

void Packet::set(int position, unsigned short value)
{
    if (position >= 0 && position + 1 < kSize) {
        m_data[position] = static_cast<unsigned char>(value >> 8);
        m_data[position + 1] = static_cast<unsigned char>(value);
    }
}

void Packet::set(int position, const QByteArray& bytes)
{
    if (position >= 0 && position + bytes.size() <= kSize)
        std::memcpy(m_data + position, bytes.constData(), bytes.size());
}

quint16 Packet::uint16At(int position) const
{
    return quint16(at(position) << 8 | at(position + 1));
}

quint32 Packet::uint24At(int position) const
{
    return quint32(at(position)) << 16 | quint32(at(position + 1)) << 8 | at(position + 2);
}

quint32 Packet::uint32At(int position) const
{
    return quint32(uint16At(position)) << 16 | uint16At(position + 2);
}

void Packet::clear()
{
    std::memset(m_data, 0, kSize);
}

PowerPacket::PowerPacket()
{
    init();
}

PowerPacket::PowerPacket(unsigned char descriptor)
{
    init();
    m_data[2] = descriptor;
}

PowerPacket::PowerPacket(const unsigned char* data, int length) : Packet(data, length) {}

PowerPacket::PowerPacket(const Packet& other) : Packet(other) {}

unsigned char PowerPacket::descriptor() const
{
    return m_data[2];
}

int PowerPacket::size() const
{
    return m_data[1];
}

QByteArray PowerPacket::toByteArray() const
{
    // The length byte comes from the unit; never hand out more than the report.
    return QByteArray(reinterpret_cast<const char*>(m_data), std::min(size(), kSize));
}

void PowerPacket::init()
{
    m_data[0] = Descriptors::kPower;
    m_data[1] = Descriptors::kPowerLength;
}

DeviceControl DeviceControl::m_currentDeviceControl;

DeviceControl::DeviceControl() : Packet(Descriptors::kDeviceControl) {}

DeviceControl::DeviceControl(const Packet& other) : Packet(other) {}

DeviceControl DeviceControl::stopRequest() const
{
    DeviceControl stop(*this);
    stop.setCommand(kCommandStop);
    return stop;
}

BootModePacket::BootModePacket() : Packet(Descriptors::kBootMode)
{
    m_data[1] = 0xAB;
    m_data[2] = 0x54;
}

BootModePowerPacket::BootModePowerPacket() : Packet(1)
{
    set(1, QByteArrayLiteral("RESET"));
}
