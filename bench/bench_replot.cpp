// SPDX-License-Identifier: GPL-3.0-or-later
// Replot of a full 10 s window, 1000 Hz x 5 channels, in a recording tab
// (its own axes, two-row time labels, cursor line, title) against a plain
// QCustomPlot graph set holding the same points. Same widget size, same
// data, same number of replots; prints the median times and their ratio.
//
//   QT_QPA_PLATFORM=offscreen bench_replot [replots]     default 200
#include "app/helpers.h"
#include "plot/glwidget.h"
#include "plot/powerplot.h"
#include "protocol/powerchannels.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
constexpr int kRate = 1000;
constexpr int kSeconds = 10;
const QList<int> kChannels{0, 1, 2, 3, 6};
const QSize kSize(1200, 800);

double sample(int channel, int n)
{
    return 5 + channel + 3 * std::sin(2 * M_PI * n / (400.0 + 37 * channel));
}

void fill(QCPGraphDataContainer& series, int channel)
{
    QVector<QCPGraphData> points;
    points.reserve(kRate * kSeconds);
    for (int n = 0; n < kRate * kSeconds; ++n)
        points.append(QCPGraphData(double(n) / kRate, sample(channel, n)));
    series.set(points, true);
}

double medianReplotMs(QCustomPlot& plot, int count)
{
    plot.replot(); // layout and buffers settle first
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        timer.start();
        plot.replot(QCustomPlot::rpImmediateRefresh);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(10, atoi(argv[1])) : 200;

    Helpers::powerMode = true;
    createDefaultsPower(false);
    GLWidget tab;
    auto* layout = new QHBoxLayout(&tab);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* plot = new PowerPlot(&tab);
    tab.setPlotter(plot);
    layout->addWidget(plot);
    GLWidget::configurePlot(plot, Qt::white);
    tab.addChannels(kChannels);
    for (int k = 0; k < kChannels.size(); ++k)
        fill(*tab.data()[k], kChannels[k]);
    plot->timeAxis()->setTwoRowLabels(true);
    plot->timeAxis()->setRange(0, kSeconds);
    tab.resize(kSize);
    tab.show();
    tab.moveCursorLine(5.0);

    QCustomPlot plain;
    plain.resize(kSize);
    plain.show();
    plain.xAxis->setRange(0, kSeconds);
    for (int k = 0; k < kChannels.size(); ++k) {
        QCPGraph* graph = plain.addGraph();
        fill(*graph->data(), kChannels[k]);
        graph->valueAxis()->setRange(0, 15);
    }

    QApplication::processEvents();
    std::printf("  (points per graph: tab %d, plain %d; plot sizes %dx%d and %dx%d)\n",
                tab.data()[0]->size(), plain.graph(0)->data()->size(), plot->width(), plot->height(),
                plain.width(), plain.height());
    const double tabMs = medianReplotMs(*plot, count);
    const double plainMs = medianReplotMs(plain, count);
    std::printf("replot of 10 s x 1000 Hz x 5 channels, %dx%d, median of %d\n", kSize.width(), kSize.height(), count);
    std::printf("  recording tab      %.2f ms\n", tabMs);
    std::printf("  plain QCustomPlot  %.2f ms\n", plainMs);
    std::printf("  ratio              %.2f (goal <= 1.2)\n", tabMs / plainMs);
    return 0;
}
