// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plot/plotaxis.h"

// The value axis of one channel's graph. It carries the channel number so the
// navigation code can reset it to the channel's limits and find the
// temperature axes.
class AxisPower : public PlotAxis
{
    Q_OBJECT
public:
    AxisPower(QCPAxisRect* parent, AxisType type, int channel = 0)
        : PlotAxis(parent, type)
        , m_channel(channel)
    {
    }

    int channel() const { return m_channel; }
    void setChannel(int channel) { m_channel = channel; }

private:
    int m_channel;
};
