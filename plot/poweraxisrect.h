// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <qcustomplot.h>

class PlotAxis;
class PowerPlot;

// The axis rect of a recording plot. A press on an axis drags that axis only
// (the time axis sideways, a value axis up and down, five times faster with
// Control held); a press anywhere else draws a rubber band that zooms on
// release. It receives presses over its axes too, since the library hands a
// layout element every press inside its outer rect.
class PowerAxisRect : public QCPAxisRect
{
    Q_OBJECT
public:
    // Bands this small in either direction are clicks, not zooms.
    static constexpr int kMinBandPixels = 18;
    static constexpr double kControlSpeed = 5;

    explicit PowerAxisRect(PowerPlot* plot);

    // Builds a PlotAxis on every side, laid out like the library's default
    // rect: bottom and left shown with grids, top and right hidden.
    void addDefaultAxes();
    // Adds an axis built on this rect, on the axes and grid layers.
    PlotAxis* addPlotAxis(PlotAxis* axis);

    // Pointer shape and the time-axis tooltip for a move with no band shown.
    void updatePointer(QMouseEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event, const QVariant& details) override;
    void mouseMoveEvent(QMouseEvent* event, const QPointF& startPos) override;
    void mouseReleaseEvent(QMouseEvent* event, const QPointF& startPos) override;

private:
    void dragTime(QMouseEvent* event, double speed);
    void dragValue(PlotAxis* axis, QMouseEvent* event, double speed);
    void zoomTo(const QRect& band);

    PowerPlot* m_plot;
    QPoint m_pressPos;
    bool m_dragReady = false;
    QCPRange m_dragStartTime;
    QCPRange m_dragStartValue;
};
