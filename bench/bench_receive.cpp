// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the receive path per report: the HID read, the hand-over through
// packetReceived and the decoding of a sample record into values, fed by the
// simulated unit at the USB link's full report rate (one report per ms).
//
//   bench_receive [seconds]      default 5
#include "app/helpers.h"
#include "device/hiddevice.h"
#include "protocol/channelinfo.h"
#include "protocol/measure.h"
#include "protocol/powerchannels.h"
#include "sim/simulatedunit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kRate = 1000;
const QList<int> kChannels{0, 1, 2, 3, 6};
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    auto unit = sim::Bus::instance().unit();
    unit->setMaxSetsPerRecord(1);
    Helpers::powerMode = true;
    createDefaultsPower(false);

    HidDevice* hid = HidDevice::device();
    if (!hid->searchDevice(true)) {
        std::fprintf(stderr, "the simulated unit was not found\n");
        return 1;
    }
    // The bench polls itself so it can time each read step.
    for (QTimer* timer : hid->findChildren<QTimer*>())
        timer->stop();

    qint64 reports = 0;
    double checksum = 0;
    QObject::connect(hid, &HidDevice::packetReceived, [&](quint8* data, int length) {
        const MeasurePower record(Packet(data, length));
        if (!Descriptors::isPowerSample(record.at(2)))
            return;
        const auto values = record.decode(kChannels, false);
        checksum += values.value(0).value(0);
        ++reports;
    });

    qint64 busyNs = 0;
    qint64 idleNs = 0;
    qint64 longestNs = 0;
    QElapsedTimer step;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const qint64 before = reports;
        step.start();
        hid->hidRead();
        const qint64 ns = step.nsecsElapsed();
        (reports > before ? busyNs : idleNs) += ns;
        longestNs = std::max(longestNs, ns);
    });

    QString command = QStringLiteral("LOG%1C").arg(kRate);
    for (int channel : kChannels)
        command += QString::number(channel, 16).toUpper();
    hid->sendCommand(command + QLatin1Char('\n'));
    poll.start(HidDevice::kReadPeriodMs);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    hid->sendCommand(QStringLiteral("LOGSTOP\n"));

    const double nsPerReport = reports ? double(busyNs) / reports : 0;
    std::printf("receive path, model 500, %d Hz, channels 0 1 2 3 6, one sample set per report, %d s\n",
                kRate, seconds);
    std::printf("  reports decoded        %lld (%.0f per s)\n", static_cast<long long>(reports),
                double(reports) / seconds);
    std::printf("  reports dropped        %llu (simulator queue of %zu)\n",
                static_cast<unsigned long long>(unit->droppedReports()), sim::Device::kQueueLimit);
    std::printf("  time per report        %.0f ns (read + hand-over + decode)\n", nsPerReport);
    std::printf("  ratio to 1 ms period   %.4f\n", nsPerReport / 1e6);
    std::printf("  empty polls, total     %.1f ms\n", idleNs / 1e6);
    std::printf("  longest read step      %.1f us\n", longestNs / 1e3);
    std::printf("  (checksum %.1f)\n", checksum);
    delete hid;
    return 0;
}
