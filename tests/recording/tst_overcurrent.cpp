// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "recording/overcurrent.h"

#include <QTest>

namespace {
const QString kLengthKey = QStringLiteral("Main/overcurrent_length");

QList<double> repeated(double value, int count)
{
    return QList<double>(count, value);
}

// Feeds the samples as a run does and notes after which of them the warning came.
QList<int> warnings(OverCurrent& monitor, const QList<double>& samples)
{
    QList<int> shown;
    for (int i = 0; i < samples.size(); ++i) {
        monitor.update(samples.at(i));
        if (monitor.isOver())
            shown.append(i);
    }
    return shown;
}
} // namespace

class TestOverCurrent : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void counting_data();
    void counting();
    void dismissNeedsAFreshExcursion();
    void lengthFromSettings();
    void processWideMonitor();
};

void TestOverCurrent::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    Settings().remove(kLengthKey);
}

void TestOverCurrent::counting_data()
{
    QTest::addColumn<QList<double>>("samples");
    QTest::addColumn<QList<int>>("shown");

    QTest::newRow("20 above do not warn") << repeated(1.5e6, 20) << QList<int>{};
    QTest::newRow("the 21st warns") << repeated(1.5e6, 21) << QList<int>{20};
    QTest::newRow("no second warning while above") << repeated(1.5e6, 60) << QList<int>{20};
    QTest::newRow("a low sample starts over")
        << QList<double>{1.5e6, 1.5e6, 0.9e6} + repeated(1.5e6, 21) << QList<int>{23};
    QTest::newRow("exactly the limit counts") << repeated(1200000, 21) << QList<int>{20};
    QTest::newRow("just below the limit") << repeated(1199999, 40) << QList<int>{};
    QTest::newRow("1 A does not count") << repeated(1000000, 40) << QList<int>{};
}

void TestOverCurrent::counting()
{
    QFETCH(QList<double>, samples);
    QFETCH(QList<int>, shown);

    OverCurrent monitor;
    QCOMPARE(warnings(monitor, samples), shown);
}

void TestOverCurrent::dismissNeedsAFreshExcursion()
{
    OverCurrent monitor;
    QCOMPARE(warnings(monitor, repeated(1.5e6, 21)), QList<int>{20});
    monitor.hideOverCurrent();
    QCOMPARE(warnings(monitor, repeated(1.5e6, 20)), QList<int>{});
    QCOMPARE(warnings(monitor, repeated(1.5e6, 1)), QList<int>{0});
}

void TestOverCurrent::lengthFromSettings()
{
    {
        OverCurrent monitor;
        QCOMPARE(Settings().value(kLengthKey).toInt(), 20);
    }
    Settings().setValue(kLengthKey, 3);
    OverCurrent monitor;
    QCOMPARE(warnings(monitor, repeated(1.5e6, 10)), QList<int>{3});
    QCOMPARE(Settings().value(kLengthKey).toInt(), 3);
}

void TestOverCurrent::processWideMonitor()
{
    OverCurrent* monitor = OverCurrent::instance();
    QVERIFY(monitor);
    QCOMPARE(OverCurrent::instance(), monitor);
    QVERIFY(Settings().contains(kLengthKey));
}

QTEST_GUILESS_MAIN(TestOverCurrent)
#include "tst_overcurrent.moc"
