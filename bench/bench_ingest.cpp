// SPDX-License-Identifier: GPL-3.0-or-later
// A run as the user starts it, five channels at 1000 Hz with the simulated
// unit sending one sample record per millisecond (the USB link's full report
// rate), through the real main window. Prints:
//  - main-thread time per report, everything but the drawing itself (reads,
//    dispatch, decoding, series inserts, readouts, the 10 ms flush to the
//    swap file, replot requests), and its ratio to the 1 ms report period;
//  - the drawing: replots per second and their share of the main thread;
//  - the resident size at 30 s and at the end, and their difference;
//  - reports the simulator had to drop from its 30-report queue, and the
//    longest main-thread stall (the queue holds 30 ms at this rate).
//
//   QT_QPA_PLATFORM=offscreen bench_ingest [seconds]     default 180
#include "app/helpers.h"
#include "app/mainwindow.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "plot/glwidget.h"
#include "plot/powerplot.h"
#include "recording/powerpanel.h"
#include "sim/simulatedunit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
constexpr int kRows[] = {0, 1, 2, 3, 6};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Quenlor Ampora bench"));
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(35, atoi(argv[1])) : 180;

    // Update checks go to a closed port on this machine, never outside.
    Settings().setValue(QStringLiteral("Update/server"), QStringLiteral("https://127.0.0.1:9"));
    auto unit = sim::Bus::instance().unit();
    unit->setMaxSetsPerRecord(1);
    unit->setOutput(true);

    MainWindow window;
    window.resize(1200, 900);
    window.show();
    HidDevice* hid = HidDevice::device();
    hid->searchDevice(true);
    PowerPanel* panel = window.powerPanel();
    panel->responsePowerStatus(true);

    auto* table = panel->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    for (int row : kRows)
        table->item(row, 0)->setCheckState(Qt::Checked);
    auto* rates = panel->findChild<QComboBox*>(QStringLiteral("comboBoxSampleRate"));
    rates->setCurrentIndex(rates->findData(QStringLiteral("1000")));
    window.on_comboboxTimeAcivated(3); // no time limit

    // Longest gap between two ticks of a 1 ms timer: the longest stall.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestStall = 0;
    QTimer stallProbe;
    QObject::connect(&stallProbe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick)
            longestStall = std::max(longestStall, now - lastTick);
        lastTick = now;
    });

    qint64 reports = 0;
    QObject::connect(hid, &HidDevice::packetReceived, [&](quint8* data, int) {
        if (data[0] == 0x07 && data[2] < 32 && data[2] != 8)
            ++reports;
    });

    panel->findChild<QAbstractButton*>(QStringLiteral("btnStart"))->click();
    PowerPlot* plot = window.currentWidget()->plotter();
    double replotMs = 0;
    int replots = 0;
    double replotStart = 0;
    QObject::connect(plot, &QCustomPlot::beforeReplot, [&] { replotStart = threadCpuMs(); });
    QObject::connect(plot, &QCustomPlot::afterReplot, [&] {
        replotMs += threadCpuMs() - replotStart;
        ++replots;
    });

    const double cpuStart = threadCpuMs();
    double rss30 = 0;
    QTimer::singleShot(30000, [&] { rss30 = residentMb(); });
    QTimer::singleShot(5000, [&] { stallProbe.start(1); }); // after the start-up
    // exit, not quit: quit would close the window, which asks about the unsaved run.
    QTimer::singleShot(seconds * 1000, [] { QCoreApplication::exit(0); });
    app.exec();
    const double cpu = threadCpuMs() - cpuStart;
    const double rssEnd = residentMb();
    window.on_stopButton();
    window.currentWidget()->setSaved(true); // nothing to ask about at the close

    const double ingestNs = reports ? (cpu - replotMs) * 1e6 / reports : 0;
    std::printf("ingest, model 500, 5 channels at 1000 Hz, one record per ms, %d s through the main window\n", seconds);
    std::printf("  reports recorded            %lld (%.0f per s)\n", static_cast<long long>(reports),
                double(reports) / seconds);
    std::printf("  main thread per report      %.1f us without drawing; ratio to 1 ms: %.4f (goal <= 0.05)\n",
                ingestNs / 1e3, ingestNs / 1e6);
    std::printf("  drawing                     %d replots (%.1f per s), %.2f ms each, %.1f%% of the main thread\n",
                replots, replots / double(seconds), replots ? replotMs / replots : 0, 100 * replotMs / (seconds * 1e3));
    std::printf("  resident size               %.1f MB at 30 s, %.1f MB at %d s: +%.1f MB (goal within 20 MB)\n",
                rss30, rssEnd, seconds, rssEnd - rss30);
    std::printf("  reports dropped             %llu (goal 0)\n", static_cast<unsigned long long>(unit->droppedReports()));
    std::printf("  longest main-thread stall   %.1f ms (the queue holds 30 ms)\n", longestStall / 1e6);
    return 0;
}
