// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

// What happened on the simulated bus, kept for tests and, when a trace file
// is set, appended to it line by line as it happens. Its lock is taken last,
// under any other lock of the simulator.
class Journal
{
public:
    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    void setTraceFile(const std::string& path);
    void event(const std::string& text);
    void hostWrite(const std::string& description);

    std::vector<std::string> events() const;
    void clearEvents();

private:
    void traceLine(const char* prefix, const std::string& text);

    // A unit left connected for days must not grow without bound.
    static constexpr size_t kEventLimit = 10000;

    mutable std::mutex m_mutex;
    std::deque<std::string> m_events;
    std::FILE* m_trace = nullptr;
};

} // namespace sim
