// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's plot navigation: reading beyond the slice in memory,
// wheel zoom, axis resets and the value readout with its cursor line.
#include "app/mainwindow.h"

#include "app/helpers.h"
#include "app/popup.h"
#include "plot/axispower.h"
#include "plot/glwidget.h"
#include "plot/powerplot.h"
#include "plot/timeticks.h"
#include "protocol/channelinfo.h"
#include "recording/swapfile.h"

#include <QLabel>
#include <QtMath>

#include <cmath>

namespace {
constexpr double kWindowSeconds = 10;
constexpr double kMinimumReloadCentre = 5;

// A channel axis's limits are its channel's range (in Fahrenheit for the
// temperature axes of a Fahrenheit recording).
void resetToChannelLimits(AxisPower* axis)
{
    axis->setRange(axis->rangeMin(), axis->rangeMax());
}

QList<AxisPower*> channelAxes(QCPAxisRect* rect, QCPAxis::AxisType side)
{
    QList<AxisPower*> result;
    for (QCPAxis* axis : rect->axes(side)) {
        if (auto* power = qobject_cast<AxisPower*>(axis))
            result << power;
    }
    return result;
}
} // namespace

void MainWindow::on_rangeChanged(const QCPRange&, const QCPRange&, QCPAxis* _axis)
{
    QCustomPlot* plot = plotter();
    if (Helpers::powerMode || !plot)
        return;
    if (_axis == plot->xAxis && !Helpers::isMeasuring)
        requestReplot();
}

void MainWindow::on_rangeBorderReached(double new_lo, double new_up)
{
    PowerPlot* plot = currentWidget() ? currentWidget()->plotter() : nullptr;
    if (!plot)
        return;
    m_borderLow = new_lo;
    m_borderHigh = new_up;
    m_borderReached = true;
    const QCPRange current = plot->timeAxis()->range();
    qDebug().noquote() << "on_rangeBorderReached"
                       << QStringLiteral("cur[%1, %2] wd: %8 new[%3, %4] bord[%5, %6] center: %7")
                              .arg(current.lower)
                              .arg(current.upper)
                              .arg(new_lo)
                              .arg(new_up)
                              .arg(plot->timeAxis()->rangeMin())
                              .arg(plot->timeAxis()->rangeMax())
                              .arg((new_lo + new_up) / 2)
                              .arg(current.size());
}

void MainWindow::on_mouseRelease(QMouseEvent*)
{
    if (!m_borderReached)
        return;
    m_borderReached = false;
    GLWidget* widget = currentWidget();
    if (!widget || !widget->plotter())
        return;
    const double width = widget->plotter()->timeAxis()->range().size();
    double centre = width / 2;
    if (m_borderLow >= 0) {
        centre = std::max(kMinimumReloadCentre, (m_borderLow + m_borderHigh) / 2);
        QMutexLocker lock(&widget->mutex());
        widget->reset();
        widget->swapFile()->readRange(centre, m_viewSpan, widget->data());
    }
    adjustRanges(centre, width);
}

void MainWindow::adjustRanges(double centre, double width)
{
    GLWidget* widget = currentWidget();
    if (!widget || !widget->plotter())
        return;
    PowerPlot* plot = widget->plotter();
    const QCPRange span = widget->timeRange();
    PlotAxis* time = plot->timeAxis();
    time->setRangeMin(span.lower);
    time->setRangeMax(span.upper);
    const double half = width / 2;
    QCPRange range = span.upper < centre + half ? QCPRange(span.upper - width, span.upper)
                                                : QCPRange(centre - half, centre + half);
    if (range.lower < 0)
        range = QCPRange(0, width);
    time->setRange(range);
    resetChannelAxes(2);
    plot->replot();
}

// The first count right-side channel axes back to their channels' limits.
void MainWindow::resetChannelAxes(int count)
{
    QCustomPlot* plot = plotter();
    if (!plot)
        return;
    const QList<AxisPower*> right = channelAxes(plot->axisRect(), QCPAxis::atRight);
    for (int i = 0; i < std::min(count, int(right.size())); ++i)
        resetToChannelLimits(right[i]);
}

void MainWindow::on_mouseWheel(QWheelEvent* event)
{
    PowerPlot* plot = currentWidget() ? currentWidget()->plotter() : nullptr;
    if (!plot || !plot->interactions().testFlag(QCP::iRangeZoom))
        return;
    PlotAxis* axis = plot->axisAt(event->position());
    if (!axis)
        axis = plot->timeAxis();
    const bool horizontal = axis->orientation() == Qt::Horizontal;
    const double base = plot->axisRect()->rangeZoomFactor(axis->orientation());
    const double factor = std::pow(base, event->angleDelta().y() / 120.0);
    const double centre = axis->pixelToCoord(horizontal ? event->position().x() : event->position().y());
    axis->scaleRange(factor, centre);
    plot->replot();
}

void MainWindow::centreTimeWindow(double t)
{
    PowerPlot* plot = currentWidget() ? currentWidget()->plotter() : nullptr;
    if (!plot)
        return;
    const double lower = std::max(0.0, t - kWindowSeconds / 2);
    plot->timeAxis()->setRange(lower, lower + kWindowSeconds);
}

void MainWindow::on_axisDoubleClick(QCPAxis* axis, QCPAxis::SelectablePart, QMouseEvent* event)
{
    QCustomPlot* plot = plotter();
    if (!plot || !axis)
        return;
    if (axis == plot->xAxis)
        centreTimeWindow(axis->pixelToCoord(event->position().x()));
    else if (auto* channel = qobject_cast<AxisPower*>(axis))
        resetToChannelLimits(channel);
    plot->replot();
}

void MainWindow::on_plottableDoubleClick(QCPAbstractPlottable*, QMouseEvent*)
{
    resetChannelAxes(2);
    if (QCustomPlot* plot = plotter())
        plot->replot();
}

void MainWindow::on_zoom()
{
    QCustomPlot* plot = plotter();
    if (!plot)
        return;
    centreTimeWindow(plot->xAxis->pixelToCoord(plot->width() / 2.0));
    for (auto side : {QCPAxis::atLeft, QCPAxis::atRight}) {
        for (AxisPower* axis : channelAxes(plot->axisRect(), side))
            resetToChannelLimits(axis);
    }
    plot->replot();
}

void MainWindow::on_axisUnitChanged(QCPAxis* axis, int, QList<double>& mTickVector, QList<QString>& tickVectorLabels)
{
    PowerPlot* plot = currentWidget() ? currentWidget()->plotter() : nullptr;
    if (!plot || axis != plot->xAxis)
        return;
    if (TimeTicks::applyTimeTicks(plot->timeAxis(), mTickVector, tickVectorLabels))
        m_timePrecision = 3;
}

void MainWindow::on_mouseMove(QMouseEvent* event)
{
    GLWidget* widget = currentWidget();
    if (!widget || !widget->plotter() || Helpers::isMeasuring || (event->buttons() & Qt::LeftButton))
        return;
    const SeriesList& series = widget->data();
    if (series.isEmpty())
        return;
    PowerPlot* plot = widget->plotter();
    const double t = plot->xAxis->pixelToCoord(std::round(event->position().x()));
    if (std::isnan(t))
        return;

    // The sample nearest the pointer in the first series that has any; the
    // later one when both neighbours are as near.
    double time = -1;
    for (const Series& s : series) {
        if (s->isEmpty())
            continue;
        const double clamped = qBound(s->constBegin()->key, t, (s->constEnd() - 1)->key);
        auto after = s->findBegin(clamped, false);
        if (after == s->constEnd())
            --after;
        time = after->key;
        if (after != s->constBegin()) {
            const double before = (after - 1)->key;
            if (clamped - before < time - clamped)
                time = before;
        }
        break;
    }
    QList<double> values;
    for (const Series& s : series) {
        if (s->isEmpty()) {
            values << qQNaN();
            continue;
        }
        auto at = s->findBegin(time, false);
        values << (at != s->constEnd() && at->key == time ? at->value : 0.0);
    }
    showReadout(time, values);
    widget->moveCursorLine(time);
}

void MainWindow::showReadout(double time, const QList<double>& values)
{
    GLWidget* widget = currentWidget();
    SwapFile* swap = widget->swapFile();
    const QString timeText = time < 0 ? QString() : Helpers::timeToString(time, true, m_timePrecision);
    QString label = QStringLiteral("<font color=%1>Time: ").arg(QLatin1String(m_darkColor ? "white" : "black"))
                    + (time < 0 ? QStringLiteral("--") : timeText);
    QString popup = timeText + QStringLiteral("<br>");
    const QList<int>& order = swap->channelOrder();
    const bool storedFahrenheit = swap->header().temperatureScale == 1;
    for (int k = 0; k < std::min(order.size(), values.size()); ++k) {
        const int channel = order[k];
        const ChannelInfo info = ChannelInfo::getChannelInfo(static_cast<unsigned char>(channel));
        double value = values[k];
        QString unit = info.unit();
        if (channel == 4 || channel == 5) {
            if (Helpers::isFahrentheit) {
                unit = QStringLiteral("F");
                if (!storedFahrenheit)
                    value = value * 1.8 + 32;
            } else if (storedFahrenheit) {
                value = (value - 32) * 5 / 9;
            }
        }
        const QString part = QStringLiteral("#%1: %2%3").arg(channel).arg(value, 0, 'f', info.precision()).arg(unit);
        const QString font = QStringLiteral("<font color=%1>").arg(widget->getColor(channel, m_darkColor).name());
        label += font + QStringLiteral(", ") + part;
        popup += font + part + QStringLiteral("<br>");
    }
    m_readoutLabel->setText(label);
    m_popup->setPopupText(popup);
}
