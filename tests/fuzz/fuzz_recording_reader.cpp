// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes handed to the recording reader as a file: reading the header,
// loading the first seconds and reading windows must neither crash nor read
// outside the file.
#include "app/helpers.h"
#include "recording/swapfile.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <unistd.h>

namespace {

constexpr int kLoadSeconds = 10;
constexpr int kSeries = SwapFile::kMaxPowerChannels + 1; // one more than any record holds

const QString& inputPath()
{
    static const QString path =
        QDir(QDir::tempPath()).filePath(QStringLiteral("fuzz_recording_reader_%1.ampora").arg(getpid()));
    return path;
}

SeriesList freshSeries()
{
    SeriesList series;
    for (int i = 0; i < kSeries; ++i)
        series.append(makeSeries());
    return series;
}

void readWindows(SwapFile& swap)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double centers[] = {0.0, 3.0, swap.endTime() - 5, swap.endTime() + 100, -50.0, 1e300, nan, inf};
    const double widths[] = {10.0, 0.0, 1e6, -1.0, nan};
    const SeriesList series = freshSeries();
    for (double center : centers)
        swap.readRange(center, 10.0, series);
    for (double width : widths)
        swap.readRangePower(swap.endTime() / 2, width, series);
}

void readAsRecording(const QString& path)
{
    SwapFile::readHeader(path);

    SwapFile loaded;
    loaded.setProgressShown(false);
    loaded.read(path, kLoadSeconds, freshSeries());
    readWindows(loaded);
    loaded.stop();

    SwapFile power;
    power.setProgressShown(false);
    power.readPower(path, kLoadSeconds, freshSeries());
    readWindows(power);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Helpers::powerMode = false;
    Helpers::power600Mode = false;
    QFile file(inputPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    readAsRecording(inputPath());
    QFile::remove(inputPath());
    return 0;
}
