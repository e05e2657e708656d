// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/glwidget.h"

#include "app/helpers.h"
#include "plot/axispower.h"
#include "protocol/channelinfo.h"
#include "rangetext.h"
#include "recording/swapfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Channels 0 to 5 of a model 500, as its channel table describes them.
const char* const kChannels = R"({"Channels": [
    {"channel": 0, "info": "V,13.8V Voltage,", "dataType": 3, "lower": 0, "upper": 15, "pecision": 1},
    {"channel": 1, "info": "A,13.8V Current,", "dataType": 0, "lower": 0, "upper": 40, "pecision": 1},
    {"channel": 2, "info": "V,USB Voltage,", "dataType": 3, "lower": 0, "upper": 12, "pecision": 1},
    {"channel": 3, "info": "A,USB Current,", "dataType": 0, "lower": 0, "upper": 4, "pecision": 2},
    {"channel": 4, "info": "C,Temperature outside,", "dataType": 2, "lower": -30, "upper": 100, "pecision": 0},
    {"channel": 5, "info": "C,Temperature inside,", "dataType": 2, "lower": -30, "upper": 100, "pecision": 0}
]})";

AxisPower* channelAxis(QCPGraph* graph)
{
    return qobject_cast<AxisPower*>(graph->valueAxis());
}

} // namespace

class TestGLWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ChannelInfo::removeChannels();
        ChannelInfo::fromJson(QJsonDocument::fromJson(kChannels).object());
        QCOMPARE(ChannelInfo::channelCount(), 6);
    }
    void init()
    {
        Helpers::timeFormat = 1;
        Helpers::powerMode = false;
        Helpers::power600Mode = false;
    }

    void channelsGetTheirAxesAndColours()
    {
        GLWidget w(new PowerPlot);
        QSignalSpy added(&w, &GLWidget::channelsAdded);
        w.addChannels({5, 0, 3});

        QCOMPARE(added.count(), 1);
        PowerPlot* plot = w.plotter();
        QCOMPARE(plot->graphCount(), 4);
        const QList<int> channels{0, 3, 5};
        const QList<QCPAxis::AxisType> sides{QCPAxis::atRight, QCPAxis::atLeft, QCPAxis::atRight};
        const QList<QColor> colours{QColor("#ff0000"), QColor("#ff00ff"), QColor("#f67209")};
        for (int i = 0; i < 3; ++i) {
            AxisPower* axis = channelAxis(plot->graph(i));
            QVERIFY(axis);
            QCOMPARE(axis->channel(), channels.at(i));
            QCOMPARE(axis->axisType(), sides.at(i));
            QCOMPARE(plot->graph(i)->pen().color(), colours.at(i));
            QCOMPARE(axis->labelColor(), colours.at(i));
            QCOMPARE(plot->graph(i)->keyAxis(), plot->xAxis);
        }
        AxisPower* current = channelAxis(plot->graph(1));
        QCOMPARE(plot->graph(1)->name(), QStringLiteral("#3: USB Current"));
        QCOMPARE(current->label(), QStringLiteral("#3: USB Current, A"));
        QCOMPARE(current->range(), QCPRange(0, 4));
        QCOMPARE(current->rangeMin(), 0.0);
        QCOMPARE(current->rangeMax(), 4.0);
        QCOMPARE(current->numberPrecision(), 2);
        QCOMPARE(current->tickLabelRotation(), -90.0);
    }

    void cursorLineIsLastOnItsOwnLayer()
    {
        GLWidget w(new PowerPlot);
        w.addChannels({0});
        PowerPlot* plot = w.plotter();
        QCPGraph* cursor = plot->graph(plot->graphCount() - 1);
        QCOMPARE(cursor->valueAxis(), plot->yAxis);
        QVERIFY(!plot->yAxis->visible());
        QCOMPARE(plot->yAxis->range(), QCPRange(0, 1));
        QCOMPARE(cursor->layer()->mode(), QCPLayer::lmBuffered);
        QVERIFY(plot->graph(0)->layer() != cursor->layer());
        QVERIFY(cursor->data() != plot->graph(0)->data());

        w.moveCursorLine(4.5);
        QCOMPARE(cursor->data()->size(), 2);
        QCOMPARE(cursor->data()->at(0)->key, 4.5);
        QCOMPARE(cursor->data()->at(0)->value, 0.0);
        QCOMPARE(cursor->data()->at(1)->key, 4.5);
        QCOMPARE(cursor->data()->at(1)->value, 1.0);
    }

    void seriesAreSharedWithTheGraphs()
    {
        GLWidget w(new PowerPlot);
        w.addChannels({0, 3});
        QCOMPARE(w.data().size(), 2);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(w.plotter()->graph(i)->adaptiveSampling());
            QCOMPARE(w.plotter()->graph(i)->data().data(), w.data().at(i).data());
        }
        insertPoint(*w.data().at(1), 1.0, 2.5);
        QCOMPARE(w.plotter()->graph(1)->data()->size(), 1);
    }

    void addingChannelsAgainRebuildsTheGraphs()
    {
        GLWidget w(new PowerPlot);
        w.addChannels({});
        QCOMPARE(w.plotter()->graphCount(), 1);
        w.addChannels({0, 3});
        QCOMPARE(w.plotter()->graphCount(), 3);
        QCOMPARE(w.data().size(), 2);
        int channelAxes = 0;
        for (QCPAxis* axis : w.plotter()->axisRect()->axes())
            channelAxes += qobject_cast<AxisPower*>(axis) != nullptr;
        QCOMPARE(channelAxes, 2);
    }

    void timeRangeOfTheFirstFilledSeries()
    {
        GLWidget w(new PowerPlot);
        w.addChannels({0, 3});
        QCOMPARE(w.timeRange(), QCPRange(0, 0));
        for (double t = 2.0; t <= 9.5; t += 0.5)
            insertPoint(*w.data().at(1), t, 1.0);
        QCOMPARE(w.timeRange(), QCPRange(2.0, 9.5));
    }

    void resetEmptiesTheSeriesInPlace()
    {
        GLWidget fresh(new PowerPlot);
        QVERIFY(fresh.isEmpty());

        GLWidget w(new PowerPlot);
        w.addChannels({0, 3});
        QVERIFY(w.isEmpty());
        insertPoint(*w.data().at(0), 1.0, 13.8);
        QVERIFY(!w.isEmpty());
        const QCPGraphDataContainer* first = w.data().at(0).data();

        w.reset();
        QVERIFY(w.isEmpty());
        QCOMPARE(w.plotter()->graphCount(), 3);
        QCOMPARE(w.plotter()->graph(0)->data().data(), first);
    }

    void fahrenheitAxes_data()
    {
        QTest::addColumn<QList<int>>("channels");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<bool>("converted");
        QTest::newRow("channels 0 and 4") << QList<int>{0, 4} << true << true;
        QTest::newRow("Celsius chosen") << QList<int>{0, 4} << false << false;
    }
    void fahrenheitAxes()
    {
        QFETCH(QList<int>, channels);
        QFETCH(bool, fahrenheit);
        QFETCH(bool, converted);
        GLWidget w(new PowerPlot);
        w.addChannels(channels);
        w.adjustAxisName(channels, fahrenheit);

        AxisPower* voltage = channelAxis(w.plotter()->graph(0));
        AxisPower* outside = channelAxis(w.plotter()->graph(1));
        QCOMPARE(voltage->label(), QStringLiteral("#0: 13.8V Voltage, V"));
        QCOMPARE(voltage->range(), QCPRange(0, 15));
        if (converted) {
            QCOMPARE(outside->label(), QStringLiteral("#4: Temperature outside, F"));
            QCOMPARE(outside->range(), QCPRange(-22, 212));
            QCOMPARE(outside->rangeMin(), -22.0);
            QCOMPARE(outside->rangeMax(), 212.0);
        } else {
            QCOMPARE(outside->label(), QStringLiteral("#4: Temperature outside, C"));
            QCOMPARE(outside->range(), QCPRange(-30, 100));
        }
    }

    void titleText_data()
    {
        QTest::addColumn<bool>("power");
        QTest::addColumn<int>("mask");
        QTest::addColumn<double>("endTime");
        QTest::addColumn<QString>("text");
        QTest::newRow("model 500") << true << 3 << 0.0 << "Channels: #0, #1,  Sample rate: 1000 Hz";
        QTest::newRow("logger") << false << 3 << 0.0 << "Channels: #0, #1,  Sample rate: 10(1.000 kHz)";
        QTest::newRow("with its length")
            << true << 3 << 75.25 << "Channels: #0, #1,  Sample rate: 1000 Hz, Measurement time: 75.25s";
        QTest::newRow("no channels") << true << 0 << 0.0 << "";
    }
    void titleText()
    {
        QFETCH(bool, power);
        QFETCH(int, mask);
        QFETCH(double, endTime);
        QFETCH(QString, text);
        Helpers::powerMode = power;
        SwapFileHeader header;
        header.channelMask = quint8(mask);
        header.period = 10;
        QCOMPARE(GLWidget::titleText(header, {0, 1}, endTime), text);
    }

    void titleIsReplaced()
    {
        GLWidget w(new PowerPlot);
        w.addChannels({0});
        w.addTitle();
        w.addTitle();
        PowerPlot* plot = w.plotter();
        QCOMPARE(plot->itemCount(), 1);
        QCOMPARE(plot->item(0)->objectName(), QStringLiteral("measurementTitle"));
        // Others may remove it first; the next title must not trip over that.
        plot->removeItem(plot->item(0));
        w.addTitle();
        QCOMPARE(plot->itemCount(), 1);
    }

    void destructionRemovesOnlyUnsavedFiles_data()
    {
        QTest::addColumn<bool>("saved");
        QTest::newRow("saved") << true;
        QTest::newRow("unsaved") << false;
    }
    void destructionRemovesOnlyUnsavedFiles()
    {
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Capture 1.tmp"));
        auto* w = new GLWidget(new PowerPlot);
        QVERIFY(w->swapFile()->create(path));
        w->setSaved(saved);
        delete w;
        QCOMPARE(QFile::exists(path), saved);
    }

    void configurePlot_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("label");
        QTest::newRow("seconds") << 1 << "Time, sec";
        QTest::newRow("clock") << 2 << "Time";
    }
    void configurePlot()
    {
        QFETCH(int, format);
        QFETCH(QString, label);
        Helpers::timeFormat = format;
        PowerPlot plot;
        GLWidget::configurePlot(&plot, Qt::white);
        PlotAxis* time = plot.timeAxis();
        QCOMPARE(time->label(), label);
        QCOMPARE(time->range(), QCPRange(0, 10));
        QCOMPARE(time->labelFont().weight(), QFont::Bold);
        QCOMPARE(time->tickLengthIn(), 8);
        QCOMPARE(time->subTickLengthIn(), 4);
        QCOMPARE(time->labelColor(), QColor(Qt::black));
        QVERIFY(!plot.autoAddPlottableToLegend());
    }
};

QTEST_MAIN(TestGLWidget)
#include "tst_glwidget.moc"
