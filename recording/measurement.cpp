// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's recording tabs and measurement runs: starting a run,
// time-stamping and storing its samples, and every way it ends.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/colorsagent.h"
#include "app/helpers.h"
#include "app/popup.h"
#include "app/settings.h"
#include "plot/glwidget.h"
#include "plot/powerplot.h"
#include "protocol/channelinfo.h"
#include "protocol/measure.h"
#include "recording/overcurrent.h"
#include "recording/powerpanel.h"
#include "recording/progressdialog.h"
#include "recording/swapfile.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QtConcurrent>

namespace {
const char kLogStop[] = "LOGSTOP\n";
constexpr quint64 kCounterRange = quint64(1) << 24; // the unit's sample counter is 24 bits
constexpr unsigned char kStartCommand = 8;
constexpr unsigned char kPayloadSamples = 1;

struct StartCommand
{
    int rate = 0;
    unsigned mask = 0;
    int channelCount = 0;
};

// "LOG", rate, "C", one hexadecimal digit per channel, "\n".
StartCommand parseStartCommand(const QString& command)
{
    const QString body = command.mid(3).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed();
    const int c = body.indexOf(QLatin1Char('C'));
    StartCommand parsed;
    parsed.rate = body.left(c).toInt();
    const QString digits = c < 0 ? QString() : body.mid(c + 1);
    for (QChar digit : digits) {
        bool ok = false;
        const int channel = QString(digit).toInt(&ok, 16);
        parsed.mask |= 1u << (ok ? channel : 0);
    }
    parsed.channelCount = digits.size();
    return parsed;
}
} // namespace

GLWidget* MainWindow::addTab()
{
    const bool dark = Settings().value(QStringLiteral("Options/dark-color"), false).toBool();
    const ColorsAgent agent(dark);
    const QString name = tr("Capture ") + QString::number(ui->tabWidget->count() + 1);

    auto* widget = new GLWidget;
    widget->setObjectName(QStringLiteral("tab_") + name);
    auto* layout = new QHBoxLayout(widget);
    layout->setSpacing(6);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setObjectName(QStringLiteral("horizontalLayout_") + name);

    auto* plot = new PowerPlot(widget);
    widget->setPlotter(plot);
    plot->setObjectName(name);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setVerticalStretch(2);
    plot->setSizePolicy(policy);
    layout->addWidget(plot);

    const int index = ui->tabWidget->addTab(widget, QString());
    ui->tabWidget->setTabText(index, name);
    GLWidget::configurePlot(plot, agent.background());
    plot->xAxis->setLabel(Helpers::timeFormat == 2 ? tr("Time") : tr("Time, sec"));
    connectPlot(widget);
    ui->tabWidget->setCurrentIndex(index);
    repaint();
    return widget;
}

GLWidget* MainWindow::addPowerTab()
{
    return addTab();
}

void MainWindow::connectPlot(GLWidget* widget)
{
    PowerPlot* plot = widget->plotter();
    connect(plot->xAxis, qOverload<const QCPRange&, const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this, plot](const QCPRange& now, const QCPRange& old) { on_rangeChanged(now, old, plot->xAxis); });
    connect(widget, &GLWidget::axisRangeChanged, this, &MainWindow::on_rangeChanged);
    connect(widget, &GLWidget::channelsAdded, this, &MainWindow::on_channelsAdded);
    connect(plot, &QCustomPlot::mouseMove, this, &MainWindow::on_mouseMove);
    connect(plot, &QCustomPlot::mouseRelease, this, &MainWindow::on_mouseRelease);
    connect(plot, &QCustomPlot::mouseWheel, this, &MainWindow::on_mouseWheel);
    connect(plot, &QCustomPlot::plottableDoubleClick, this,
            [this](QCPAbstractPlottable* plottable, int, QMouseEvent* event) { on_plottableDoubleClick(plottable, event); });
    connect(plot, &QCustomPlot::axisDoubleClick, this, &MainWindow::on_axisDoubleClick);
    connect(plot, &PowerPlot::rangeBorderReached, this, &MainWindow::on_rangeBorderReached);
    connect(widget->swapFile(), &SwapFile::swapFileError, this, &MainWindow::on_swapFileError);
}

void MainWindow::adjustAxisName(const QList<int>& channels, bool fahrenheit)
{
    if (GLWidget* widget = currentWidget())
        widget->adjustAxisName(channels, fahrenheit);
}

void MainWindow::on_channelsAdded()
{
    PowerPlot* plot = currentWidget() ? currentWidget()->plotter() : nullptr;
    if (!plot)
        return;
    for (QCPAxis* axis : {plot->xAxis, plot->yAxis}) {
        if (auto* plotAxis = qobject_cast<PlotAxis*>(axis))
            connect(plotAxis, &PlotAxis::axisUnitChanged, this, &MainWindow::on_axisUnitChanged, Qt::UniqueConnection);
    }
    plot->replot(QCustomPlot::rpQueuedReplot);
}

void MainWindow::on_startPowerLog(const QString& command)
{
    if (!Helpers::isMeasuring) {
        GLWidget* widget = addPowerTab();
        widget->addChannels(m_powerPanel->channels());
        adjustAxisName(m_powerPanel->channels(), m_powerPanel->isFahrentheit());
    }
    on_startPowerMeasurement(command);
}

void MainWindow::on_startPowerMeasurement(const QString& command)
{
    GLWidget* widget = currentWidget();
    if (!widget)
        return;
    m_popup->hide();
    widget->setSaved(false);
    const int index = ui->tabWidget->currentIndex();
    const QString name = ui->tabWidget->tabText(index);
    ui->tabWidget->setTabText(index, QLatin1Char('*') + name);

    m_sampleBase = 0;
    m_lastCounter = 0;
    Helpers::isMeasuring = true;

    const StartCommand parsed = parseStartCommand(command);
    const int period = parsed.rate > 0 ? 10000 / parsed.rate : 0;
    DeviceControl control;
    control.setCommand(kStartCommand);
    control.setPayloadType(kPayloadSamples);
    control.setChannelMask(quint16(parsed.mask));
    control.setSampleRate(quint16(period));
    DeviceControl::m_currentDeviceControl = control;

    PowerPlot* plot = widget->plotter();
    plot->timeAxis()->setRange(0, 10);
    plot->timeAxis()->setTwoRowLabels(true);
    m_runStart = QDateTime::currentMSecsSinceEpoch();
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->axisRect()->setRangeZoom(Qt::Horizontal);
    plot->axisRect()->setRangeDrag(Qt::Vertical);

    SwapFile* swap = widget->swapFile();
    swap->create(QDir(QDir::tempPath()).absoluteFilePath(name + QStringLiteral(".tmp")));
    swap->setHeader(static_cast<signed char>(parsed.channelCount), parsed.mask, m_powerPanel->isCustom(),
                    static_cast<short>(period), m_powerPanel->isFahrentheit());
    widget->addTitle();
    OverCurrent::instance()->hideOverCurrent();
    sendCommand(command);
}

// Index of a packet's first sample in the run, from the unit's 24-bit
// counter; the run's start time follows the packet that begins the count.
quint64 MainWindow::sampleIndex(quint64 counter, int count, double periodMs)
{
    if (counter == 0)
        m_runStart = QDateTime::currentMSecsSinceEpoch() - qint64(count * periodMs);
    if (counter < m_lastCounter) {
        // A counter that went past its 24 bits continues the time line; one
        // the unit restarted continues it from where the last packet ended.
        const bool wrapped = (m_lastCounter + count) % kCounterRange == counter;
        m_sampleBase += wrapped ? kCounterRange : m_lastCounter + count;
    }
    m_lastCounter = counter;
    return m_sampleBase + counter;
}

void MainWindow::addPacket(const MeasurePower& packet)
{
    GLWidget* widget = currentWidget();
    if (!widget)
        return;
    QMutexLocker lock(&widget->mutex());
    SeriesList& series = widget->data();
    if (series.isEmpty())
        return;

    const quint64 counter = packet.recordIndex();
    const int count = packet.setCount();
    const int rate = m_powerPanel->sampleRate().toInt();
    if (rate <= 0)
        return;
    // Times from the sample index itself, so they stay exact over hours.
    const quint64 first = sampleIndex(counter, count, 1000.0 / rate);
    const auto timeOf = [rate](quint64 index) { return double(index) / rate; };

    const QList<int> channels = m_powerPanel->recordedChannels();
    const QMap<int, QList<double>> values = packet.decode(channels, m_powerPanel->isFahrentheit());
    double next = 0;
    for (int k = 0; k < series.size(); ++k) {
        const auto found = values.constFind(k);
        if (found == values.constEnd())
            continue;
        const QList<double>& samples = found.value();
        for (int j = 0; j < samples.size(); ++j)
            insertPoint(*series[k], timeOf(first + j), samples[j]);
        next = timeOf(first + samples.size());
    }
    // Shown at the display rate with the next replot: laying out the rich
    // readout for every record would cost more than everything else here.
    m_readoutTime = next;
    m_readoutValues = values;
    m_readoutDue = true;
    lock.unlock();
    if (m_timeLimit != -1 && next > m_timeLimit)
        on_stopButton();
}

void MainWindow::addPacket(const MeasureAll& packet)
{
    GLWidget* widget = currentWidget();
    if (!widget)
        return;
    QMutexLocker lock(&widget->mutex());
    SeriesList& series = widget->data();
    const quint64 counter = packet.recordIndex();
    const int count = packet.sampleCount();
    const quint16 period = DeviceControl::m_currentDeviceControl.sampleRate();
    const quint64 first = sampleIndex(counter, count, period * 0.1);
    const auto timeOf = [period](quint64 index) { return double(index) * period / 10000.0; };

    double next = 0;
    const QMap<int, QList<double>> values = packet.decode();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (it.key() >= series.size())
            break;
        const QList<double>& samples = it.value();
        for (int j = 0; j < samples.size(); ++j) {
            insertPoint(*series[it.key()], timeOf(first + j), samples[j]);
            if (it.key() == 0)
                OverCurrent::instance()->update(samples[j]);
        }
        next = timeOf(first + samples.size());
    }
    lock.unlock();
    if (m_timeLimit != -1 && next >= m_timeLimit)
        on_stopButton();
}

void MainWindow::appendToSwapFile(GLWidget* widget, const SeriesList& series, bool deleteAfter)
{
    // The file system is touched off the event-loop thread; the caller waits
    // so the series cannot change underneath.
    SwapFile* swap = widget->swapFile();
    QtConcurrent::run(QThreadPool::globalInstance(), [swap, &series, deleteAfter] {
        swap->append(0, -1, series, deleteAfter);
    }).waitForFinished();
}

void MainWindow::on_stopPowerMeasurement(const QString&)
{
    GLWidget* widget = currentWidget();
    if (!widget || !Helpers::isMeasuring)
        return;
    Helpers::isMeasuring = false;
    appendToSwapFile(widget, widget->data(), false);
    SwapFile* swap = widget->swapFile();
    swap->stop();
    {
        ProgressDialog progress(0, 100, widget);
        progress.setWindowModality(Qt::WindowModal);
        progress.show();
        QCoreApplication::processEvents();
        widget->addTitle();
    }
    widget->reset();
    swap->readRange(swap->endTime() - m_viewSpan / 2.0, m_viewSpan, widget->data());

    PowerPlot* plot = widget->plotter();
    const QCPRange span = widget->timeRange();
    plot->timeAxis()->setRangeMin(span.lower);
    plot->timeAxis()->setRangeMax(span.upper);
    plot->timeAxis()->setRange(span);
    plot->timeAxis()->setTwoRowLabels(true);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
    plot->axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
    plot->replot();
    enableToolbar(true, false);
    m_popup->show();
}

void MainWindow::on_stopMeasurement(DeviceControl&)
{
    if (!plotter() || !Helpers::isMeasuring)
        return;
    sendCommand(QLatin1String(kLogStop));
    on_stopPowerMeasurement(QLatin1String(kLogStop));
}

void MainWindow::on_stopButton()
{
    DeviceControl stop = DeviceControl::m_currentDeviceControl.stopRequest();
    emit stopMeasurement(stop);
}

void MainWindow::terminateMeasuring()
{
    qDebug("MainWindow::terminateMeasuring");
    DeviceControl stop = DeviceControl::m_currentDeviceControl.stopRequest();
    emit stopMeasurement(stop);
    Helpers::isMeasuring = false;
    if (PowerPlot* plot = currentWidget() ? currentWidget()->plotter() : nullptr)
        plot->timeAxis()->setTwoRowLabels(true);
}

void MainWindow::requestReplot()
{
    if (!m_replotTimer.isActive())
        m_replotTimer.start();
}

void MainWindow::replotNow()
{
    GLWidget* widget = currentWidget();
    if (!widget)
        return;
    if (m_readoutDue) {
        m_readoutDue = false;
        m_powerPanel->fillInstant(m_readoutTime, m_powerPanel->recordedChannels(), m_readoutValues, m_readoutLabel,
                                  m_darkColor, widget);
    }
    widget->plotter()->replot();
}

void MainWindow::reRangeX()
{
    GLWidget* widget = currentWidget();
    if (!widget || !widget->plotter() || !Helpers::isMeasuring)
        return;
    QMutexLocker lock(&widget->mutex());
    const SeriesList& series = widget->data();
    auto first = std::find_if(series.cbegin(), series.cend(), [](const Series& s) { return !s->isEmpty(); });
    if (first == series.cend())
        return;
    if (QDateTime::currentMSecsSinceEpoch() - m_runStart <= 10000)
        return;

    const double last = ((*first)->constEnd() - 1)->key;
    const double cut = last + 0.02 - m_viewSpan;
    SeriesList moved;
    moved.reserve(series.size());
    for (const Series& s : series) {
        Series old = makeSeries();
        const auto end = s->findBegin(cut, false);
        if (end != s->constBegin()) {
            old->set(QVector<QCPGraphData>(s->constBegin(), end), true);
            s->removeBefore(cut);
        }
        moved.append(old);
    }
    PlotAxis* time = widget->plotter()->timeAxis();
    time->setRange(last - time->range().size(), last);
    appendToSwapFile(widget, moved, true);
    lock.unlock();
    requestReplot();
}
