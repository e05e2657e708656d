// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/axispower.h"
#include "plot/poweraxisrect.h"
#include "plot/powerplot.h"
#include "rangetext.h"

#include <QRubberBand>
#include <QSignalSpy>
#include <QTest>

namespace {

// A shown plot of fixed size with a time axis limited to 0..100 showing
// 10..20, one channel axis on the right limited to 0..15 showing 5..10, and
// the hidden left axis the cursor line uses.
struct Scene
{
    PowerPlot plot;
    PlotAxis* time;
    AxisPower* value;

    Scene()
        : time(plot.timeAxis())
        , value(new AxisPower(plot.powerAxisRect(), QCPAxis::atRight, 0))
    {
        plot.setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
        plot.setFixedSize(800, 600);
        plot.powerAxisRect()->addPlotAxis(value);
        value->setRangeMin(0);
        value->setRangeMax(15);
        value->setRange(5, 10);
        time->setRangeMax(100);
        time->setRange(10, 20);
        plot.yAxis->setVisible(false);
        plot.yAxis->setRange(0, 1);
        plot.show();
        plot.replot();
    }

    QPoint inside() const { return plot.axisRect()->center(); }
    QPoint onTimeAxis() const { return QPoint(plot.axisRect()->center().x(), plot.axisRect()->bottom() + 4); }
    QPoint onValueAxis() const { return QPoint(plot.axisRect()->right() + 4, plot.axisRect()->center().y()); }
    QPoint at(const QString& where) const
    {
        return where == QLatin1String("time") ? onTimeAxis() : where == QLatin1String("value") ? onValueAxis() : inside();
    }

    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(&plot, Qt::LeftButton, modifiers, from);
        QTest::mouseEvent(QTest::MouseMove, &plot, Qt::NoButton, modifiers, to);
        QTest::mouseRelease(&plot, Qt::LeftButton, modifiers, to);
    }
};

bool near(const QCPRange& a, const QCPRange& b)
{
    return qAbs(a.lower - b.lower) < 1e-9 && qAbs(a.upper - b.upper) < 1e-9;
}

QCPRange shifted(const QCPRange& r, double d)
{
    return QCPRange(r.lower + d, r.upper + d);
}

} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT

private slots:
    void pressShowsWhatWillHappen_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("shape");
        QTest::addColumn<bool>("band");
        QTest::newRow("time axis") << "time" << int(Qt::PointingHandCursor) << false;
        QTest::newRow("channel axis") << "value" << int(Qt::SizeVerCursor) << false;
        QTest::newRow("inside") << "inside" << int(Qt::CrossCursor) << true;
    }
    void pressShowsWhatWillHappen()
    {
        QFETCH(QString, where);
        QFETCH(int, shape);
        QFETCH(bool, band);
        Scene s;
        QTest::mousePress(&s.plot, Qt::LeftButton, {}, s.at(where));
        QCOMPARE(int(s.plot.cursor().shape()), shape);
        QCOMPARE(s.plot.rubberBandShown(), band);
        PlotAxis* const pressed = where == QLatin1String("time")    ? s.time
                                  : where == QLatin1String("value") ? s.value
                                                                    : nullptr;
        QCOMPARE(s.plot.pressedAxis(), pressed);
        QTest::mouseRelease(&s.plot, Qt::LeftButton, {}, s.at(where));
        QVERIFY(!s.plot.pressedAxis());
        QVERIFY(!s.plot.rubberBandShown());
    }

    // Bands must exceed 18 pixels both ways; then the time axis and every
    // shown side axis take the band, and the hidden cursor axis keeps 0..1.
    void rubberBand_data()
    {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<bool>("zooms");
        QTest::newRow("18 x 40") << 18 << 40 << false;
        QTest::newRow("19 x 40") << 19 << 40 << true;
        QTest::newRow("40 x 18") << 40 << 18 << false;
        QTest::newRow("40 x 19") << 40 << 19 << true;
        QTest::newRow("dragged up and left") << -60 << -50 << true;
    }
    void rubberBand()
    {
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(bool, zooms);
        Scene s;
        const QPoint from = s.inside();
        const QPoint to = from + QPoint(dx, dy);
        const QRect band = QRect(from, to).normalized();
        const QCPRange timeBefore = s.time->range();
        const QCPRange valueBefore = s.value->range();
        const QCPRange timeBand(s.time->pixelToCoord(band.left()), s.time->pixelToCoord(band.right()));
        const QCPRange valueBand(s.value->pixelToCoord(band.bottom()), s.value->pixelToCoord(band.top()));

        QTest::mousePress(&s.plot, Qt::LeftButton, {}, from);
        QTest::mouseMove(&s.plot, to);
        QCOMPARE(s.plot.rubberBand()->geometry(), band);
        QTest::mouseRelease(&s.plot, Qt::LeftButton, {}, to);

        QVERIFY(!s.plot.rubberBandShown());
        QCOMPARE(int(s.plot.cursor().shape()), int(Qt::ArrowCursor));
        QVERIFY(near(s.time->range(), zooms ? timeBand : timeBefore));
        QVERIFY(near(s.value->range(), zooms ? valueBand : valueBefore));
        QCOMPARE(s.plot.yAxis->range(), QCPRange(0, 1));
    }

    void dragMovesThePressedAxis_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QPoint>("move");
        QTest::addColumn<bool>("control");
        QTest::newRow("time to the left") << "time" << QPoint(-100, 0) << false;
        QTest::newRow("time to the right, fast") << "time" << QPoint(60, 0) << true;
        QTest::newRow("channel down") << "value" << QPoint(0, 50) << false;
        QTest::newRow("channel up, fast") << "value" << QPoint(0, -20) << true;
    }
    void dragMovesThePressedAxis()
    {
        QFETCH(QString, where);
        QFETCH(QPoint, move);
        QFETCH(bool, control);
        Scene s;
        s.time->setRangeMin(-1000);
        const QPoint from = s.at(where);
        const QPoint to = from + move;
        const double speed = control ? 5 : 1;
        const bool time = where == QLatin1String("time");
        const double dTime = time ? (s.time->pixelToCoord(from.x()) - s.time->pixelToCoord(to.x())) * speed : 0;
        const double dValue = time ? 0 : (s.value->pixelToCoord(from.y()) - s.value->pixelToCoord(to.y())) * speed;
        const QCPRange timeAfter = shifted(s.time->range(), dTime);
        const QCPRange valueAfter = shifted(s.value->range(), dValue);

        s.drag(from, to, control ? Qt::ControlModifier : Qt::NoModifier);

        QVERIFY(near(s.time->range(), timeAfter));
        QVERIFY(near(s.value->range(), valueAfter));
    }

    void controlWithAnotherModifierIsNotFast()
    {
        Scene s;
        const QPoint from = s.onTimeAxis();
        const QPoint to = from + QPoint(-50, 0);
        const double d = s.time->pixelToCoord(from.x()) - s.time->pixelToCoord(to.x());
        const QCPRange after = shifted(s.time->range(), d);
        s.drag(from, to, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(near(s.time->range(), after));
    }

    void dragPastTheLimitAsksForMore()
    {
        Scene s;
        s.time->setRangeMax(20);
        QSignalSpy border(&s.plot, &PowerPlot::rangeBorderReached);
        const QPoint from = s.onTimeAxis();
        const QPoint to = from + QPoint(-100, 0);
        const double d = s.time->pixelToCoord(from.x()) - s.time->pixelToCoord(to.x());

        s.drag(from, to);

        QCOMPARE(border.count(), 1);
        QVERIFY(qAbs(border.at(0).at(0).toDouble() - (10 + d)) < 1e-9);
        QVERIFY(qAbs(border.at(0).at(1).toDouble() - (20 + d)) < 1e-9);
        QCOMPARE(s.time->range(), QCPRange(10, 20));
    }

    void channelDragStopsAtItsLimits()
    {
        Scene s;
        // 5..10 moved by the axis's full height and more (over 5 units) would
        // pass the upper limit 15.
        const QPoint from = s.onValueAxis();
        const QPoint to = from + QPoint(0, s.plot.axisRect()->height() * 3 / 2);
        s.drag(from, to);
        QCOMPARE(s.value->range(), QCPRange(5, 10));
    }

    void wheelIsOnlySignalled()
    {
        Scene s;
        int wheels = 0;
        connect(&s.plot, &QCustomPlot::mouseWheel, this, [&wheels] { ++wheels; });
        const QPointF pos = s.inside();
        QWheelEvent event(pos, s.plot.mapToGlobal(pos), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&s.plot, &event);
        QCOMPARE(wheels, 1);
        QCOMPARE(s.time->range(), QCPRange(10, 20));
        QCOMPARE(s.value->range(), QCPRange(5, 10));
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
