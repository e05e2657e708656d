// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/timeticks.h"

#include "app/helpers.h"
#include "plot/plotaxis.h"

#include <algorithm>
#include <cmath>

namespace {

// Range sizes and positions are counted in 100 us units.
constexpr double kUnitsPerSecond = 10000;
// A span this wide (about 29 million years) cannot be a recording; refusing
// it keeps the unsigned arithmetic below in range.
constexpr double kMaxUnits = 9e18;
// Far more than any refinement produces; guards a replot against a runaway
// loop should the range be unusual.
constexpr int kMaxTicks = 100000;

// One row of the rounding table: sizes up to upTo are rounded down to a
// multiple of roundTo, and the candidate steps are coarse, coarse / 2 and
// coarse / 10, written as literals so that later exact comparisons hold.
struct StepRow
{
    quint64 upTo;
    quint64 roundTo;
    double coarse, half, tenth;
};

constexpr StepRow kStepRows[] = {
    {10, 1, 0.0001, 0.00005, 0.00001},
    {100, 10, 0.001, 0.0005, 0.0001},
    {1000, 100, 0.01, 0.005, 0.001},
    {10000, 1000, 0.1, 0.05, 0.01},
    {100000, 10000, 1, 0.5, 0.1},
    {1000000, 100000, 10, 5, 1},
    {10000000, 1000000, 100, 50, 10},
    {100000000, 10000000, 1000, 500, 100},
    {1000000000, 100000000, 10000, 5000, 1000},
    {~quint64(0), 1000000000, 100000, 50000, 10000},
};

const StepRow& stepRow(quint64 size)
{
    for (const StepRow& row : kStepRows) {
        if (size <= row.upTo)
            return row;
    }
    return kStepRows[std::size(kStepRows) - 1];
}

bool isVisible(double tick, const QCPRange& range)
{
    return tick >= range.lower && tick <= range.upper;
}

// Index of the first visible tick and of the last one; first > last when none is.
std::pair<int, int> visibleBounds(const QList<double>& ticks, const QCPRange& range)
{
    const auto first = std::lower_bound(ticks.cbegin(), ticks.cend(), range.lower);
    const auto end = std::upper_bound(first, ticks.cend(), range.upper);
    return {int(first - ticks.cbegin()), int(end - ticks.cbegin()) - 1};
}

int visibleSpan(const QList<double>& ticks, const QCPRange& range)
{
    const auto [first, last] = visibleBounds(ticks, range);
    return last - first;
}

void buildTicks(double start, double step, double upper, QList<double>& ticks)
{
    ticks.clear();
    for (int i = 0; i < kMaxTicks; ++i) {
        const double tick = start + i * step;
        ticks.append(tick);
        if (tick > upper)
            return;
    }
}

void trimToVisible(const QCPRange& range, QList<double>& ticks, QList<QString>& labels,
                   QMap<int, QString>& majors)
{
    const auto [first, last] = visibleBounds(ticks, range);
    const int kept = qMax(0, last - first + 1);
    if (first == 0 && kept == ticks.size())
        return;
    ticks.remove(first + kept, ticks.size() - first - kept);
    ticks.remove(0, first);
    labels.remove(first + kept, labels.size() - first - kept);
    labels.remove(0, first);
    // Majors are keyed by tick index, so they move with the ticks.
    QMap<int, QString> shifted;
    for (auto it = majors.cbegin(); it != majors.cend(); ++it) {
        if (it.key() == -1)
            shifted.insert(-1, it.value());
        else if (it.key() >= first && it.key() < first + kept)
            shifted.insert(it.key() - first, it.value());
    }
    majors.swap(shifted);
}

} // namespace

namespace TimeTicks {

void calcTickPositions(const QCPRange& range, QList<double>& ticks, double& step)
{
    ticks.clear();
    step = 0;
    const double sizeUnits = range.size() * kUnitsPerSecond;
    if (!(sizeUnits >= 0 && sizeUnits < kMaxUnits && range.upper * kUnitsPerSecond < kMaxUnits))
        return;
    quint64 b = quint64(sizeUnits);
    // The unsigned count cannot start before zero; the time axis never does.
    quint64 lower = quint64(qMax(0.0, range.lower) * kUnitsPerSecond);
    const StepRow& row = stepRow(b);
    if (row.roundTo == 1) {
        b = qMax<quint64>(b, 1);
        lower -= lower % 10;
    } else {
        b -= b % row.roundTo;
        if (row.upTo == kStepRows[std::size(kStepRows) - 1].upTo)
            lower -= lower % 10000000000ULL;
    }
    const double start = double(b * (lower / b)) / kUnitsPerSecond;

    for (double candidate : {row.coarse, row.half}) {
        buildTicks(start, candidate, range.upper, ticks);
        if (visibleSpan(ticks, range) > 5) {
            step = candidate;
            return;
        }
    }
    buildTicks(start, row.tenth, range.upper, ticks);
    step = row.tenth;
}

int subTickCount(double step)
{
    for (double decimal : {0.001, 0.01, 0.1, 1.0, 10.0, 100.0, 1000.0, 10000.0}) {
        if (step == decimal)
            return 9;
    }
    return 4;
}

void fillSubTicks(const QList<double>& ticks, int perInterval, const QCPRange& range,
                  QList<double>& subTicks)
{
    subTicks.clear();
    for (int i = 0; i + 1 < ticks.size(); ++i) {
        const double from = ticks.at(i);
        const double to = ticks.at(i + 1);
        if (!isVisible(from, range) && !isVisible(to, range))
            continue;
        const double gap = (to - from) / (perInterval + 1);
        for (int k = 1; k <= perInterval; ++k) {
            const double subTick = from + k * gap;
            if (isVisible(subTick, range))
                subTicks.append(subTick);
        }
    }
}

bool applyTimeTicks(PlotAxis* axis, QList<double>& ticks, QList<QString>& labels)
{
    const QCPRange range = axis->range();
    double step = 0;
    calcTickPositions(range, ticks, step);
    labels.clear();
    QMap<int, QString>& majors = axis->majorLabels();
    majors.clear();
    if (ticks.size() <= 1) {
        ticks.clear();
        axis->subTickVector().clear();
        return false;
    }
    Helpers::timeToLabels(step, ticks, labels, majors);
    fillSubTicks(ticks, subTickCount(step), range, axis->subTickVector());
    trimToVisible(range, ticks, labels, majors);
    axis->setLabel(QString());
    return true;
}

} // namespace TimeTicks
