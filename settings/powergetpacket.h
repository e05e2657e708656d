// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/packet.h"

// The unit's settings block as read (descriptor 10). Sent all zero, it is the
// request for the block.
class PowerGetPacket : public PowerPacket
{
public:
    PowerGetPacket();
    explicit PowerGetPacket(const Packet& received);
    void init() override;

protected:
    void initAs(unsigned char descriptor);
};

// The settings block as written back to the unit (descriptor 11).
class PowerSetPacket : public PowerGetPacket
{
public:
    PowerSetPacket();
    explicit PowerSetPacket(const Packet& block);
    void init() override;
};
