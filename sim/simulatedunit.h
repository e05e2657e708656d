// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/bus.h"
#include "sim/device.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace sim {

struct DecodedWrite;

enum class Model { Power500, Power600 };

// One host write as the unit received it, with its one-line description
// (format in sim/README.md).
struct HostWrite
{
    WriteBuffer bytes{};
    std::string description;
};

// A Kelvane Power 500/600 as seen from USB: it answers the host's packets
// and text commands, streams sample records while its log runs, takes a
// firmware image through its bootloader, and fails on demand. Every method
// is thread-safe.
class SimulatedUnit final : public Device
{
public:
    using Clock = std::chrono::steady_clock;

    SimulatedUnit(Model model, const std::string& serial);
    ~SimulatedUnit() override;

    Model model() const { return m_model; }
    static int channelCount(Model model);
    // The raw integer of channel's sample n at rate samples per second, as
    // packed into a record (sim/README.md has the formulas).
    static int rawSample(Model model, int channel, uint32_t n, int rate);

    // Faults.
    void setSilent(bool silent);
    void setLogRefusal(const std::string& text);
    void restartCounter();
    void setBootloaderError(bool error);
    void setIgnoreBootEntry(bool ignore);
    void setAnswerDelayMs(int milliseconds);

    // The output and the status packet's fields (raw values as sent).
    void setOutput(bool on);
    bool output() const;
    void setStatusByte(int position, uint8_t value);
    void setOutputVoltage(int deciVolts);
    void setOutputCurrent(int deciAmperes);
    void setUsb(int port, int deciVolts, int centiAmperes);
    void setTemperatures(int outside, int inside);
    void setMains(int volts, int deciHertz);
    void setFanSpeed(int percent);
    void setFirmwareVersion(int major, int minor, int patch);
    Report statusReport() const;

    // Settings block and voltage tune.
    Report settingsBlock() const;
    Report lastSetPacket() const;
    int vtuneValue() const;

    // The internal log.
    bool isLogging() const;
    int logRate() const;
    std::vector<int> logChannels() const;
    void setMaxSetsPerRecord(int sets);

    // Bootloader.
    void enterBootloader();
    bool isBootloader() const;
    void setRebootDelayMs(int milliseconds);
    void setImageFile(const std::string& path);
    std::vector<uint8_t> receivedImage() const;
    std::vector<std::pair<int, int>> bootloaderFrames() const;

    // What the host wrote.
    std::vector<HostWrite> writes() const;
    void clearWrites();
    std::vector<std::string> trace() const;

    // Stops the unit's own thread: no more records, no delayed answers.
    void shutdown();

protected:
    void hostWrite(const WriteBuffer& bytes) override;
    void leftBus() override;

private:
    struct Log
    {
        bool active = false;
        int rate = 0;
        std::vector<int> channels;
        int fittingSets = 1;       // sets a record takes by size and the 100 ms bound
        int setsPerRecord = 1;
        Clock::time_point start;
        uint64_t sent = 0;         // samples already packed into records
        uint64_t counterBase = 0;  // sample whose record index is 0
    };

    // All below run with m_mutex held.
    void remember(HostWrite write);
    void applicationWrite(const DecodedWrite& write);
    void textCommand(const std::string& text);
    Report liveStatus() const;
    void answer(const Report& report);
    void answerText(const std::string& text);
    void storeSettings(const uint8_t* packet);
    void tuneVoltage(const std::string& digits);
    void startLog(const std::string& parameters);
    void applySetsLimit();
    void stopLog(bool confirm);
    uint64_t samplesDue(Clock::time_point now) const;
    Clock::time_point dueTime(uint64_t sample) const;
    void emitDueRecords(Clock::time_point now);
    void emitRecord(int sets);
    int sampleValue(int channel, uint64_t n) const;
    void bootFrame(const DecodedWrite& write);
    void answerBootloader();
    void saveImage() const;
    void reboot(bool toBootloader);
    void finishReboot(bool toBootloader);
    void switchFirmware(bool bootloader);
    void schedule(Clock::duration delay, std::function<void()> action);

    void run();

    static constexpr size_t kWriteLimit = 10000;

    const Model m_model;
    bool m_output = true;
    bool m_silent = false;
    std::string m_logRefusal;
    bool m_bootloaderError = false;
    bool m_ignoreBootEntry = false;
    int m_answerDelayMs = 0;
    int m_rebootDelayMs = 300;
    int m_maxSetsPerRecord = 0;   // 0: as many as the record and 100 ms allow
    Report m_status{};
    Report m_settings{};
    Report m_lastSetPacket{};
    int m_vtune = -1;
    int64_t m_clockOffset = 0;    // seconds the unit's clock is ahead of the computer's
    Log m_log;
    bool m_bootloader = false;
    std::vector<uint8_t> m_image;
    std::vector<std::pair<int, int>> m_frames;
    std::string m_imageFile;
    std::deque<HostWrite> m_writes;

    std::multimap<Clock::time_point, std::function<void()>> m_timers;
    std::condition_variable m_wake;
    bool m_quit = false;
    std::mutex m_joinMutex;
    std::thread m_thread;
};

} // namespace sim
