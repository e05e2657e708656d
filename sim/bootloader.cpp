// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware switches and the bootloader's upload frames.
#include "sim/simulatedunit.h"

#include "sim/hostwrite.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

constexpr uint16_t kApplicationProductId = 0xA1DE;
constexpr uint16_t kBootloaderProductId = 0xA1DA;

enum BootCommand { kFirstBlock = 3, kNextBlock = 4, kEndOfImage = 5, kClose = 6 };

constexpr uint8_t kPositiveAnswer = 0x07;
constexpr uint8_t kNegativeAnswer = 0x55;

} // namespace

void SimulatedUnit::enterBootloader()
{
    std::lock_guard lock(m_mutex);
    stopLog(false);
    dropOff();
    switchFirmware(true);
}

bool SimulatedUnit::isBootloader() const
{
    std::lock_guard lock(m_mutex);
    return m_bootloader;
}

void SimulatedUnit::setRebootDelayMs(int milliseconds)
{
    std::lock_guard lock(m_mutex);
    m_rebootDelayMs = std::max(0, milliseconds);
}

void SimulatedUnit::setImageFile(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_imageFile = path;
}

std::vector<uint8_t> SimulatedUnit::receivedImage() const
{
    std::lock_guard lock(m_mutex);
    return m_image;
}

std::vector<std::pair<int, int>> SimulatedUnit::bootloaderFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_frames;
}

void SimulatedUnit::bootFrame(const DecodedWrite& write)
{
    if (write.kind != DecodedWrite::Kind::BootFrame)
        return;
    m_frames.emplace_back(write.command, write.length);
    switch (write.command) {
    case kFirstBlock:
        m_image.assign(write.data, write.data + write.length);
        answerBootloader();
        break;
    case kNextBlock:
        m_image.insert(m_image.end(), write.data, write.data + write.length);
        break;
    case kEndOfImage:
        answerBootloader();
        if (!m_bootloaderError)
            saveImage();
        break;
    case kClose:
        reboot(false);
        break;
    default:
        break;
    }
}

void SimulatedUnit::answerBootloader()
{
    Report r{};
    r[0] = m_bootloaderError ? kNegativeAnswer : kPositiveAnswer;
    answer(r);
}

void SimulatedUnit::saveImage() const
{
    if (m_imageFile.empty())
        return;
    if (std::FILE* file = std::fopen(m_imageFile.c_str(), "wb")) {
        std::fwrite(m_image.data(), 1, m_image.size(), file);
        std::fclose(file);
    }
}

// The unit leaves the bus at once and comes back in the other firmware
// after the reboot delay, as a new USB device: old handles stay dead.
void SimulatedUnit::reboot(bool toBootloader)
{
    if (m_rebooting)
        return;
    stopLog(false);
    if (listed())
        event("detach " + id());
    dropOff();
    m_rebooting = true;
    schedule(std::chrono::milliseconds(m_rebootDelayMs), [this, toBootloader] { finishReboot(toBootloader); });
}

// Fresh application firmware starts with the output off.
void SimulatedUnit::finishReboot(bool toBootloader)
{
    switchFirmware(toBootloader);
    if (!toBootloader)
        m_output = false;
    m_rebooting = false;
    if (listed())
        event("attach " + id());
}

void SimulatedUnit::switchFirmware(bool bootloader)
{
    m_bootloader = bootloader;
    m_productId = bootloader ? kBootloaderProductId : kApplicationProductId;
    m_manufacturer = "Quenlor";
    m_product = m_model == Model::Power600 ? "Kelvane Power 600" : "Kelvane Power 500";
    if (bootloader)
        m_product += " Bootloader";
}

} // namespace sim
