// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/timeticks.h"

#include <qcustomplot.h>

#include <QTest>

namespace {
int visibleCount(const QList<double>& ticks, const QCPRange& range)
{
    return int(std::count_if(ticks.cbegin(), ticks.cend(),
                             [&](double t) { return t >= range.lower && t <= range.upper; }));
}
} // namespace

class TestTimeTicks : public QObject
{
    Q_OBJECT

private slots:
    // Rows follow the rounding table of the range size b (in 100 us units).
    void tickPositions_data()
    {
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("visible");
        // b = 45000 -> 40000, c = 1: five visible, so halved to nine.
        QTest::newRow("3.7 to 8.2 s") << 3.7 << 8.2 << 0.5 << 0.0 << 18 << 9;
        // b = 36000000 -> 30000000, c = 1000: four visible, halved to eight.
        QTest::newRow("an hour") << 0.0 << 3600.0 << 500.0 << 0.0 << 9 << 8;
        QTest::newRow("a new tab's 10 s") << 0.0 << 10.0 << 1.0 << 0.0 << 12 << 11;
        QTest::newRow("one second") << 0.0 << 1.0 << 0.1 << 0.0 << 12 << 11;
        // b = 0 counts as 1; L = 12 is rounded down to 10.
        QTest::newRow("b = 0") << 0.00123 << 0.00124 << 0.00001 << 0.001 << -1 << -1;
        // b = 7, L = 20002 -> 20000, start = 7 * (20000 / 7) = 19999.
        QTest::newRow("b up to 10") << 2.00025 << 2.00095 << 0.0001 << 1.9999 << 12 << 7;
        // b = 1.5e9 -> 1e9, c = 100000 s; L rounded down to a multiple of 1e10.
        QTest::newRow("b above 1e9") << 2000005.0 << 2150005.0 << 10000.0 << 2000000.0 << 17 << 15;
    }
    void tickPositions()
    {
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(double, step);
        QFETCH(double, first);
        QFETCH(int, count);
        QFETCH(int, visible);
        const QCPRange range(lower, upper);
        QList<double> ticks;
        double chosen = -1;
        TimeTicks::calcTickPositions(range, ticks, chosen);

        QCOMPARE(chosen, step);
        QVERIFY(!ticks.isEmpty());
        QVERIFY(qFuzzyCompare(ticks.first() + 1, first + 1));
        if (count >= 0)
            QCOMPARE(ticks.size(), count);
        if (visible >= 0)
            QCOMPARE(visibleCount(ticks, range), visible);
        // The vector stops at the first tick past the range.
        QVERIFY(ticks.last() > upper);
        QVERIFY(ticks.at(ticks.size() - 2) <= upper);
    }

    void refillsTheGivenVector()
    {
        QList<double> ticks(500, 42.0);
        double step = 0;
        TimeTicks::calcTickPositions(QCPRange(0, 10), ticks, step);
        QCOMPARE(ticks.first(), 0.0);
        QCOMPARE(ticks.size(), 12);
    }

    void unusableRangeGivesNoTicks()
    {
        QList<double> ticks{1, 2};
        double step = 1;
        TimeTicks::calcTickPositions(QCPRange(0, qInf()), ticks, step);
        QVERIFY(ticks.isEmpty());
    }

    void subTickCount_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("count");
        for (double decimal : {0.001, 0.01, 0.1, 1.0, 10.0, 100.0, 1000.0, 10000.0})
            QTest::addRow("%g", decimal) << decimal << 9;
        for (double other : {0.0001, 0.0005, 0.5, 500.0, 100000.0})
            QTest::addRow("%g", other) << other << 4;
    }
    void subTickCount()
    {
        QFETCH(double, step);
        QFETCH(int, count);
        QCOMPARE(TimeTicks::subTickCount(step), count);
    }

    void subTicksOnlyNearVisibleTicks()
    {
        // Tick 1 alone is visible: its two intervals are filled, and of those
        // sub-ticks only the ones inside the range are kept.
        QList<double> subTicks{99};
        TimeTicks::fillSubTicks({0, 1, 2, 3}, 4, QCPRange(0.5, 1.5), subTicks);
        QCOMPARE(subTicks.size(), 4);
        QVERIFY(qFuzzyCompare(subTicks.at(0), 0.6));
        QVERIFY(qFuzzyCompare(subTicks.at(1), 0.8));
        QVERIFY(qFuzzyCompare(subTicks.at(2), 1.2));
        QVERIFY(qFuzzyCompare(subTicks.at(3), 1.4));
    }
};

QTEST_GUILESS_MAIN(TestTimeTicks)
#include "tst_timeticks.moc"
