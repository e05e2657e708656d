// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/hostwrite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {

constexpr uint8_t kPowerFamily = 0x07;
constexpr uint8_t kFixedLength = 0x40;
constexpr uint8_t kFirstTextByte = 32;   // descriptors stop below this; text starts here
constexpr size_t kMaxTextLength = 62;
constexpr size_t kMaxBootData = 48;
constexpr size_t kCommandFlagsByte = 57;

std::string hex(const uint8_t* data, size_t length)
{
    std::string out;
    char pair[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", data[i]);
        out += pair;
    }
    return out;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
                out += escaped;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

DecodedWrite decodePowerPacket(const uint8_t* packet)
{
    DecodedWrite out;
    out.packet = packet;
    if (packet[1] != kFixedLength || packet[2] >= kFirstTextByte) {
        out.kind = DecodedWrite::Kind::Text;
        const size_t length = std::min<size_t>(packet[1], kMaxTextLength);
        out.text.assign(reinterpret_cast<const char*>(packet + 2), length);
        return out;
    }
    switch (packet[2]) {
    case 0x0A: out.kind = DecodedWrite::Kind::SettingsRequest; break;
    case 0x0B:
        out.kind = DecodedWrite::Kind::SettingsSet;
        out.command = packet[kCommandFlagsByte];
        break;
    case 0x0C: out.kind = DecodedWrite::Kind::StatusRequest; break;
    default: break;
    }
    return out;
}

DecodedWrite decodeApplicationWrite(const WriteBuffer& bytes)
{
    // Report number 0 means an unnumbered report: the packet follows it.
    const uint8_t* packet = bytes[0] == 0 ? bytes.data() + 1 : bytes.data();
    if (packet[0] == kPowerFamily)
        return decodePowerPacket(packet);
    DecodedWrite out;
    out.packet = packet;
    if (packet[0] == 0x01)
        out.kind = std::memcmp(packet + 1, "RESET", 5) == 0 ? DecodedWrite::Kind::BootEntry
                                                             : DecodedWrite::Kind::InfoRequest;
    return out;
}

DecodedWrite decodeBootloaderWrite(const WriteBuffer& bytes)
{
    DecodedWrite out;
    if (bytes[0] != 0)
        return out;
    out.kind = DecodedWrite::Kind::BootFrame;
    out.command = bytes[1];
    out.length = int(std::min<size_t>(bytes[2], kMaxBootData));
    out.data = bytes.data() + 3;
    return out;
}

} // namespace

DecodedWrite decodeWrite(const WriteBuffer& bytes, bool bootloader)
{
    return bootloader ? decodeBootloaderWrite(bytes) : decodeApplicationWrite(bytes);
}

std::string describeWrite(const DecodedWrite& write, const WriteBuffer& bytes)
{
    switch (write.kind) {
    case DecodedWrite::Kind::Text: return "text " + quoted(write.text);
    case DecodedWrite::Kind::StatusRequest: return "status-request";
    case DecodedWrite::Kind::SettingsRequest: return "settings-request";
    case DecodedWrite::Kind::SettingsSet: {
        char command[8];
        std::snprintf(command, sizeof command, "0x%02x", write.command);
        return std::string("settings-set cmd=") + command + " " + hex(write.packet, 64);
    }
    case DecodedWrite::Kind::InfoRequest: return "info-request";
    case DecodedWrite::Kind::BootEntry: return "boot-entry";
    case DecodedWrite::Kind::BootFrame:
        return "boot-frame cmd=" + std::to_string(write.command) + " len=" + std::to_string(write.length);
    case DecodedWrite::Kind::Unknown: break;
    }
    return "unknown " + hex(bytes.data(), bytes.size());
}

} // namespace sim
