// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"

#include <QTest>

namespace {
const QString kMicro = QStringLiteral("\u03bc");
const QString kArrow = QStringLiteral("\u2b9c");
} // namespace

class TestTimeText : public QObject
{
    Q_OBJECT

private slots:
    void init() { Helpers::timeFormat = 1; }

    void timeToSeconds_data()
    {
        QTest::addColumn<double>("t");
        QTest::addColumn<bool>("withUnit");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("50 us") << 0.00005 << true << 3 << QString(QStringLiteral("50") + kMicro + QStringLiteral("s"));
        QTest::newRow("zero") << 0.0 << true << 3 << QString(QStringLiteral("0") + kMicro + QStringLiteral("s"));
        QTest::newRow("100 us is ms") << 0.0001 << true << 3 << QStringLiteral("0.1ms");
        QTest::newRow("250 ms") << 0.25 << true << 3 << QStringLiteral("250.0ms");
        QTest::newRow("seconds") << 12.5 << true << 3 << QStringLiteral("12.500s");
        QTest::newRow("decimals") << 12.5 << true << 1 << QStringLiteral("12.5s");
        QTest::newRow("no unit") << 0.25 << false << 2 << QStringLiteral("0.25");
    }
    void timeToSeconds()
    {
        QFETCH(double, t);
        QFETCH(bool, withUnit);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(Helpers::timeToSeconds(t, withUnit, decimals), text);
    }

    void timeToNative_data()
    {
        QTest::addColumn<double>("t");
        QTest::addColumn<QString>("text");
        QTest::newRow("under a minute reads as seconds") << 59.5 << QStringLiteral("59.500s");
        QTest::newRow("one minute") << 60.0 << QStringLiteral("1:00.000");
        QTest::newRow("minutes") << 75.25 << QStringLiteral("1:15.250");
        QTest::newRow("hours") << 3725.125 << QStringLiteral("1:02:05.125");
        QTest::newRow("days") << 90061.5 << QStringLiteral("1 1:01:01.500");
    }
    void timeToNative()
    {
        QFETCH(double, t);
        QFETCH(QString, text);
        QCOMPARE(Helpers::timeToNative(t, true, 3), text);
    }

    void timeToStringFollowsTheFormat()
    {
        Helpers::timeFormat = 1;
        QCOMPARE(Helpers::timeToString(75.25, true, 3), QStringLiteral("75.250s"));
        Helpers::timeFormat = 2;
        QCOMPARE(Helpers::timeToString(75.25, true, 3), QStringLiteral("1:15.250"));
    }

    void labelsOfTenthSeconds()
    {
        QList<double> ticks;
        for (int i = 0; i <= 25; ++i)
            ticks.append(i * 0.1);
        QList<QString> labels;
        QMap<int, QString> majors;
        Helpers::timeToLabels(0.1, ticks, labels, majors);

        QCOMPARE(labels.size(), ticks.size());
        QCOMPARE(labels.at(0), QString());
        QCOMPARE(labels.at(1), QStringLiteral("+0.1s"));
        QCOMPARE(labels.at(9), QStringLiteral("+0.9s"));
        QCOMPARE(labels.at(10), QString());
        QCOMPARE(labels.at(11), QStringLiteral("+0.1s"));
        QCOMPARE(labels.at(20), QString());
        QCOMPARE(majors.keys(), QList<int>({-1, 0, 10, 20}));
        QCOMPARE(majors.value(0), QString(QStringLiteral("0") + kMicro + QStringLiteral("s")));
        QCOMPARE(majors.value(10), QStringLiteral("1.000s"));
        QCOMPARE(majors.value(-1), QString(kArrow + QStringLiteral("0") + kMicro + QStringLiteral("s")));
    }

    // One row per line of the unit table: the first offset label and where
    // the second major tick falls.
    void labelUnits_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("nextMajor");
        QTest::newRow("0.0001") << 0.0001 << QStringLiteral("+0.10ms") << 10;
        QTest::newRow("0.0005") << 0.0005 << QStringLiteral("+0.50ms") << 2;
        QTest::newRow("0.001") << 0.001 << QStringLiteral("+1ms") << 10;
        QTest::newRow("0.005") << 0.005 << QStringLiteral("+5ms") << 20;
        QTest::newRow("0.01") << 0.01 << QStringLiteral("+10ms") << 10;
        QTest::newRow("0.05") << 0.05 << QStringLiteral("+0.05s") << 20;
        QTest::newRow("0.5") << 0.5 << QStringLiteral("+0.5s") << 20;
        QTest::newRow("1") << 1.0 << QStringLiteral("+1s") << 10;
        QTest::newRow("5") << 5.0 << QStringLiteral("+5s") << 20;
        QTest::newRow("10") << 10.0 << QStringLiteral("+10s") << 10;
        QTest::newRow("other") << 500.0 << QStringLiteral("+500s") << 2;
    }
    void labelUnits()
    {
        QFETCH(double, step);
        QFETCH(QString, first);
        QFETCH(int, nextMajor);
        QList<double> ticks;
        for (int i = 0; i <= 30; ++i)
            ticks.append(i * step);
        QList<QString> labels;
        QMap<int, QString> majors;
        Helpers::timeToLabels(step, ticks, labels, majors);
        QCOMPARE(labels.at(1), first);
        QCOMPARE(majors.keys().at(2), nextMajor);
        QCOMPARE(labels.at(nextMajor), QString());
    }

    void divider_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("divider");
        QTest::addColumn<QChar>("ampere");
        QTest::addColumn<QChar>("volt");
        QTest::newRow("999") << 999.0 << 1 << kMicro.at(0) << QChar('m');
        QTest::newRow("1000") << 1000.0 << 1000 << QChar('m') << QChar(' ');
        QTest::newRow("999999") << 999999.0 << 1000 << QChar('m') << QChar(' ');
        QTest::newRow("1000000") << 1000000.0 << 1000000 << QChar(' ') << QChar(' ');
    }
    void divider()
    {
        QFETCH(double, value);
        QFETCH(int, divider);
        QFETCH(QChar, ampere);
        QFETCH(QChar, volt);
        QCOMPARE(Helpers::divider(value), divider);
        QCOMPARE(Helpers::unitCharA(divider), ampere);
        QCOMPARE(Helpers::unitCharV(divider), volt);
    }

    void sampleRateText()
    {
        QCOMPARE(Helpers::sampleRateToFQString(10), QStringLiteral("(1.000 kHz)"));
        QCOMPARE(Helpers::sampleRateToFQString(3), QStringLiteral("(3.333 kHz)"));
    }
};

QTEST_GUILESS_MAIN(TestTimeText)
#include "tst_timetext.moc"
