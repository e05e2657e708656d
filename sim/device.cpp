// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/device.h"

#include "sim/journal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace sim {

Device::Device(uint16_t vendorId, uint16_t productId, std::string serial)
    : m_vendorId(vendorId), m_productId(productId), m_serial(std::move(serial))
{
}

void Device::unplug()
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return;
    if (listed())
        event("detach " + id());
    m_plugged = false;
    leftBus();
    dropOff();
}

void Device::plug()
{
    std::lock_guard lock(m_mutex);
    if (m_plugged)
        return;
    m_plugged = true;
    if (listed())
        event("attach " + id());
}

bool Device::isPlugged() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

uint64_t Device::droppedReports() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

void Device::attach(Journal* journal, const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_journal = journal;
    m_path = path;
}

// Taken off the bus for good: it tells nobody any more.
void Device::detach()
{
    {
        std::lock_guard lock(m_mutex);
        m_journal = nullptr;
    }
    unplug();
}

bool Device::listing(Listing& out) const
{
    std::lock_guard lock(m_mutex);
    if (!listed())
        return false;
    out = {m_vendorId, m_productId, m_serial, m_manufacturer, m_product, m_path};
    return true;
}

// Returns the connection a handle keeps, 0 when the device is not there.
uint64_t Device::open()
{
    std::lock_guard lock(m_mutex);
    if (!listed())
        return 0;
    m_queue.clear();
    ++m_openHandles;
    return m_connection;
}

void Device::close(uint64_t connection)
{
    std::lock_guard lock(m_mutex);
    if (connection == m_connection && m_openHandles > 0)
        --m_openHandles;
}

int Device::read(uint64_t connection, uint8_t* data, size_t length, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const auto ready = [&] { return !m_queue.empty() || !connected(connection); };
    if (timeoutMs < 0)
        m_readable.wait(lock, ready);
    else if (timeoutMs > 0)
        m_readable.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (!connected(connection))
        return -1;
    if (m_queue.empty())
        return 0;
    const size_t count = std::min(length, m_queue.front().size());
    std::memcpy(data, m_queue.front().data(), count);
    m_queue.pop_front();
    return int(count);
}

int Device::write(uint64_t connection, const uint8_t* data, size_t length)
{
    std::lock_guard lock(m_mutex);
    if (!connected(connection))
        return -1;
    WriteBuffer bytes{};
    std::memcpy(bytes.data(), data, std::min(length, bytes.size()));
    hostWrite(bytes);
    return int(length);
}

void Device::hostWrite(const WriteBuffer&)
{
}

// Nobody reads while no handle is open, so such reports are lost, as on USB.
void Device::pushReport(const Report& report)
{
    if (m_openHandles == 0)
        return;
    if (m_queue.size() == kQueueLimit) {
        m_queue.pop_front();
        ++m_dropped;
    }
    m_queue.push_back(report);
    m_readable.notify_all();
}

void Device::dropOff()
{
    ++m_connection;
    m_openHandles = 0;
    m_queue.clear();
    m_readable.notify_all();
}

void Device::event(const std::string& what) const
{
    if (m_journal)
        m_journal->event(what);
}

void Device::traceWrite(const std::string& description) const
{
    if (m_journal)
        m_journal->hostWrite(description);
}

std::string Device::id() const
{
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x ", m_vendorId, m_productId);
    return ids + m_serial;
}

} // namespace sim
