// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/powergetpacket.h"

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
