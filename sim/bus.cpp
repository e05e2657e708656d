// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/bus.h"

#include "sim/environment.h"
#include "sim/simulatedunit.h"

#include <cstdlib>
#include <functional>
#include <sstream>

namespace sim {

namespace {

std::string trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// 1 for "on", 0 for "off", -1 for anything else.
int onOff(const std::string& word)
{
    return word == "on" ? 1 : word == "off" ? 0 : -1;
}

bool parseNumber(const std::string& text, long lowest, long highest, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0' && value >= lowest && value <= highest;
}

using Action = std::function<void()>;

Action switchAction(const std::string& argument, std::function<void(bool)> set)
{
    const int state = onOff(argument);
    if (state < 0)
        return {};
    return [set, state] { set(state == 1); };
}

Action statusByteAction(const std::shared_ptr<SimulatedUnit>& unit, const std::string& argument)
{
    std::istringstream in(argument);
    std::string position, value, extra;
    in >> position >> value >> extra;
    long byte = 0, number = 0;
    if (!extra.empty() || !parseNumber(position, 0, 63, byte) || !parseNumber(value, 0, 255, number))
        return {};
    return [unit, byte, number] { unit->setStatusByte(int(byte), uint8_t(number)); };
}

// What a control line asks of the unit, or nothing when it is not understood.
Action unitAction(const std::shared_ptr<SimulatedUnit>& unit, const std::string& word, const std::string& argument)
{
    long number = 0;
    if (word == "unplug" && argument.empty())
        return [unit] { unit->unplug(); };
    if (word == "plug" && argument.empty())
        return [unit] { unit->plug(); };
    if (word == "restart-counter" && argument.empty())
        return [unit] { unit->restartCounter(); };
    if (word == "refuse-log")
        return [unit, argument] { unit->setLogRefusal(argument); };
    if (word == "silent")
        return switchAction(argument, [unit](bool on) { unit->setSilent(on); });
    if (word == "bootloader-error")
        return switchAction(argument, [unit](bool on) { unit->setBootloaderError(on); });
    if (word == "ignore-boot")
        return switchAction(argument, [unit](bool on) { unit->setIgnoreBootEntry(on); });
    if (word == "output")
        return switchAction(argument, [unit](bool on) { unit->setOutput(on); });
    if (word == "status")
        return statusByteAction(unit, argument);
    if (word == "max-sets" && parseNumber(argument, 0, 255, number))
        return [unit, number] { unit->setMaxSetsPerRecord(int(number)); };
    return {};
}

} // namespace

// Never destroyed: handles and threads may outlive static destruction. At
// exit the threads are stopped instead.
Bus& Bus::instance()
{
    static Bus* const bus = [] {
        auto* created = new Bus;
        std::atexit([] { instance().shutdown(); });
        return created;
    }();
    return *bus;
}

Bus::Bus()
    : m_setup(std::make_unique<const BusSetup>(BusSetup::fromEnvironment()))
{
    m_journal.setTraceFile(m_setup->traceFile);
    reset();
    if (!m_setup->controlPath.empty())
        m_control = std::make_unique<ControlChannel>(m_setup->controlPath,
                                                     [this](const std::string& line) { control(line); });
}

Bus::~Bus() = default;

void Bus::reset()
{
    clear();
    const BusSetup& setup = *m_setup;
    for (const BusSetup::Extra& extra : setup.extras) {
        if (extra.beforeUnit)
            addDevice(extra.vendorId, extra.productId, extra.serial);
    }
    const std::shared_ptr<SimulatedUnit> first = addUnit(setup.model, setup.serial);
    first->setOutput(setup.output);
    first->setImageFile(setup.imageFile);
    if (setup.start == BusSetup::Start::Unplugged)
        first->unplug();
    else if (setup.start == BusSetup::Start::Bootloader)
        first->enterBootloader();
    for (const BusSetup::Extra& extra : setup.extras) {
        if (!extra.beforeUnit)
            addDevice(extra.vendorId, extra.productId, extra.serial);
    }
    setOpenDenied(setup.openDenied);
    clearEvents();
}

void Bus::clear()
{
    std::vector<std::shared_ptr<Device>> removed;
    {
        std::lock_guard lock(m_mutex);
        removed.swap(m_devices);
    }
    for (const std::shared_ptr<Device>& device : removed) {
        device->detach();
        if (const auto unit = std::dynamic_pointer_cast<SimulatedUnit>(device))
            unit->shutdown();
    }
}

std::shared_ptr<SimulatedUnit> Bus::addUnit(Model model, const std::string& serial)
{
    const auto unit = std::make_shared<SimulatedUnit>(model, serial);
    attach(unit);
    return unit;
}

void Bus::addDevice(uint16_t vendorId, uint16_t productId, const std::string& serial)
{
    attach(std::make_shared<Device>(vendorId, productId, serial));
}

void Bus::attach(const std::shared_ptr<Device>& device)
{
    std::lock_guard lock(m_mutex);
    device->attach(&m_journal, "sim:" + std::to_string(m_nextPath++));
    m_devices.push_back(device);
}

std::shared_ptr<SimulatedUnit> Bus::unit(int index) const
{
    std::lock_guard lock(m_mutex);
    for (const std::shared_ptr<Device>& device : m_devices) {
        if (auto unit = std::dynamic_pointer_cast<SimulatedUnit>(device); unit && index-- == 0)
            return unit;
    }
    return nullptr;
}

void Bus::setOpenDenied(bool denied)
{
    std::lock_guard lock(m_mutex);
    m_openDenied = denied;
}

bool Bus::openDenied() const
{
    std::lock_guard lock(m_mutex);
    return m_openDenied;
}

std::vector<std::string> Bus::events() const
{
    return m_journal.events();
}

void Bus::clearEvents()
{
    m_journal.clearEvents();
}

void Bus::event(const std::string& text)
{
    m_journal.event(text);
}

// The event goes first, so whoever sees the effect finds the line traced.
bool Bus::control(const std::string& line)
{
    const std::string command = trimmed(line);
    const size_t blank = command.find(' ');
    const std::string word = command.substr(0, blank);
    const std::string argument = blank == std::string::npos ? "" : trimmed(command.substr(blank));
    Action action;
    if (word == "open-denied")
        action = switchAction(argument, [this](bool on) { setOpenDenied(on); });
    else if (const std::shared_ptr<SimulatedUnit> first = unit(0))
        action = unitAction(first, word, argument);
    event((action ? "control " : "control-rejected ") + command);
    if (action)
        action();
    return bool(action);
}

std::vector<std::shared_ptr<Device>> Bus::devices() const
{
    std::lock_guard lock(m_mutex);
    return m_devices;
}

void Bus::shutdown()
{
    if (m_control)
        m_control->stop();
    for (const std::shared_ptr<Device>& device : devices()) {
        if (const auto unit = std::dynamic_pointer_cast<SimulatedUnit>(device))
            unit->shutdown();
    }
}

} // namespace sim
