// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of reading a 10 s window back from a recording, which must not grow
// with the recording: a 20 MB and a 2 GB recording of five channels at
// 1000 Hz are written through SwapFile in the temporary folder, then a
// window at the start, the middle and the end of each is read repeatedly.
// Prints the median per window, the 2 GB / 20 MB ratio (goal <= 2) and the
// append rate. The files are deleted at the end.
//
//   bench_window [repeats]       default 50
#include "app/helpers.h"
#include "recording/swapfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kChannels = 5;
constexpr unsigned kMask = 0x1F;
constexpr int kRate = 1000;
constexpr short kPeriod = 10000 / kRate;
constexpr int kRecordBytes = 8 * (kChannels + 1);
constexpr int kBatchSeconds = 60; // one append per minute of recording
constexpr double kWindowSeconds = 10.0;
constexpr qint64 kSmallBytes = 20LL * 1000 * 1000;
constexpr qint64 kLargeBytes = 2LL * 1000 * 1000 * 1000;
constexpr qint64 kLargeNeedsFree = 3LL * 1000 * 1000 * 1000;

struct Timing
{
    double coldMs = 0;   // first read after the file's pages were dropped
    double medianMs = 0; // warm
};

struct Result
{
    bool done = false;
    double endTime = 0;
    double appendMBps = 0;
    std::vector<Timing> windows; // start, middle, end
};

SeriesList makeSeriesList()
{
    SeriesList list;
    for (int i = 0; i < kChannels; ++i)
        list.append(makeSeries());
    return list;
}

// Appends minute after minute as a run would, until the file holds bytes.
bool writeRecording(SwapFile& swap, const QString& path, qint64 bytes, double* mbps)
{
    if (!swap.create(path))
        return false;
    swap.setHeader(kChannels, kMask, false, kPeriod, false);
    const qint64 records = bytes / kRecordBytes;
    const qint64 perBatch = qint64(kBatchSeconds) * kRate;
    QElapsedTimer timer;
    timer.start();
    for (qint64 first = 0; first < records; first += perBatch) {
        const SeriesList batch = makeSeriesList();
        for (qint64 k = first; k < std::min(records, first + perBatch); ++k) {
            const double t = double(k) / kRate;
            for (int c = 0; c < kChannels; ++c)
                insertPoint(*batch[c], t, c + (k % 1000) * 0.001);
        }
        if (!swap.append(0, -1, batch, true))
            return false;
    }
    if (!swap.stop())
        return false;
    *mbps = double(records * kRecordBytes) / 1e6 / (timer.nsecsElapsed() / 1e9);
    return true;
}

void dropCachedPages(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

double readOnceMs(SwapFile& swap, double center)
{
    const SeriesList series = makeSeriesList();
    QElapsedTimer timer;
    timer.start();
    const bool ok = swap.readRange(center, kWindowSeconds, series);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!ok || series[0]->size() < int(kWindowSeconds * kRate))
        std::fprintf(stderr, "window at %.1f s came back short\n", center);
    return ms;
}

Timing timeWindow(SwapFile& swap, const QString& path, double center, int repeats)
{
    Timing timing;
    dropCachedPages(path);
    timing.coldMs = readOnceMs(swap, center);
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i)
        ms.push_back(readOnceMs(swap, center));
    std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
    timing.medianMs = ms[ms.size() / 2];
    return timing;
}

Result measure(const QString& path, qint64 bytes, int repeats)
{
    Result result;
    SwapFile swap;
    if (!writeRecording(swap, path, bytes, &result.appendMBps)) {
        std::fprintf(stderr, "writing %s failed\n", qPrintable(path));
        swap.remove();
        return result;
    }
    result.endTime = swap.endTime();
    const double half = kWindowSeconds / 2;
    for (double center : {half, result.endTime / 2, result.endTime - half})
        result.windows.push_back(timeWindow(swap, path, center, repeats));
    swap.remove();
    result.done = true;
    return result;
}

void print(const char* name, const Result& r)
{
    if (!r.done)
        return;
    std::printf("%-6s %8.0f s recorded, append %6.0f MB/s\n", name, r.endTime, r.appendMBps);
    const char* where[] = {"start", "middle", "end"};
    for (size_t i = 0; i < r.windows.size(); ++i)
        std::printf("       %-6s  median %7.3f ms   cold %7.3f ms\n", where[i], r.windows[i].medianMs,
                    r.windows[i].coldMs);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    QLoggingCategory::setFilterRules(QStringLiteral("ampora.swapfile.debug=false"));
    Helpers::power600Mode = true;

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    std::printf("10 s windows, %d channels at %d Hz, %d warm reads each, in %s\n", kChannels, kRate, repeats,
                qPrintable(dir.path()));
    const Result small = measure(dir.filePath(QStringLiteral("bench-20MB.ampora")), kSmallBytes, repeats);
    print("20 MB", small);

    const qint64 free = QStorageInfo(dir.path()).bytesAvailable();
    if (free < kLargeNeedsFree) {
        std::printf("2 GB   skipped: %.1f GB free in the temporary folder, 3 GB needed\n", free / 1e9);
        return small.done ? 0 : 1;
    }
    const Result large = measure(dir.filePath(QStringLiteral("bench-2GB.ampora")), kLargeBytes, repeats);
    print("2 GB", large);
    if (!small.done || !large.done)
        return 1;

    double worst = 0;
    for (size_t i = 0; i < small.windows.size(); ++i)
        worst = std::max(worst, large.windows[i].medianMs / small.windows[i].medianMs);
    std::printf("ratio 2 GB / 20 MB (median, worst window): %.2f   goal <= 2: %s\n", worst,
                worst <= 2 ? "met" : "MISSED");
    return 0;
}
