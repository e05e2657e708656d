// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/device.h"

#include <string>

namespace sim {

// A host write as the unit understands it.
struct DecodedWrite
{
    enum class Kind { Text, StatusRequest, SettingsRequest, SettingsSet, InfoRequest, BootEntry, BootFrame, Unknown };

    Kind kind = Kind::Unknown;
    const uint8_t* packet = nullptr; // the 64 bytes the application firmware sees
    std::string text;                // Text
    int command = 0;                 // BootFrame: frame command; SettingsSet: command flags
    int length = 0;                  // BootFrame: data length, at most 48
    const uint8_t* data = nullptr;   // BootFrame: the data bytes
};

DecodedWrite decodeWrite(const WriteBuffer& bytes, bool bootloader);

// The one-line trace form of a write (see sim/README.md).
std::string describeWrite(const DecodedWrite& write, const WriteBuffer& bytes);

} // namespace sim
