// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace sim {

enum class Model;

// The bus at first use and after Bus::reset(), from the AMPORA_SIM_*
// variables of the process.
struct BusSetup
{
    struct Extra
    {
        uint16_t vendorId = 0;
        uint16_t productId = 0;
        std::string serial;
        bool beforeUnit = false;
    };
    enum class Start { Plugged, Unplugged, Bootloader };

    Model model;
    std::string serial;
    std::vector<Extra> extras;
    Start start = Start::Plugged;
    bool output = true;
    bool openDenied = false;
    std::string traceFile;
    std::string imageFile;
    std::string controlPath;

    static BusSetup fromEnvironment();
};

// Reads line commands from a FIFO on a thread of its own and hands each to
// the callback. The FIFO is created when missing.
class ControlChannel
{
public:
    ControlChannel(std::string path, std::function<void(const std::string&)> command);
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    void stop();

private:
    void run();
    void readFrom(int fd, std::string& pending);

    std::string m_path;
    std::function<void(const std::string&)> m_command;
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

} // namespace sim
