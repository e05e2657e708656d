// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <qcustomplot.h>

#include <QList>
#include <QSharedPointer>

#include <algorithm>

// One recorded channel: points ordered by time in seconds. The plot's graph
// shares the container with the tab that owns it, so filling a series needs
// no copy and no hand-over to the plot.
using Series = QSharedPointer<QCPGraphDataContainer>;
using SeriesList = QList<Series>;

inline Series makeSeries()
{
    return Series::create();
}

// Inserts the point (time, value); a point already at exactly that time is
// replaced. Appending in time order, the common case, is amortised O(1).
inline void insertPoint(QCPGraphDataContainer& series, double time, double value)
{
    if (series.isEmpty() || time > (series.constEnd() - 1)->key) {
        series.add(QCPGraphData(time, value));
        return;
    }
    auto it = std::lower_bound(series.begin(), series.end(), QCPGraphData(time, 0),
                               qcpLessThanSortKey<QCPGraphData>);
    if (it != series.end() && it->key == time)
        it->value = value;
    else
        series.add(QCPGraphData(time, value));
}
