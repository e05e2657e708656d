// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <qcustomplot.h>

#include <QList>
#include <QMap>
#include <QString>

class PlotAxis;

// Number labels scaled by a unit divider (1, 1000 or 1000000) with the digits
// grouped by spaces. After every generation it hands the axis's own tick and
// label vectors to PlotAxis::axisUnitChanged, so a receiver can replace them
// in place. One ticker per axis.
class PlotTicker : public QCPAxisTicker
{
public:
    explicit PlotTicker(PlotAxis* axis);

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override;

    // A fixed number of sub-ticks per interval; negative lets the ticker choose.
    void setSubTickCount(int count) { m_subTickCount = count; }

    // The text of tick value x on an axis with the given divider.
    static QString numberLabel(double x, int divider, const QLocale& locale);
    // "1234567" -> "1 234 567", "12345.5" -> "12 345.5"; at most two spaces.
    static void groupDigits(QString& text, const QString& decimalPoint);

protected:
    int getSubTickCount(double tickStep) override;
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale& locale,
                                       QChar formatChar, int precision) override;

private:
    PlotAxis* m_axis;
    int m_divider = 1;
    int m_subTickCount = -1;
};

// An axis whose range stays inside [rangeMin, rangeMax], with number labels
// from PlotTicker and optional two-row tick labels.
//
// QCPAxis::setRange and scaleRange are not virtual, so the limits hold for
// calls made through a PlotAxis pointer only. The plot uses this type for all
// its axes (PowerPlot builds them), the navigation code calls these methods,
// and the library's own axis drag and wheel zoom, which would go through the
// base class, are switched off here and in PowerPlot.
class PlotAxis : public QCPAxis
{
    Q_OBJECT
public:
    static constexpr double kDefaultRangeMin = 0;
    static constexpr double kDefaultRangeMax = 10000000;

    PlotAxis(QCPAxisRect* parent, AxisType type);

    double rangeMin() const { return m_rangeMin; }
    double rangeMax() const { return m_rangeMax; }
    void setRangeMin(double min) { m_rangeMin = min; }
    void setRangeMax(double max) { m_rangeMax = max; }

    using QCPAxis::scaleRange;
    using QCPAxis::setRange;
    // Below the lower limit: (limit, upper), announced. Above the upper limit
    // only: the upper end is pinned to the limit silently.
    void setRange(double lower, double upper);
    // Beyond either limit only the offending end is pinned, silently.
    void setRange(const QCPRange& range);
    // Scales about center; never narrower than 1 ms, clamped into the limits.
    void scaleRange(double factor, double center);

    PlotTicker* plotTicker() const { return m_ticker; }

    bool twoRowLabels() const { return m_twoRowLabels; }
    void setTwoRowLabels(bool on);
    // Second-row texts by index into the tick vector; -1 is the left-edge text.
    QMap<int, QString>& majorLabels() { return m_majorLabels; }
    const QMap<int, QString>& majorLabels() const { return m_majorLabels; }
    // The axis's own sub-tick vector, for receivers of axisUnitChanged.
    QList<double>& subTickVector() { return mSubTickVector; }

signals:
    // Emitted each time the axis has generated its number labels; the vectors
    // are the axis's own.
    void axisUnitChanged(QCPAxis* axis, int divider, QList<double>& tickVector,
                         QList<QString>& tickVectorLabels);

protected:
    // Passes the press on to the axis rect: the library's own axis drag would
    // bypass the limits.
    void mousePressEvent(QMouseEvent* event, const QVariant& details) override;

private:
    double m_rangeMin = kDefaultRangeMin;
    double m_rangeMax = kDefaultRangeMax;
    PlotTicker* m_ticker;
    bool m_twoRowLabels = false;
    QMap<int, QString> m_majorLabels;
};
