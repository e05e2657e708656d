// SPDX-License-Identifier: GPL-3.0-or-later
// The unit's internal log: start command, waveforms, paced sample records.
#include "sim/simulatedunit.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr uint8_t kRecordDescriptor = 0x01;
constexpr uint8_t kLogEnded = 0x08;
constexpr int kRecordDataBytes = 57;    // bytes 7..63
constexpr int kMaxRate = 10000;
constexpr uint32_t kCounterMask = 0xFFFFFF;
constexpr int64_t kNanosPerSecond = 1000000000;
constexpr double kPi = 3.14159265358979323846;

// Raw sample encodings: 0 = 16-bit big-endian, 2 = signed byte, 3 = unsigned byte.
constexpr int kDataTypes[] = {3, 0, 3, 0, 2, 2, 0, 0, 3, 0, 3, 0, 3, 0};
constexpr int kCurrentChannels[] = {1, 3, 9, 11, 13};

// raw = round(base + amplitude * sin(2 pi t / period)), t = n / rate.
struct Wave
{
    double base;
    double amplitude;
    double periodSeconds;
};

constexpr Wave kWaves[] = {
    {138, 2, 5},     // 0 output voltage, 0.1 V
    {250, 100, 2},   // 1 output current, 0.1 A
    {51, 1, 3},      // 2 USB1 voltage, 0.1 V
    {45, 30, 1},     // 3 USB1 current, 0.01 A
    {-2, 10, 20},    // 4 outside temperature, C; below zero, for the signed encoding
    {31, 4, 40},     // 5 inside temperature, C
    {230, 4, 7},     // 6 mains voltage, V
    {500, 2, 11},    // 7 mains frequency, 0.1 Hz
    {90, 2, 4},      // 8 USB2 voltage, 0.1 V
    {30, 20, 1.5},   // 9 USB2 current, 0.01 A
    {120, 2, 6},     // 10 USB3 voltage, 0.1 V
    {20, 15, 2.5},   // 11 USB3 current, 0.01 A
    {70, 1, 8},      // 12 USB4 voltage, 0.1 V
    {10, 8, 3.5},    // 13 USB4 current, 0.01 A
};

int sampleBytes(int channel)
{
    return kDataTypes[channel] == 0 ? 2 : 1;
}

bool isCurrent(int channel)
{
    return std::find(std::begin(kCurrentChannels), std::end(kCurrentChannels), channel)
           != std::end(kCurrentChannels);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "<rate>C<one upper-case hex digit per channel>"; rate 0 when malformed.
int parseLogStart(const std::string& parameters, Model model, std::vector<int>& channels)
{
    const size_t c = parameters.find('C');
    if (c == std::string::npos || c == 0 || c > 5 || c + 1 == parameters.size())
        return 0;
    int rate = 0;
    for (size_t i = 0; i < c; ++i) {
        if (parameters[i] < '0' || parameters[i] > '9')
            return 0;
        rate = rate * 10 + (parameters[i] - '0');
    }
    int bytes = 0;
    for (size_t i = c + 1; i < parameters.size(); ++i) {
        const int channel = hexDigit(parameters[i]);
        if (channel < 0 || channel >= SimulatedUnit::channelCount(model))
            return 0;
        channels.push_back(channel);
        bytes += sampleBytes(channel);
    }
    return rate <= kMaxRate && bytes <= kRecordDataBytes ? rate : 0;
}

} // namespace

int SimulatedUnit::rawSample(Model model, int channel, uint32_t n, int rate)
{
    if (channel < 0 || channel >= channelCount(model))
        return 0;
    const Wave& wave = kWaves[channel];
    const double t = rate > 0 ? double(n) / rate : 0.0;
    return int(std::lround(wave.base + wave.amplitude * std::sin(2 * kPi * t / wave.periodSeconds)));
}

bool SimulatedUnit::isLogging() const
{
    std::lock_guard lock(m_mutex);
    return m_log.active;
}

int SimulatedUnit::logRate() const
{
    std::lock_guard lock(m_mutex);
    return m_log.active ? m_log.rate : 0;
}

std::vector<int> SimulatedUnit::logChannels() const
{
    std::lock_guard lock(m_mutex);
    return m_log.active ? m_log.channels : std::vector<int>{};
}

void SimulatedUnit::setMaxSetsPerRecord(int sets)
{
    std::lock_guard lock(m_mutex);
    m_maxSetsPerRecord = std::max(0, sets);
    applySetsLimit();
}

void SimulatedUnit::applySetsLimit()
{
    m_log.setsPerRecord = m_log.fittingSets;
    if (m_maxSetsPerRecord > 0)
        m_log.setsPerRecord = std::min(m_log.setsPerRecord, m_maxSetsPerRecord);
}

void SimulatedUnit::restartCounter()
{
    std::lock_guard lock(m_mutex);
    m_log.counterBase = m_log.sent;
}

// A start while a log runs starts it over with the new parameters.
void SimulatedUnit::startLog(const std::string& parameters)
{
    if (!m_logRefusal.empty()) {
        answerText(m_logRefusal);
        return;
    }
    std::vector<int> channels;
    const int rate = parseLogStart(parameters, m_model, channels);
    if (rate == 0) {
        answerText("ERR");
        return;
    }
    int setBytes = 0;
    for (int channel : channels)
        setBytes += sampleBytes(channel);
    // A record holds what fits and covers at most about 100 ms.
    const int sets = std::min(kRecordDataBytes / setBytes, std::max(1, rate / 10));
    m_log = Log{true, rate, channels, sets, sets, Clock::now(), 0, 0};
    applySetsLimit();
    m_wake.notify_all();
}

// Samples already due go out in a last, shorter record before the unit
// confirms the end; nothing is lost.
void SimulatedUnit::stopLog(bool confirm)
{
    if (!m_log.active)
        return;
    if (confirm) {
        const uint64_t due = samplesDue(Clock::now());
        while (due > m_log.sent)
            emitRecord(int(std::min<uint64_t>(m_log.setsPerRecord, due - m_log.sent)));
    }
    m_log.active = false;
    if (confirm) {
        Report end{};
        end[0] = 0x07;
        end[1] = 0x40;
        end[2] = kLogEnded;
        answer(end);
    }
}

// Sample n is due at start + n / rate; integer arithmetic so nothing drifts.
uint64_t SimulatedUnit::samplesDue(Clock::time_point now) const
{
    const int64_t elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_log.start).count();
    if (elapsed < 0)
        return 0;
    const uint64_t rate = uint64_t(m_log.rate);
    return uint64_t(elapsed / kNanosPerSecond) * rate + uint64_t(elapsed % kNanosPerSecond) * rate / kNanosPerSecond + 1;
}

SimulatedUnit::Clock::time_point SimulatedUnit::dueTime(uint64_t sample) const
{
    const uint64_t rate = uint64_t(m_log.rate);
    const uint64_t nanos = sample / rate * kNanosPerSecond + (sample % rate * kNanosPerSecond + rate - 1) / rate;
    return m_log.start + std::chrono::nanoseconds(nanos);
}

void SimulatedUnit::emitDueRecords(Clock::time_point now)
{
    const uint64_t due = samplesDue(now);
    while (due - m_log.sent >= uint64_t(m_log.setsPerRecord))
        emitRecord(m_log.setsPerRecord);
}

// A silent unit keeps counting; its records are lost.
void SimulatedUnit::emitRecord(int sets)
{
    Report r{};
    r[0] = 0x07;
    r[1] = 0x40;
    r[2] = kRecordDescriptor;
    const uint32_t index = uint32_t(m_log.sent - m_log.counterBase) & kCounterMask;
    r[3] = uint8_t(index >> 16);
    r[4] = uint8_t(index >> 8);
    r[5] = uint8_t(index);
    r[6] = uint8_t(sets);
    size_t position = 7;
    for (int j = 0; j < sets; ++j) {
        for (int channel : m_log.channels) {
            const int value = sampleValue(channel, m_log.sent + uint64_t(j));
            if (sampleBytes(channel) == 2)
                r[position++] = uint8_t(value >> 8);
            r[position++] = uint8_t(value);
        }
    }
    m_log.sent += uint64_t(sets);
    if (!m_silent)
        pushReport(r);
}

int SimulatedUnit::sampleValue(int channel, uint64_t n) const
{
    if (!m_output && isCurrent(channel))
        return 0;
    return rawSample(m_model, channel, uint32_t(n), m_log.rate);
}

void SimulatedUnit::schedule(Clock::duration delay, std::function<void()> action)
{
    m_timers.emplace(Clock::now() + delay, std::move(action));
    m_wake.notify_all();
}

// The unit's own thread: delayed answers, firmware switches, and the log,
// which it wakes for exactly when the next record is due.
void SimulatedUnit::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        const Clock::time_point now = Clock::now();
        while (!m_timers.empty() && m_timers.begin()->first <= now) {
            const auto action = std::move(m_timers.begin()->second);
            m_timers.erase(m_timers.begin());
            action();
        }
        if (m_log.active)
            emitDueRecords(now);
        Clock::time_point wake = Clock::time_point::max();
        if (!m_timers.empty())
            wake = m_timers.begin()->first;
        if (m_log.active)
            wake = std::min(wake, dueTime(m_log.sent + uint64_t(m_log.setsPerRecord) - 1));
        if (wake == Clock::time_point::max())
            m_wake.wait(lock);
        else
            m_wake.wait_until(lock, wake);
    }
}

void SimulatedUnit::shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_timers.clear();
        m_log.active = false;
    }
    m_wake.notify_all();
    std::lock_guard join(m_joinMutex);
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace sim
