// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/poweraxisrect.h"

#include "plot/plotaxis.h"
#include "plot/powerplot.h"

#include <QRubberBand>
#include <QToolTip>

PowerAxisRect::PowerAxisRect(PowerPlot* plot)
    : QCPAxisRect(plot, false)
    , m_plot(plot)
{
}

void PowerAxisRect::addDefaultAxes()
{
    PlotAxis* bottom = addPlotAxis(new PlotAxis(this, QCPAxis::atBottom));
    PlotAxis* left = addPlotAxis(new PlotAxis(this, QCPAxis::atLeft));
    PlotAxis* top = addPlotAxis(new PlotAxis(this, QCPAxis::atTop));
    PlotAxis* right = addPlotAxis(new PlotAxis(this, QCPAxis::atRight));
    setRangeDragAxes(bottom, left);
    setRangeZoomAxes(bottom, left);
    for (PlotAxis* hidden : {top, right}) {
        hidden->setVisible(false);
        hidden->grid()->setVisible(false);
        hidden->grid()->setZeroLinePen(Qt::NoPen);
    }
}

PlotAxis* PowerAxisRect::addPlotAxis(PlotAxis* axis)
{
    addAxis(axis->axisType(), axis);
    axis->setLayer(QStringLiteral("axes"));
    axis->grid()->setLayer(QStringLiteral("grid"));
    return axis;
}

void PowerAxisRect::updatePointer(QMouseEvent* event)
{
    PlotAxis* over = m_plot->axisAt(event->position());
    if (!over) {
        m_plot->setCursor(Qt::ArrowCursor);
        return;
    }
    const bool time = over == m_plot->timeAxis();
    if (event->modifiers() == Qt::ControlModifier)
        m_plot->setCursor(time ? Qt::PointingHandCursor : Qt::SizeVerCursor);
    else
        m_plot->setCursor(m_plot->mouseHeld() ? Qt::ClosedHandCursor : Qt::PointingHandCursor);
    if (time)
        QToolTip::showText(event->globalPosition().toPoint(),
                           tr("Use mouse to move time window left and right. Use mouse wheel to zoom in or "
                              "zoom out the time window displayed"),
                           m_plot);
}

void PowerAxisRect::mousePressEvent(QMouseEvent* event, const QVariant&)
{
    m_pressPos = event->position().toPoint();
    PlotAxis* pressed = m_plot->pressedAxis();
    if (pressed) {
        m_plot->setCursor(pressed == m_plot->timeAxis() ? Qt::PointingHandCursor : Qt::SizeVerCursor);
    } else {
        m_plot->rubberBand()->setGeometry(QRect(m_pressPos, QSize(1, 1)));
        m_plot->rubberBand()->show();
        m_plot->setCursor(Qt::CrossCursor);
    }
    m_dragReady = mParentPlot->interactions().testFlag(QCP::iRangeDrag) && m_plot->timeAxis();
    if (m_dragReady) {
        m_dragStartTime = m_plot->timeAxis()->range();
        m_dragStartValue = pressed ? pressed->range() : QCPRange();
    }
}

void PowerAxisRect::mouseMoveEvent(QMouseEvent* event, const QPointF&)
{
    if (m_plot->rubberBandShown()) {
        m_plot->rubberBand()->setGeometry(QRect(m_pressPos, event->position().toPoint()).normalized());
        return;
    }
    PlotAxis* pressed = m_plot->pressedAxis();
    if (!m_dragReady || !pressed || !(event->buttons() & Qt::LeftButton))
        return;
    const double speed = event->modifiers() == Qt::ControlModifier ? kControlSpeed : 1;
    const bool time = pressed == m_plot->timeAxis();
    if (time && rangeDrag().testFlag(Qt::Horizontal))
        dragTime(event, speed);
    else if (!time && pressed->orientation() == Qt::Vertical && rangeDrag().testFlag(Qt::Vertical))
        dragValue(pressed, event, speed);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void PowerAxisRect::dragTime(QMouseEvent* event, double speed)
{
    PlotAxis* time = m_plot->timeAxis();
    const double shift = (time->pixelToCoord(m_pressPos.x()) - time->pixelToCoord(event->position().x())) * speed;
    const double lower = m_dragStartTime.lower + shift;
    const double upper = m_dragStartTime.upper + shift;
    // Past the slice in memory the window stays; the receiver reads the
    // requested slice from the recording file on release.
    if (lower < time->rangeMin() || upper > time->rangeMax()) {
        emit m_plot->rangeBorderReached(lower, upper);
        return;
    }
    time->setRange(lower, upper);
}

void PowerAxisRect::dragValue(PlotAxis* axis, QMouseEvent* event, double speed)
{
    const double shift = (axis->pixelToCoord(m_pressPos.y()) - axis->pixelToCoord(event->position().y())) * speed;
    const double lower = m_dragStartValue.lower + shift;
    const double upper = m_dragStartValue.upper + shift;
    if (lower < axis->rangeMin() || upper > axis->rangeMax())
        return;
    axis->setRange(lower, upper);
}

void PowerAxisRect::mouseReleaseEvent(QMouseEvent*, const QPointF&)
{
    if (!m_plot->rubberBandShown())
        return;
    QRubberBand* band = m_plot->rubberBand();
    band->hide();
    const QRect r = band->geometry();
    if (r.right() - r.left() > kMinBandPixels && r.bottom() - r.top() > kMinBandPixels)
        zoomTo(r);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
    m_plot->setCursor(Qt::ArrowCursor);
}

void PowerAxisRect::zoomTo(const QRect& band)
{
    // Hidden axes keep their range: the cursor line's axis must keep 0..1.
    for (QCPAxis* axis : axes()) {
        auto* plotAxis = qobject_cast<PlotAxis*>(axis);
        if (!plotAxis || axis->axisType() == QCPAxis::atTop || !axis->visible())
            continue;
        if (axis->orientation() == Qt::Horizontal)
            plotAxis->setRange(axis->pixelToCoord(band.left()), axis->pixelToCoord(band.right()));
        else
            plotAxis->setRange(axis->pixelToCoord(band.bottom()), axis->pixelToCoord(band.top()));
    }
}
