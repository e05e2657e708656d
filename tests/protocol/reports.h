// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Building received reports by hand in the protocol tests.

#include "protocol/packet.h"

#include <QByteArray>

#include <initializer_list>

// A 64-byte report that starts with head and is zero after it.
inline QByteArray report(std::initializer_list<unsigned char> head)
{
    QByteArray bytes(Packet::kSize, '\0');
    int i = 0;
    for (unsigned char byte : head)
        bytes[i++] = char(byte);
    return bytes;
}

inline Packet packetOf(const QByteArray& bytes)
{
    return Packet(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
}
