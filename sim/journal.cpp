// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/journal.h"

namespace sim {

Journal::~Journal()
{
    if (m_trace)
        std::fclose(m_trace);
}

void Journal::setTraceFile(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    if (m_trace)
        std::fclose(m_trace);
    m_trace = path.empty() ? nullptr : std::fopen(path.c_str(), "a");
}

void Journal::event(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_events.size() == kEventLimit)
        m_events.pop_front();
    m_events.push_back(text);
    traceLine("event ", text);
}

void Journal::hostWrite(const std::string& description)
{
    std::lock_guard lock(m_mutex);
    traceLine("write ", description);
}

std::vector<std::string> Journal::events() const
{
    std::lock_guard lock(m_mutex);
    return {m_events.begin(), m_events.end()};
}

void Journal::clearEvents()
{
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

// Flushed at once: scripts watch the file while the process runs.
void Journal::traceLine(const char* prefix, const std::string& text)
{
    if (!m_trace)
        return;
    std::fputs(prefix, m_trace);
    std::fputs(text.c_str(), m_trace);
    std::fputc('\n', m_trace);
    std::fflush(m_trace);
}

} // namespace sim
