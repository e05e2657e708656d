// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace sim {

class Journal;

using Report = std::array<uint8_t, 64>;     // one input report as the host reads it
using WriteBuffer = std::array<uint8_t, 65>; // one host write: report number + 64 bytes

// What an enumeration shows of a device.
struct Listing
{
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string serial;
    std::string manufacturer;
    std::string product;
    std::string path;
};

// One USB HID device on the simulated bus. On its own it is inert: it is
// listed, can be opened and written to, and never answers (another vendor's
// device, or a unit with an unsupported serial number).
class Device
{
public:
    // Reports the HID library's libusb back end keeps for a reader; when
    // full it drops the oldest.
    static constexpr size_t kQueueLimit = 30;

    Device(uint16_t vendorId, uint16_t productId, std::string serial);
    virtual ~Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Pulling the cable: open handles fail from now on and the device is no
    // longer listed; plugging it back lists it again for new handles.
    void unplug();
    void plug();
    bool isPlugged() const;

    uint64_t droppedReports() const;

    // Used by the bus and the hid_* layer.
    void attach(Journal* journal, const std::string& path);
    void detach();
    bool listing(Listing& out) const;
    uint64_t open();
    void close(uint64_t connection);
    int read(uint64_t connection, uint8_t* data, size_t length, int timeoutMs);
    int write(uint64_t connection, const uint8_t* data, size_t length);

protected:
    // The members below are guarded by m_mutex; the hooks run with it held.
    virtual void hostWrite(const WriteBuffer& bytes);
    virtual void leftBus() {}

    void pushReport(const Report& report);
    void dropOff();
    void event(const std::string& what) const;
    void traceWrite(const std::string& description) const;
    std::string id() const;
    bool listed() const { return m_plugged && !m_rebooting; }

    mutable std::mutex m_mutex;
    uint16_t m_vendorId;
    uint16_t m_productId;
    std::string m_serial;
    std::string m_manufacturer = "Generic";
    std::string m_product = "HID device";
    bool m_rebooting = false;    // off the bus between two firmware modes
    uint64_t m_connection = 1;   // changes whenever the device leaves the bus, so old handles die

private:
    bool connected(uint64_t connection) const { return listed() && connection == m_connection; }

    std::condition_variable m_readable;
    std::deque<Report> m_queue;
    std::string m_path;
    Journal* m_journal = nullptr;
    bool m_plugged = true;
    int m_openHandles = 0;
    uint64_t m_dropped = 0;
};

} // namespace sim
