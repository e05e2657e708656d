// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plot/plotaxis.h"

#include <qcustomplot.h>

#include <QPointer>

class PowerAxisRect;
class QRubberBand;

// The plot of a recording tab: one PowerAxisRect whose axes are all PlotAxis,
// so range limits hold everywhere. It remembers the axis a press landed on,
// owns the zoom rubber band, and leaves the wheel to the receivers of
// mouseWheel (no zoom of its own).
class PowerPlot : public QCustomPlot
{
    Q_OBJECT
public:
    explicit PowerPlot(QWidget* parent = nullptr);

    PowerAxisRect* powerAxisRect() const { return m_axisRect; }
    // The bottom axis; time runs along it.
    PlotAxis* timeAxis() const;
    // The axis under the last press, or null when it landed elsewhere.
    PlotAxis* pressedAxis() const { return m_pressedAxis; }
    // The shown axis of the axis rect under pos, if any.
    PlotAxis* axisAt(const QPointF& pos) const;

    // Created on first use.
    QRubberBand* rubberBand();
    bool rubberBandShown() const;
    // A plot element accepted the current press and receives its moves.
    bool mouseHeld() const { return !mMouseEventLayerable.isNull(); }

signals:
    // A horizontal drag asked for this time range, which passes the time
    // axis's limits; the range was left as it was.
    void rangeBorderReached(double newLower, double newUpper);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    PowerAxisRect* m_axisRect;
    QPointer<PlotAxis> m_pressedAxis;
    QRubberBand* m_rubberBand = nullptr;
};
