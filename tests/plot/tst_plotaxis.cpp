// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plotaxis.h"
#include "plot/powerplot.h"
#include "plot/timeticks.h"
#include "rangetext.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A plot with C-locale numbers, laid out at a fixed size.
struct Plot
{
    PowerPlot plot;
    Plot()
    {
        plot.setLocale(QLocale::c());
        plot.resize(800, 400);
    }
};

struct RangeSpies
{
    QSignalSpy one, two;
    explicit RangeSpies(QCPAxis* axis)
        : one(axis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged))
        , two(axis, qOverload<const QCPRange&, const QCPRange&>(&QCPAxis::rangeChanged))
    {
    }
    int count() const { return one.count() == two.count() ? int(one.count()) : -1; }
};

// Limits 0..100, range 10..20, the setup of every limit row below.
PlotAxis* limitedAxis(PowerPlot& plot)
{
    auto* axis = qobject_cast<PlotAxis*>(plot.yAxis);
    axis->setRangeMin(0);
    axis->setRangeMax(100);
    axis->QCPAxis::setRange(10, 20);
    return axis;
}

// Dark pixels in the rows from y on: text drawn there on a white plot.
int inkBelow(const QImage& image, int y)
{
    int ink = 0;
    for (int row = qMax(0, y); row < image.height(); ++row) {
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, row)) < 128;
    }
    return ink;
}

} // namespace

class TestPlotAxis : public QObject
{
    Q_OBJECT

private slots:
    void groupDigits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("grouped");
        QTest::newRow("seven digits") << "1234567" << "1 234 567";
        QTest::newRow("with decimals") << "12345.5" << "12 345.5";
        QTest::newRow("six digits") << "999999" << "999 999";
        QTest::newRow("four digits") << "1234" << "1 234";
        QTest::newRow("three digits") << "123" << "123";
        QTest::newRow("negative") << "-12345" << "-12 345";
        QTest::newRow("fraction") << "0.12345" << "0.12345";
        QTest::newRow("exponent") << "1.5e-05" << "1.5e-05";
    }
    void groupDigits()
    {
        QFETCH(QString, text);
        QFETCH(QString, grouped);
        PlotTicker::groupDigits(text, QStringLiteral("."));
        QCOMPARE(text, grouped);
    }

    void numberLabel_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("divider");
        QTest::addColumn<QString>("label");
        QTest::newRow("thousands") << 2000.0 << 1000 << "2";
        QTest::newRow("thousands with a fraction") << 2500.0 << 1000 << "2.5";
        QTest::newRow("grouped") << 12345.5 << 1 << "12 345.5";
        QTest::newRow("millions") << 12000000.0 << 1000000 << "12";
        QTest::newRow("six significant digits") << 0.1234567 << 1 << "0.123457";
    }
    void numberLabel()
    {
        QFETCH(double, value);
        QFETCH(int, divider);
        QFETCH(QString, label);
        QCOMPARE(PlotTicker::numberLabel(value, divider, QLocale::c()), label);
    }

    // The divider follows the highest visible tick and is announced with the
    // axis's own vectors.
    void unitDivider_data()
    {
        QTest::addColumn<double>("upper");
        QTest::addColumn<int>("divider");
        QTest::addColumn<double>("tick");
        QTest::addColumn<QString>("label");
        QTest::newRow("highest tick 800") << 900.0 << 1 << 800.0 << "800";
        QTest::newRow("highest tick 2500") << 2600.0 << 1000 << 2000.0 << "2";
        QTest::newRow("highest tick in millions") << 12000000.0 << 1000000 << 5000000.0 << "5";
    }
    void unitDivider()
    {
        QFETCH(double, upper);
        QFETCH(int, divider);
        QFETCH(double, tick);
        QFETCH(QString, label);
        Plot p;
        PlotAxis* axis = qobject_cast<PlotAxis*>(p.plot.yAxis);
        int announced = 0;
        bool ownVectors = false;
        connect(axis, &PlotAxis::axisUnitChanged, this,
                [&](QCPAxis* sender, int d, QList<double>& ticks, QList<QString>& labels) {
                    announced = d;
                    ownVectors = sender == axis && ticks.size() == labels.size() && !ticks.isEmpty();
                });
        axis->setRangeMax(1e9);
        axis->setRange(0, upper);
        p.plot.replot();

        QCOMPARE(announced, divider);
        QVERIFY(ownVectors);
        const int index = axis->tickVector().indexOf(tick);
        QVERIFY(index >= 0);
        QCOMPARE(axis->tickVectorLabels().at(index), label);
    }

    void setRangeByEnds_data()
    {
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<QCPRange>("result");
        QTest::addColumn<int>("announcements");
        QTest::newRow("inside") << 30.0 << 40.0 << QCPRange(30, 40) << 1;
        QTest::newRow("unchanged") << 10.0 << 20.0 << QCPRange(10, 20) << 0;
        QTest::newRow("below the lower limit") << -5.0 << 40.0 << QCPRange(0, 40) << 1;
        QTest::newRow("above the upper limit pins it silently") << 30.0 << 150.0 << QCPRange(10, 100) << 0;
        QTest::newRow("the lower limit is checked first") << -5.0 << 150.0 << QCPRange(0, 150) << 1;
    }
    void setRangeByEnds()
    {
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(QCPRange, result);
        QFETCH(int, announcements);
        Plot p;
        PlotAxis* axis = limitedAxis(p.plot);
        RangeSpies spies(axis);
        axis->setRange(lower, upper);
        QCOMPARE(axis->range(), result);
        QCOMPARE(spies.count(), announcements);
    }

    void setRangeByRange_data()
    {
        QTest::addColumn<QCPRange>("range");
        QTest::addColumn<QCPRange>("result");
        QTest::addColumn<int>("announcements");
        QTest::newRow("inside") << QCPRange(30, 40) << QCPRange(30, 40) << 1;
        QTest::newRow("unchanged") << QCPRange(10, 20) << QCPRange(10, 20) << 0;
        QTest::newRow("below pins the lower end silently") << QCPRange(-5, 40) << QCPRange(0, 20) << 0;
        QTest::newRow("above pins the upper end silently") << QCPRange(30, 150) << QCPRange(10, 100) << 0;
    }
    void setRangeByRange()
    {
        QFETCH(QCPRange, range);
        QFETCH(QCPRange, result);
        QFETCH(int, announcements);
        Plot p;
        PlotAxis* axis = limitedAxis(p.plot);
        RangeSpies spies(axis);
        axis->setRange(range);
        QCOMPARE(axis->range(), result);
        QCOMPARE(spies.count(), announcements);
    }

    void scaleRange_data()
    {
        QTest::addColumn<QCPRange>("start");
        QTest::addColumn<double>("factor");
        QTest::addColumn<double>("center");
        QTest::addColumn<QCPRange>("result");
        QTest::addColumn<int>("announcements");
        QTest::newRow("in") << QCPRange(10, 20) << 0.5 << 15.0 << QCPRange(12.5, 17.5) << 1;
        QTest::newRow("out") << QCPRange(10, 20) << 2.0 << 15.0 << QCPRange(5, 25) << 1;
        QTest::newRow("clamped into the limits") << QCPRange(10, 20) << 20.0 << 15.0 << QCPRange(0, 100) << 1;
        QTest::newRow("narrower than 1 ms") << QCPRange(10, 10.0015) << 0.5 << 10.0 << QCPRange(10, 10.0015) << 0;
    }
    void scaleRange()
    {
        QFETCH(QCPRange, start);
        QFETCH(double, factor);
        QFETCH(double, center);
        QFETCH(QCPRange, result);
        QFETCH(int, announcements);
        Plot p;
        PlotAxis* axis = limitedAxis(p.plot);
        axis->QCPAxis::setRange(start);
        RangeSpies spies(axis);
        axis->scaleRange(factor, center);
        QCOMPARE(axis->range(), result);
        QCOMPARE(spies.count(), announcements);
    }

    void zoomingInStopsAtOneMillisecond()
    {
        Plot p;
        PlotAxis* axis = limitedAxis(p.plot);
        for (int i = 0; i < 100; ++i)
            axis->scaleRange(0.85, 12.3);
        QVERIFY(axis->range().size() >= 0.001);
        QVERIFY(axis->range().size() < 0.001 / 0.85);
    }

    void timeTicksReplaceNumberTicks()
    {
        Plot p;
        PlotAxis* time = p.plot.timeAxis();
        connect(time, &PlotAxis::axisUnitChanged, this,
                [time](QCPAxis*, int, QList<double>& ticks, QList<QString>& labels) {
                    TimeTicks::applyTimeTicks(time, ticks, labels);
                });
        time->setLabel(QStringLiteral("Time, sec"));
        time->setRange(3.7, 8.2);
        p.plot.replot();

        // Step 0.5 from 0: only the visible ticks 4.0 .. 8.0 stay; their
        // offsets count from the major tick at 0, which is off the axis.
        const QList<double> ticks = time->tickVector();
        QCOMPARE(ticks.size(), 9);
        QCOMPARE(ticks.first(), 4.0);
        QCOMPARE(ticks.last(), 8.0);
        QCOMPARE(time->tickVectorLabels().first(), QStringLiteral("+4.0s"));
        QCOMPARE(time->tickVectorLabels().last(), QStringLiteral("+8.0s"));
        QCOMPARE(time->majorLabels().keys(), QList<int>{-1});
        QCOMPARE(time->label(), QString());
        const QList<double>& subTicks = time->subTickVector();
        QVERIFY(!subTicks.isEmpty());
        for (double s : subTicks)
            QVERIFY(s >= 3.7 && s <= 8.2);
    }

    void twoRowLabelsRender()
    {
        Plot p;
        PlotAxis* time = p.plot.timeAxis();
        connect(time, &PlotAxis::axisUnitChanged, this,
                [time](QCPAxis*, int, QList<double>& ticks, QList<QString>& labels) {
                    TimeTicks::applyTimeTicks(time, ticks, labels);
                });
        time->setRange(0, 10);
        p.plot.replot();
        const int oneRowBottom = p.plot.axisRect()->bottom();
        const int firstRowEnd = oneRowBottom + QFontMetrics(time->tickLabelFont()).height() + 8;
        const int oneRowInk = inkBelow(p.plot.toPixmap(800, 400).toImage(), firstRowEnd);

        time->setTwoRowLabels(true);
        p.plot.replot();
        // Majors at 0 s and 10 s, plus the left-edge text.
        QCOMPARE(time->majorLabels().keys(), QList<int>({-1, 0, 10}));
        QVERIFY(p.plot.axisRect()->bottom() < oneRowBottom);
        const QImage image = p.plot.toPixmap(800, 400).toImage();
        QVERIFY(!image.isNull());
        QVERIFY(inkBelow(image, p.plot.axisRect()->bottom() + QFontMetrics(time->tickLabelFont()).height() + 8)
                > oneRowInk);
    }
};

QTEST_MAIN(TestPlotAxis)
#include "tst_plotaxis.moc"
