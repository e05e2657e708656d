// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: received reports through the main window's dispatch, with a
// power unit connected and, for inputs whose first byte is odd, a run active.
// The input is cut into 64-byte reports as the HID link hands them over.
#include "app/helpers.h"
#include "app/mainwindow.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "recording/powerpanel.h"
#include "sim/simulatedunit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTableWidget>

#include <cstring>

namespace {

// Both live to the end of the process and are never destroyed: Qt's own
// globals may already be gone by the time static destructors run.
QApplication* app = nullptr;
MainWindow* main = nullptr;

MainWindow* window()
{
    if (!main) {
        static int argc = 1;
        static char name[] = "fuzz_dispatch";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QCoreApplication::setApplicationName(QStringLiteral("Quenlor Ampora fuzz"));
        app = new QApplication(argc, argv);
        sim::Bus::instance().unit()->setSilent(true); // only the fuzzer talks
        // Update checks go to a closed port on this machine, never outside.
        Settings().setValue(QStringLiteral("Update/server"), QStringLiteral("https://127.0.0.1:9"));
        main = new MainWindow;
        HidDevice::device()->searchDevice(true);
        main->on_comboboxTimeAcivated(3); // no time limit
    }
    return main;
}

void startRun(MainWindow* main)
{
    main->closeAllTabs();
    PowerPanel* panel = main->powerPanel();
    panel->responsePowerStatus(true);
    auto* table = panel->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    for (int row : {0, 1, 4})
        table->item(row, 0)->setCheckState(Qt::Checked);
    panel->findChild<QAbstractButton*>(QStringLiteral("btnStart"))->click();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MainWindow* main = window();
    if (size > 0 && (data[0] & 1) && !Helpers::isMeasuring)
        startRun(main);
    for (size_t offset = 0; offset < size; offset += 64) {
        unsigned char report[64] = {};
        std::memcpy(report, data + offset, std::min<size_t>(64, size - offset));
        main->on_packetReceived(report, 64);
    }
    QCoreApplication::processEvents();
    return 0;
}
