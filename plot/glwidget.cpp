// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/glwidget.h"

#include "app/helpers.h"
#include "app/settings.h"
#include "plot/axispower.h"
#include "plot/plotaxis.h"
#include "plot/poweraxisrect.h"
#include "plot/powerplot.h"
#include "protocol/channelinfo.h"
#include "protocol/filter.h"
#include "recording/swapfile.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
const QColor kChannelColours[] = {
    QColor(0xff, 0x00, 0x00), QColor(0x00, 0xff, 0x00), QColor(0x00, 0x00, 0xff), QColor(0xff, 0x00, 0xff),
    QColor(0x00, 0x80, 0x00), QColor(0xf6, 0x72, 0x09), QColor(0xeb, 0x31, 0x2b), QColor(0x00, 0x80, 0x80),
};
constexpr int kColourCount = int(sizeof kChannelColours / sizeof kChannelColours[0]);

// The cursor line moves with every mouse move; on a buffered layer of its
// own it is redrawn without redrawing the graphs.
const QString kCursorLayer = QStringLiteral("cursor");
const QColor kTitleColour(0xa0, 0xa0, 0xa4);
constexpr int kTitlePointSize = 10;

QCPLayer* cursorLayer(QCustomPlot* plot)
{
    if (QCPLayer* layer = plot->layer(kCursorLayer))
        return layer;
    plot->addLayer(kCursorLayer, plot->layer(QStringLiteral("main")), QCustomPlot::limAbove);
    QCPLayer* layer = plot->layer(kCursorLayer);
    layer->setMode(QCPLayer::lmBuffered);
    return layer;
}

void styleValueAxis(AxisPower* axis, const ChannelInfo& info, const QString& label, const QColor& colour)
{
    axis->setRangeMin(info.lower());
    axis->setRangeMax(info.upper());
    axis->setRange(info.lower(), info.upper());
    Helpers::setAxisColor(axis, colour);
    axis->setLabel(label);
    axis->setTickLabelRotation(-90);
    axis->ticker()->setTickCount(10);
    axis->plotTicker()->setSubTickCount(5);
    axis->setTickLength(8, 0);
    axis->setSubTickLength(4, 0);
    axis->setNumberPrecision(info.precision());
    axis->setVisible(true);
}
} // namespace

GLWidget::GLWidget(QWidget* parent)
    : QWidget(parent)
    , m_swapFile(new SwapFile(this))
{
}

GLWidget::GLWidget(PowerPlot* plot, QWidget* parent)
    : GLWidget(parent)
{
    setPlotter(plot);
}

GLWidget::~GLWidget()
{
    // The plot goes first, while the lambdas its axes are connected to can
    // still reach this widget.
    delete m_plotter;
    if (!m_saved && !m_swapFile->fileName().isEmpty())
        m_swapFile->remove();
}

void GLWidget::configurePlot(PowerPlot* plot, const QColor& background)
{
    plot->setAutoAddPlottableToLegend(false);
    PlotAxis* time = plot->timeAxis();
    time->setLabel(Helpers::timeFormat == 2 ? QCoreApplication::translate("MainWindow", "Time")
                                            : QCoreApplication::translate("MainWindow", "Time, sec"));
    time->setRange(0, 10);
    time->setNumberPrecision(8);
    time->ticker()->setTickCount(8);
    time->setTickLength(8, 0);
    time->setSubTickLength(4, 0);
    QFont font = time->labelFont();
    font.setWeight(QFont::Bold);
    time->setLabelFont(font);
    Helpers::setPlotterColor(plot, background);
}

void GLWidget::setPlotter(PowerPlot* plot)
{
    if (m_plotter) {
        m_plotter->hide();
        m_plotter->setEnabled(false);
    }
    m_plotter = plot;
    m_plotter->setEnabled(true);
    m_plotter->show();
}

void GLWidget::addChannels(const QList<int>& channels)
{
    if (!m_plotter)
        return;
    m_data.clear();
    removeChannelGraphs();
    const bool dark = Settings().value(QStringLiteral("Options/dark-color"), false).toBool();
    int ordinal = 0;
    for (int channel = 0; channel < ChannelInfo::channelCount(); ++channel) {
        if (!channels.contains(channel))
            continue;
        addPowerChannel(channel, ordinal++, dark);
        FilterArray::setFilter(channel, FilterMedian());
    }
    addCursorLine();
    emit channelsAdded();
}

void GLWidget::removeChannelGraphs()
{
    m_plotter->clearGraphs();
    PowerAxisRect* rect = m_plotter->powerAxisRect();
    for (QCPAxis* axis : rect->axes()) {
        if (qobject_cast<AxisPower*>(axis))
            rect->removeAxis(axis);
    }
}

void GLWidget::addPowerChannel(int channel, int ordinal, bool dark)
{
    const ChannelInfo info = ChannelInfo::getChannelInfo(static_cast<unsigned char>(channel));
    const QColor colour = getColor(channel, dark);
    const QString name = QStringLiteral("#%1: %2").arg(channel).arg(info.name());

    PowerAxisRect* rect = m_plotter->powerAxisRect();
    auto* axis = new AxisPower(rect, ordinal % 2 == 0 ? QCPAxis::atRight : QCPAxis::atLeft, channel);
    rect->addPlotAxis(axis);
    styleValueAxis(axis, info, name + QStringLiteral(", ") + info.unit(), colour);
    connect(axis, qOverload<const QCPRange&, const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this, axis](const QCPRange& newRange, const QCPRange& oldRange) {
                emit axisRangeChanged(newRange, oldRange, axis);
            });

    QCPGraph* graph = m_plotter->addGraph(m_plotter->xAxis, axis);
    graph->setPen(QPen(colour));
    graph->setName(name);
    // Long windows are drawn from a few points per pixel column.
    graph->setAdaptiveSampling(true);
    const Series series = makeSeries();
    m_data.append(series);
    graph->setData(series);
}

QColor GLWidget::getColor(int channel, bool) const
{
    // The model 600's second USB block (8 and up) repeats the colours of the first eight.
    return channel < 0 ? kChannelColours[0] : kChannelColours[channel % kColourCount];
}

void GLWidget::addCursorLine()
{
    QCPAxis* cursorAxis = m_plotter->yAxis;
    cursorAxis->setVisible(false);
    cursorAxis->setRange(0, 1);
    QCPGraph* cursor = m_plotter->addGraph(m_plotter->xAxis, cursorAxis);
    cursor->setPen(QPen(Qt::black));
    cursor->setLayer(cursorLayer(m_plotter));
    cursor->setVisible(true);
}

void GLWidget::moveCursorLine(double t)
{
    QCPGraph* cursor = m_plotter->graphCount() > 0 ? m_plotter->graph(m_plotter->graphCount() - 1) : nullptr;
    if (!cursor)
        return;
    QCPGraphDataContainer& points = *cursor->data();
    points.clear();
    points.add(QCPGraphData(t, 0));
    points.add(QCPGraphData(t, 1));
    cursor->layer()->replot();
}

void GLWidget::addTitle()
{
    if (!m_plotter)
        return;
    if (m_title)
        m_plotter->removeItem(m_title);
    const QString text = titleText(m_swapFile->header(), m_swapFile->channelOrder(), m_swapFile->endTime());
    if (!text.isEmpty())
        showTitle(text);
}

QString GLWidget::titleText(const SwapFileHeader& header, const QList<int>& channelOrder, double endTime)
{
    if (header.channelMask == 0)
        return QString();
    QString channels;
    for (int channel : channelOrder)
        channels += QStringLiteral("#%1, ").arg(channel);
    const int period = header.period;
    QString text;
    if (Helpers::powerMode || Helpers::power600Mode)
        text = tr("Channels: %1 Sample rate: %2 Hz").arg(channels).arg(period > 0 ? 10000 / period : 0);
    else
        text = tr("Channels: %1 Sample rate: %2%3")
                   .arg(channels)
                   .arg(period)
                   .arg(Helpers::sampleRateToFQString(period));
    if (endTime != 0)
        text += tr(", Measurement time: %3").arg(Helpers::timeToString(endTime, true, 2));
    return text;
}

void GLWidget::showTitle(const QString& text)
{
    auto* title = new QCPItemText(m_plotter);
    title->setObjectName(QStringLiteral("measurementTitle"));
    title->setColor(kTitleColour);
    title->setPen(Qt::NoPen);
    title->setText(text);
    // Centred on the axis rect's top edge, and staying there when the page is resized.
    title->position->setType(QCPItemPosition::ptAxisRectRatio);
    title->position->setAxisRect(m_plotter->axisRect());
    title->position->setCoords(0.5, 0);
    title->setPositionAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QFont font = title->font();
    font.setWeight(QFont::Bold);
    font.setPointSize(kTitlePointSize);
    title->setFont(font);
    title->setVisible(true);
    m_title = title;
}

void GLWidget::adjustAxisName(const QList<int>& channels, bool fahrenheit)
{
    if (!fahrenheit || !m_plotter || !(channels.contains(4) || channels.contains(5)))
        return;
    const QList<QCPAxis*> axes = m_plotter->powerAxisRect()->axes();
    for (int channel : channels) {
        if (channel != 4 && channel != 5)
            continue;
        const ChannelInfo info = ChannelInfo::getChannelInfo(static_cast<unsigned char>(channel));
        const double lower = 1.8 * info.lower() + 32;
        const double upper = 1.8 * info.upper() + 32;
        for (QCPAxis* a : axes) {
            auto* axis = qobject_cast<AxisPower*>(a);
            if (!axis || axis->channel() != channel)
                continue;
            QString label = axis->label();
            label.chop(1);
            axis->setLabel(label + QLatin1Char('F'));
            axis->setRangeMin(lower);
            axis->setRangeMax(upper);
            axis->setRange(lower, upper);
        }
    }
}

QCPRange GLWidget::timeRange() const
{
    for (const Series& series : m_data) {
        if (!series->isEmpty())
            return QCPRange(series->constBegin()->key, (series->constEnd() - 1)->key);
    }
    return QCPRange(0, 0);
}

bool GLWidget::isEmpty() const
{
    return std::all_of(m_data.cbegin(), m_data.cend(), [](const Series& series) { return series->isEmpty(); });
}

void GLWidget::reset()
{
    for (const Series& series : m_data)
        series->clear();
}

void GLWidget::repaint()
{
    if (m_plotter)
        m_plotter->replot(QCustomPlot::rpRefreshHint);
    QWidget::repaint();
}
