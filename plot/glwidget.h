// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plot/powerplot.h"
#include "protocol/packet.h"
#include "recording/series.h"

#include <QColor>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QWidget>

class QCPAxis;
class QCPItemText;
class QCPRange;
class SwapFile;
struct SwapFileHeader;

// The page of one recording tab: its plot, one series per recorded channel
// (shared with the channel's graph, never copied), the recording's swap file
// and whether the recording has been saved.
class GLWidget : public QWidget
{
    Q_OBJECT
public:
    explicit GLWidget(QWidget* parent = nullptr);
    explicit GLWidget(PowerPlot* plot, QWidget* parent = nullptr);
    // An unsaved recording's swap file goes with its tab.
    ~GLWidget() override;

    // How every new tab's plot looks: time axis 0..10 s with its ticks and
    // bold label, colours for the given background.
    static void configurePlot(PowerPlot* plot, const QColor& background);

    // Hides and disables the previous plot, if any, and shows this one.
    void setPlotter(PowerPlot* plot);
    PowerPlot* plotter() const { return m_plotter; }

    // Rebuilds the graphs for the given channel numbers, in ascending order,
    // each with its own value axis and a fresh median filter; then the cursor line.
    void addChannels(const QList<int>& channels);
    // One channel's graph and value axis; even ordinals go right, odd ones left.
    void addPowerChannel(int channel, int ordinal, bool dark);
    // Pen colour of a channel's graph; both themes share the palette.
    QColor getColor(int channel, bool dark) const;
    // The last graph: a vertical line over the full height on a hidden 0..1 axis.
    void addCursorLine();
    // Moves the cursor line to time t; only its own layer is redrawn.
    void moveCursorLine(double t);
    // Title line from the swap file's header; removes the previous one.
    void addTitle();
    // Switches the temperature axes (channels 4 and 5) to Fahrenheit.
    void adjustAxisName(const QList<int>& channels, bool fahrenheit);

    // First to last time of the first non-empty series; (0, 0) when all are empty.
    QCPRange timeRange() const;
    bool isEmpty() const;
    // Empties every series in place; the graphs keep pointing at them.
    void reset();

    SeriesList& data() { return m_data; }
    QMutex& mutex() { return m_mutex; }
    bool isSaved() const { return m_saved; }
    void setSaved(bool saved) { m_saved = saved; }
    DeviceControl& deviceControl() { return m_deviceControl; }
    SwapFile* swapFile() const { return m_swapFile; }

    // The title text of a recording, empty when its header names no channel.
    static QString titleText(const SwapFileHeader& header, const QList<int>& channelOrder, double endTime);

public slots:
    // Replots at the next refresh and repaints the page.
    void repaint();

signals:
    void axisRangeChanged(const QCPRange& newRange, const QCPRange& oldRange, QCPAxis* axis);
    void channelsAdded();

private:
    void removeChannelGraphs();
    void showTitle(const QString& text);

    PowerPlot* m_plotter = nullptr;
    SeriesList m_data;
    DeviceControl m_deviceControl;
    bool m_saved = true;
    SwapFile* m_swapFile;
    QMutex m_mutex;
    QPointer<QCPItemText> m_title;
};
