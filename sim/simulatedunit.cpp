// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatedunit.h"

#include "sim/hostwrite.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace sim {

namespace {

constexpr uint16_t kVendorId = 0x0483;
constexpr uint16_t kApplicationProductId = 0xA1DE;

constexpr uint8_t kPowerFamily = 0x07;
constexpr uint8_t kFixedLength = 0x40;
constexpr uint8_t kSettingsBlock = 0x0A;
constexpr uint8_t kSettingsStored = 0x0B;
constexpr uint8_t kStatus = 0x0C;

// Status packet positions.
constexpr int kOutputVoltage = 3;
constexpr int kOutputCurrent = 4;
constexpr int kUsb1Voltage = 6;
constexpr int kTempOutside = 9;
constexpr int kTempInside = 10;
constexpr int kMainsVoltage = 11;
constexpr int kMainsFrequency = 13;
constexpr int kFanSpeed = 15;
constexpr int kTotalPower = 16;
constexpr int kTotalCurrent = 18;
constexpr int kMaxPower = 20;
constexpr int kMaxCurrent = 22;
constexpr int kDeviceTime = 24;
constexpr int kFirmwareVersion = 37;
constexpr int kUsbVoltages[] = {kUsb1Voltage, 40, 43, 46}; // each port's current follows its voltage

// Settings block positions and command flags.
constexpr int kTune12 = 35;
constexpr int kCommandFlags = 57;
constexpr int kSyncSeconds = 58;
constexpr uint8_t kRestoreDefaults = 0x04;
constexpr uint8_t kSyncClock = 0x08;

void put16(Report& r, int position, int value)
{
    r[position] = uint8_t(value >> 8);
    r[position + 1] = uint8_t(value);
}

uint32_t get32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

Report powerReport(uint8_t descriptor)
{
    Report r{};
    r[0] = kPowerFamily;
    r[1] = kFixedLength;
    r[2] = descriptor;
    return r;
}

Report defaultStatus(Model model)
{
    const bool is600 = model == Model::Power600;
    Report s = powerReport(kStatus);
    s[kOutputVoltage] = 138;
    put16(s, kOutputCurrent, 25);
    s[kUsb1Voltage] = 51;
    put16(s, kUsb1Voltage + 1, 45);
    s[kTempOutside] = 27;
    s[kTempInside] = 31;
    put16(s, kMainsVoltage, 230);
    put16(s, kMainsFrequency, 500);
    s[kFanSpeed] = 20;
    put16(s, kTotalPower, is600 ? 43 : 37);
    put16(s, kTotalCurrent, is600 ? 31 : 27);
    put16(s, kMaxPower, is600 ? 600 : 500);
    put16(s, kMaxCurrent, is600 ? 500 : 400);
    s[kFirmwareVersion] = 1;
    s[kFirmwareVersion + 1] = 2;
    s[kFirmwareVersion + 2] = 3;
    if (is600) {
        // Fast-charge profiles on the extra ports: 9 V, 12 V and 7 V.
        const int volts[] = {90, 120, 70};
        const int amps[] = {30, 20, 10};
        for (int port = 1; port < 4; ++port) {
            s[kUsbVoltages[port]] = uint8_t(volts[port - 1]);
            put16(s, kUsbVoltages[port] + 1, amps[port - 1]);
        }
    }
    return s;
}

Report defaultSettings(Model model)
{
    const bool is600 = model == Model::Power600;
    Report b = powerReport(kSettingsBlock);
    b[3] = 0x03;                // long touch, restore output after mains return
    b[4] = 0x0D;                // clock while off, classic face, Celsius, 24 h
    b[5] = is600 ? 0x9F : 0x1F; // slide show with every screen (USB1 and USB2 on the 600)
    b[6] = 5;                   // auto off below 0.5 A ...
    b[7] = 30;                  // ... for 30 minutes
    b[9] = 7;                   // auto on at 07:00
    b[11] = 22;                 // auto off at 22:00
    b[22] = 5;                  // slide show seconds
    const uint8_t screens[] = {10, 9, 13, 3, 4, 7, 14, 15, 2, 5, 6, 12};
    std::copy(std::begin(screens), std::end(screens), b.begin() + 23);
    if (is600) {
        std::fill(b.begin() + 29, b.begin() + 32, 0); // no AUX screen
        b[kTune12] = 128;
    }
    return b;
}

int64_t secondsNow()
{
    return int64_t(std::time(nullptr));
}

std::string withoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

SimulatedUnit::SimulatedUnit(Model model, const std::string& serial)
    : Device(kVendorId, kApplicationProductId, serial),
      m_model(model),
      m_status(defaultStatus(model)),
      m_settings(defaultSettings(model))
{
    switchFirmware(false);
    m_thread = std::thread(&SimulatedUnit::run, this);
}

SimulatedUnit::~SimulatedUnit()
{
    shutdown();
}

int SimulatedUnit::channelCount(Model model)
{
    return model == Model::Power600 ? 14 : 8;
}

void SimulatedUnit::setSilent(bool silent)
{
    std::lock_guard lock(m_mutex);
    m_silent = silent;
}

void SimulatedUnit::setLogRefusal(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_logRefusal = text;
}

void SimulatedUnit::setBootloaderError(bool error)
{
    std::lock_guard lock(m_mutex);
    m_bootloaderError = error;
}

void SimulatedUnit::setIgnoreBootEntry(bool ignore)
{
    std::lock_guard lock(m_mutex);
    m_ignoreBootEntry = ignore;
}

void SimulatedUnit::setAnswerDelayMs(int milliseconds)
{
    std::lock_guard lock(m_mutex);
    m_answerDelayMs = std::max(0, milliseconds);
}

void SimulatedUnit::setOutput(bool on)
{
    std::lock_guard lock(m_mutex);
    m_output = on;
}

bool SimulatedUnit::output() const
{
    std::lock_guard lock(m_mutex);
    return m_output;
}

void SimulatedUnit::setStatusByte(int position, uint8_t value)
{
    std::lock_guard lock(m_mutex);
    if (position >= 0 && position < int(m_status.size()))
        m_status[position] = value;
}

void SimulatedUnit::setOutputVoltage(int deciVolts)
{
    std::lock_guard lock(m_mutex);
    m_status[kOutputVoltage] = uint8_t(deciVolts);
}

void SimulatedUnit::setOutputCurrent(int deciAmperes)
{
    std::lock_guard lock(m_mutex);
    put16(m_status, kOutputCurrent, deciAmperes);
}

void SimulatedUnit::setUsb(int port, int deciVolts, int centiAmperes)
{
    if (port < 1 || port > 4)
        return;
    std::lock_guard lock(m_mutex);
    m_status[kUsbVoltages[port - 1]] = uint8_t(deciVolts);
    put16(m_status, kUsbVoltages[port - 1] + 1, centiAmperes);
}

void SimulatedUnit::setTemperatures(int outside, int inside)
{
    std::lock_guard lock(m_mutex);
    m_status[kTempOutside] = uint8_t(int8_t(outside));
    m_status[kTempInside] = uint8_t(int8_t(inside));
}

void SimulatedUnit::setMains(int volts, int deciHertz)
{
    std::lock_guard lock(m_mutex);
    put16(m_status, kMainsVoltage, volts);
    put16(m_status, kMainsFrequency, deciHertz);
}

void SimulatedUnit::setFanSpeed(int percent)
{
    std::lock_guard lock(m_mutex);
    m_status[kFanSpeed] = uint8_t(percent);
}

void SimulatedUnit::setFirmwareVersion(int major, int minor, int patch)
{
    std::lock_guard lock(m_mutex);
    m_status[kFirmwareVersion] = uint8_t(major);
    m_status[kFirmwareVersion + 1] = uint8_t(minor);
    m_status[kFirmwareVersion + 2] = uint8_t(patch);
}

Report SimulatedUnit::statusReport() const
{
    std::lock_guard lock(m_mutex);
    return liveStatus();
}

// With the output off nothing flows: the currents and totals read 0 while
// the voltages keep their values.
Report SimulatedUnit::liveStatus() const
{
    Report r = m_status;
    if (!m_output) {
        put16(r, kOutputCurrent, 0);
        for (int voltage : kUsbVoltages)
            put16(r, voltage + 1, 0);
        put16(r, kTotalPower, 0);
        put16(r, kTotalCurrent, 0);
    }
    const auto time = uint32_t(int32_t(secondsNow() + m_clockOffset));
    for (int i = 0; i < 4; ++i)
        r[kDeviceTime + i] = uint8_t(time >> (24 - 8 * i));
    return r;
}

Report SimulatedUnit::settingsBlock() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

Report SimulatedUnit::lastSetPacket() const
{
    std::lock_guard lock(m_mutex);
    return m_lastSetPacket;
}

int SimulatedUnit::vtuneValue() const
{
    std::lock_guard lock(m_mutex);
    return m_vtune;
}

std::vector<HostWrite> SimulatedUnit::writes() const
{
    std::lock_guard lock(m_mutex);
    return {m_writes.begin(), m_writes.end()};
}

void SimulatedUnit::clearWrites()
{
    std::lock_guard lock(m_mutex);
    m_writes.clear();
}

std::vector<std::string> SimulatedUnit::trace() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> lines;
    for (const HostWrite& write : m_writes)
        lines.push_back(write.description);
    return lines;
}

void SimulatedUnit::hostWrite(const WriteBuffer& bytes)
{
    const DecodedWrite write = decodeWrite(bytes, m_bootloader);
    remember({bytes, describeWrite(write, bytes)});
    if (m_silent)
        return;
    if (m_bootloader)
        bootFrame(write);
    else
        applicationWrite(write);
}

void SimulatedUnit::leftBus()
{
    stopLog(false);
}

void SimulatedUnit::remember(HostWrite write)
{
    traceWrite(write.description);
    if (m_writes.size() == kWriteLimit)
        m_writes.pop_front();
    m_writes.push_back(std::move(write));
}

// The device-information request and logger packets get no answer from a
// power unit.
void SimulatedUnit::applicationWrite(const DecodedWrite& write)
{
    switch (write.kind) {
    case DecodedWrite::Kind::Text:
        textCommand(withoutLineEnd(write.text));
        break;
    case DecodedWrite::Kind::StatusRequest:
        answer(liveStatus());
        break;
    case DecodedWrite::Kind::SettingsRequest:
        answer(m_settings);
        break;
    case DecodedWrite::Kind::SettingsSet:
        storeSettings(write.packet);
        break;
    case DecodedWrite::Kind::BootEntry:
        if (!m_ignoreBootEntry)
            reboot(true);
        break;
    default:
        break;
    }
}

void SimulatedUnit::textCommand(const std::string& text)
{
    if (text == "POWER")
        answerText(m_output ? "ON" : "OFF");
    else if (text == "PSW1")
        m_output = true;
    else if (text == "PSW0")
        m_output = false;
    else if (text == "LOGSTOP")
        stopLog(true);
    else if (startsWith(text, "VTUNE"))
        tuneVoltage(text.substr(5));
    else if (startsWith(text, "LOG"))
        startLog(text.substr(3));
}

void SimulatedUnit::answer(const Report& report)
{
    if (m_answerDelayMs == 0) {
        pushReport(report);
        return;
    }
    const uint64_t connection = m_connection;
    schedule(std::chrono::milliseconds(m_answerDelayMs), [this, report, connection] {
        if (connection == m_connection && !m_silent)
            pushReport(report);
    });
}

void SimulatedUnit::answerText(const std::string& text)
{
    Report r{};
    r[0] = kPowerFamily;
    const std::string line = text.substr(0, r.size() - 3) + "\r";
    r[1] = uint8_t(line.size());
    std::copy(line.begin(), line.end(), r.begin() + 2);
    answer(r);
}

// The command byte and the clock are orders, not settings: they are not kept.
void SimulatedUnit::storeSettings(const uint8_t* packet)
{
    std::copy(packet, packet + m_lastSetPacket.size(), m_lastSetPacket.begin());
    const uint8_t flags = packet[kCommandFlags];
    if (flags & kRestoreDefaults) {
        m_settings = defaultSettings(m_model);
    } else {
        m_settings = m_lastSetPacket;
        m_settings[0] = kPowerFamily;
        m_settings[1] = kFixedLength;
        m_settings[2] = kSettingsBlock;
        std::fill(m_settings.begin() + kCommandFlags, m_settings.begin() + kSyncSeconds + 4, 0);
    }
    if (flags & kSyncClock)
        m_clockOffset = int64_t(get32(packet + kSyncSeconds)) - secondsNow();
    answer(powerReport(kSettingsStored));
}

// The 600's trim potentiometer follows the tuned voltage: 128 at 13.8 V,
// four steps per 0.1 V.
void SimulatedUnit::tuneVoltage(const std::string& digits)
{
    const bool valid = !digits.empty() && digits.size() <= 4
                       && std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!valid) {
        answerText("ERR");
        return;
    }
    m_vtune = std::stoi(digits);
    if (m_model == Model::Power600)
        m_settings[kTune12] = uint8_t(std::clamp(128 + (m_vtune - 138) * 4, 0, 255));
    answerText("OK");
}

} // namespace sim
