// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/journal.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

struct BusSetup;
class ControlChannel;
class Device;
class SimulatedUnit;
enum class Model;

// The process-wide USB bus of the simulator: the attached devices in
// enumeration order. At first use it reads the AMPORA_SIM_* variables
// (sim/README.md); without them it holds one model-500 unit with serial
// 500200000001, plugged in and in application mode.
class Bus
{
public:
    static Bus& instance();

    // Back to the state of first use (tests call this before each case).
    void reset();
    // Removes every device.
    void clear();
    std::shared_ptr<SimulatedUnit> addUnit(Model model, const std::string& serial);
    // An inert device: listed and openable, never answers.
    void addDevice(uint16_t vendorId, uint16_t productId, const std::string& serial);

    // The index-th simulated unit in bus order, null when there is none.
    std::shared_ptr<SimulatedUnit> unit(int index = 0) const;

    // A missing udev rule: opening fails with a permission error.
    void setOpenDenied(bool denied);
    bool openDenied() const;

    std::vector<std::string> events() const;
    void clearEvents();
    void event(const std::string& text);

    // One line of the control channel, applied to the first unit; false
    // when the line is not understood.
    bool control(const std::string& line);

    std::vector<std::shared_ptr<Device>> devices() const;

private:
    Bus();
    ~Bus();
    void attach(const std::shared_ptr<Device>& device);
    void shutdown();

    mutable std::mutex m_mutex;
    Journal m_journal;
    std::vector<std::shared_ptr<Device>> m_devices;
    bool m_openDenied = false;
    int m_nextPath = 0;
    std::unique_ptr<const BusSetup> m_setup;
    std::unique_ptr<ControlChannel> m_control;
};

} // namespace sim
