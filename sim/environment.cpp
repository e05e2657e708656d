// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/environment.h"

#include "sim/simulatedunit.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr int kPollMs = 100;   // how long shutdown may wait for the control thread

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// "vid:pid:serial" with hexadecimal ids, "^" in front to list it before the unit.
bool parseExtra(std::string item, BusSetup::Extra& extra)
{
    extra.beforeUnit = !item.empty() && item[0] == '^';
    if (extra.beforeUnit)
        item.erase(0, 1);
    const size_t first = item.find(':');
    const size_t second = item.find(':', first == std::string::npos ? first : first + 1);
    if (second == std::string::npos)
        return false;
    char* end = nullptr;
    extra.vendorId = uint16_t(std::strtoul(item.substr(0, first).c_str(), &end, 16));
    extra.productId = uint16_t(std::strtoul(item.substr(first + 1, second - first - 1).c_str(), &end, 16));
    extra.serial = item.substr(second + 1);
    return true;
}

std::vector<BusSetup::Extra> parseExtras(const std::string& list)
{
    std::vector<BusSetup::Extra> extras;
    std::istringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        BusSetup::Extra extra;
        if (parseExtra(item, extra))
            extras.push_back(extra);
    }
    return extras;
}

} // namespace

BusSetup BusSetup::fromEnvironment()
{
    BusSetup setup;
    setup.model = variable("AMPORA_SIM_MODEL") == "600" ? Model::Power600 : Model::Power500;
    setup.serial = variable("AMPORA_SIM_SERIAL");
    if (setup.serial.empty())
        setup.serial = setup.model == Model::Power600 ? "500300000001" : "500200000001";
    setup.extras = parseExtras(variable("AMPORA_SIM_EXTRA"));
    const std::string start = variable("AMPORA_SIM_START");
    if (start == "unplugged")
        setup.start = Start::Unplugged;
    else if (start == "bootloader")
        setup.start = Start::Bootloader;
    setup.output = variable("AMPORA_SIM_OUTPUT") != "off";
    setup.openDenied = variable("AMPORA_SIM_OPEN_DENIED") == "1";
    setup.traceFile = variable("AMPORA_SIM_TRACE");
    setup.imageFile = variable("AMPORA_SIM_IMAGE");
    setup.controlPath = variable("AMPORA_SIM_CONTROL");
    return setup;
}

ControlChannel::ControlChannel(std::string path, std::function<void(const std::string&)> command)
    : m_path(std::move(path)), m_command(std::move(command))
{
    ::mkfifo(m_path.c_str(), 0600);
    m_thread = std::thread(&ControlChannel::run, this);
}

ControlChannel::~ControlChannel()
{
    stop();
}

void ControlChannel::stop()
{
    m_quit = true;
    if (m_thread.joinable())
        m_thread.join();
}

// Opened for writing too, so the FIFO never reports end-of-file between
// two writers. Anything but a FIFO at the path is left alone.
void ControlChannel::run()
{
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode))
        return;
    std::string pending;
    while (!m_quit) {
        const int fd = ::open(m_path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return;
        readFrom(fd, pending);
        ::close(fd);
    }
}

void ControlChannel::readFrom(int fd, std::string& pending)
{
    pollfd watched{fd, POLLIN, 0};
    while (!m_quit) {
        if (::poll(&watched, 1, kPollMs) <= 0)
            continue;
        char buffer[256];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0)
            return;
        if (count < 0)
            continue;
        pending.append(buffer, size_t(count));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            m_command(pending.substr(0, end));
    }
}

} // namespace sim
