// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class PlotAxis;
class QCPRange;

// Ticks of the time axis: steps that are round in seconds or milliseconds,
// with labels that count from the last major tick. Pure functions of the
// range; they run on every replot, so they are linear in the tick count and
// reuse the vectors they are given.
namespace TimeTicks {

// Fills ticks from a round start at or below the range's lower end up to the
// first tick past its upper end, and returns the step in seconds; the step is
// refined until at least seven ticks are visible.
void calcTickPositions(const QCPRange& range, QList<double>& ticks, double& step);

// Sub-ticks per interval: nine for decimal steps, four for halved ones.
int subTickCount(double step);

// perInterval sub-ticks evenly between adjacent ticks, for the intervals that
// touch a visible tick; only those inside the range are kept.
void fillSubTicks(const QList<double>& ticks, int perInterval, const QCPRange& range,
                  QList<double>& subTicks);

// Replaces the axis's number ticks and labels by time ticks, time labels,
// sub-ticks and the second-row majors, trimmed to the visible range. Meant
// for a receiver of PlotAxis::axisUnitChanged on the time axis, which hands
// over the axis's own vectors. Returns false when the range yields no more
// than one tick; the axis then keeps no ticks.
bool applyTimeTicks(PlotAxis* axis, QList<double>& ticks, QList<QString>& labels);

} // namespace TimeTicks
