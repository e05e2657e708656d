// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the hub between the HID link and the rest, against the
// simulated unit.
#include "app/helpers.h"
#include "app/mainwindow.h"
#include "settings/optionsdialog.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "protocol/channelinfo.h"
#include "recording/powerpanel.h"
#include "sim/simulatedunit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using sim::Bus;
using sim::Model;

namespace {
QStringList traceOf(const std::shared_ptr<sim::SimulatedUnit>& unit)
{
    QStringList lines;
    for (const std::string& line : unit->trace())
        lines << QString::fromStdString(line);
    return lines;
}

// A power report: 0x07, then either a fixed-layout descriptor or a text.
QByteArray powerReport(const QByteArray& afterHeader, bool text)
{
    QByteArray report(64, '\0');
    report[0] = 0x07;
    report[1] = text ? char(afterHeader.size()) : char(0x40);
    report.replace(2, afterHeader.size(), afterHeader);
    return report;
}

QByteArray loggerReport(unsigned char descriptor, int position = 0, unsigned char value = 0)
{
    QByteArray report(64, '\0');
    report[0] = char(descriptor);
    report[position] = char(value);
    return report;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<sim::SimulatedUnit> m_unit;

    void inject(QByteArray report)
    {
        m_window->on_packetReceived(reinterpret_cast<unsigned char*>(report.data()), report.size());
    }

    QAbstractButton* button(const char* name) const
    {
        return m_window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }

    // Connects the window to the unit and lets the first exchange settle.
    void connectUnit()
    {
        QVERIFY(HidDevice::device()->searchDevice(true));
        QVERIFY(HidDevice::device()->isOpen());
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quenlor Ampora"));
    }

    void init()
    {
        QFile::remove(Settings().fileName());
        // Update checks go to a closed port on this machine, never outside.
        Settings().setValue(QStringLiteral("Update/server"), QStringLiteral("https://127.0.0.1:9"));
        Bus::instance().reset();
        m_unit = Bus::instance().unit();
        Helpers::powerMode = false;
        Helpers::power600Mode = false;
        Helpers::isMeasuring = false;
        m_window = std::make_unique<MainWindow>();
    }

    void cleanup()
    {
        m_window.reset();
        m_unit.reset();
    }

    void opensWithDefaultLayout()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(m_window->size(), QSize(700, 889));
        auto* dock = m_window->findChild<QDockWidget*>(QStringLiteral("dockControl"));
        QVERIFY(dock && dock->isVisible());
        QCOMPARE(m_window->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
        QVERIFY(!m_window->darkColor());
        QCOMPARE(Helpers::timeFormat, 1);
        QCOMPARE(m_window->timeLimit(), 100);
        auto* combo = m_window->findChild<QComboBox*>();
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("100"));
        QCOMPARE(combo->itemText(4), QStringLiteral("Custom: 10"));
        QCOMPARE(combo->itemText(3), QString(QChar(0x221E)));
    }

    void connectionTitlesAndConverses_data()
    {
        QTest::addColumn<Model>("model");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("rows");
        QTest::newRow("model 500") << Model::Power500 << " Kelvane Power 500 connected" << 8;
        QTest::newRow("model 600") << Model::Power600 << " Kelvane Power 600 connected" << 14;
    }
    void connectionTitlesAndConverses()
    {
        QFETCH(Model, model);
        QFETCH(QString, title);
        QFETCH(int, rows);
        Bus::instance().clear();
        m_unit = Bus::instance().addUnit(model, model == Model::Power500 ? "500200000007" : "500300000007");
        connectUnit();
        QCOMPARE(m_window->windowTitle(), title);
        QCOMPARE(ChannelInfo::channelCount(), rows);
        QCOMPARE(m_window->findChild<QTableWidget*>(QStringLiteral("tableWidget"))->rowCount(), rows);
        QCOMPARE(traceOf(m_unit), (QStringList{"text \"LOGSTOP\\n\"", "info-request"}));
        QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Device connected"));
    }

    void removalIsReported()
    {
        connectUnit();
        Helpers::isMeasuring = true;
        m_unit->unplug();
        HidDevice::device()->checkTimerTick();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Quenlor Ampora - no device connected"));
        QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Device disconnected"));
        QCOMPARE(m_window->statusBar()->styleSheet(), QStringLiteral("color: red"));
        QVERIFY(!Helpers::isMeasuring);
        QCOMPARE(ChannelInfo::channelCount(), 0);
        QVERIFY(Helpers::powerMode); // the mode stays until the next connection
    }

    void unitThatCannotBeOpenedNamesTheFix()
    {
        Bus::instance().setOpenDenied(true);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot open")));
        HidDevice::device()->searchDevice(true);
        QVERIFY(m_window->windowTitle().contains(QStringLiteral("cannot be opened")));
        const QString status = m_window->statusBar()->currentMessage();
        QVERIFY2(status.contains(QStringLiteral("60-kelvane-power.rules")), qPrintable(status));
        QVERIFY(status.contains(QStringLiteral("udevadm")));
    }

    void routing_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QStringList>("writes");

        const QString settings = QStringLiteral("settings-request");
        const QString status = QStringLiteral("status-request");
        const QString logStop = QStringLiteral("text \"LOGSTOP\\n\"");
        QTest::newRow("ON, carriage return") << powerReport("ON\r", true) << QStringList{status, settings};
        QTest::newRow("ON, CR LF") << powerReport("ON\r\n", true) << QStringList{status, settings};
        QTest::newRow("OFF") << powerReport("OFF\r", true) << QStringList{settings};
        QTest::newRow("ON without carriage return") << powerReport("ON", true) << QStringList{};
        QTest::newRow("refusal text") << powerReport("ERR\r", true) << QStringList{};
        QTest::newRow("OK without a pending tune") << powerReport("OK\r", true) << QStringList{};
        QTest::newRow("settings block") << powerReport("\x0a", false) << QStringList{status};
        QTest::newRow("settings stored") << powerReport("\x0b", false) << QStringList{settings};
        QTest::newRow("status") << powerReport("\x0c", false) << QStringList{};
        QTest::newRow("end of log") << powerReport("\x08", false) << QStringList{};
        QTest::newRow("sample, no run") << powerReport(QByteArray("\x01\x00\x00\x00\x01\x8a", 6), false)
                                        << QStringList{logStop};
        QTest::newRow("sample descriptor 31, no run") << powerReport("\x1f", false) << QStringList{logStop};
        QTest::newRow("device information") << loggerReport(1) << QStringList{};
        QTest::newRow("measurement answer") << loggerReport(2) << QStringList{};
        QTest::newRow("channel description") << loggerReport(4) << QStringList{};
        QTest::newRow("logger sample, no run") << loggerReport(5) << QStringList{};
        QTest::newRow("status response") << loggerReport(6) << QStringList{};
        QTest::newRow("descriptor 3") << loggerReport(3) << QStringList{};
        QTest::newRow("descriptor 8") << loggerReport(8) << QStringList{};
        QTest::newRow("descriptor 9") << loggerReport(9) << QStringList{};
        QTest::newRow("descriptor 255") << loggerReport(255) << QStringList{};
    }
    void routing()
    {
        QFETCH(QByteArray, report);
        QFETCH(QStringList, writes);
        connectUnit();
        m_unit->setSilent(true); // only what the window itself sends
        m_unit->clearWrites();
        inject(report);
        QCOMPARE(traceOf(m_unit), writes);
    }

    // While the 12 V trim awaits its result, the unit's OK asks for the block
    // that carries it, and that block is not followed by a status request.
    void routingWhileTuning_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QStringList>("writes");
        const QString settings = QStringLiteral("settings-request");
        QTest::newRow("OK") << powerReport("OK\r", true) << QStringList{settings};
        QTest::newRow("VTUNE OK") << powerReport("VTUNE OK\r", true) << QStringList{settings};
        QTest::newRow("ON still drives the panel") << powerReport("ON\r", true)
                                                    << QStringList{QStringLiteral("status-request"), settings};
        QTest::newRow("settings block") << powerReport("\x0a", false) << QStringList{};
    }
    void routingWhileTuning()
    {
        QFETCH(QByteArray, report);
        QFETCH(QStringList, writes);
        connectUnit();
        m_unit->setSilent(true);
        m_unit->clearWrites();
        OptionsDialog::m_waitForVtune = true;
        inject(report);
        OptionsDialog::m_waitForVtune = false;
        QCOMPARE(traceOf(m_unit), writes);
    }

    void powerAnswersDriveThePanel()
    {
        connectUnit();
        m_unit->setSilent(true);
        inject(powerReport("ON\r", true));
        QVERIFY(button("btnStart")->isEnabled());
        QVERIFY(button("btnCheckPower")->isEnabled());
        inject(powerReport("OFF\r", true));
        QVERIFY(!button("btnStart")->isEnabled());

        // A refused start re-enables the buttons and clears the run flag.
        Helpers::isMeasuring = true;
        inject(powerReport("ERR\r", true));
        QVERIFY(!Helpers::isMeasuring);
        QVERIFY(button("btnCheckPower")->isEnabled());
    }

    void statusPacketFillsTheTable()
    {
        connectUnit();
        m_unit->setSilent(true);
        QByteArray report = powerReport("\x0c", false);
        report[3] = char(138); // 13.8 V
        report[13] = char(0x01);
        report[14] = char(0xF4); // 50.0 Hz
        inject(report);
        auto* table = m_window->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("13.8V"));
        QCOMPARE(table->item(7, 1)->text(), QStringLiteral("50.0Hz"));
    }

    void measurementAnswerTexts_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("message");
        QByteArray failed = loggerReport(2, 3, 5);
        QTest::newRow("error 5") << failed << "FAILED to start measuring: 5";
        QTest::newRow("started") << loggerReport(2, 1, 8) << "Measuring...";
        QTest::newRow("stopped") << loggerReport(2, 1, 64) << "";
    }
    void measurementAnswerTexts()
    {
        QFETCH(QByteArray, report);
        QFETCH(QString, message);
        m_window->showStatusMessage(QStringLiteral("before"));
        inject(report);
        QCOMPARE(m_window->statusBar()->currentMessage(), message);
    }

    void panelIsConnectedOnceAcrossReconnects()
    {
        for (int i = 0; i < 3; ++i) {
            connectUnit();
            m_unit->unplug();
            HidDevice::device()->checkTimerTick();
            m_unit->plug();
        }
        connectUnit();
        m_unit->setSilent(true);
        m_unit->clearWrites();
        button("btnStop")->click();
        QCOMPARE(traceOf(m_unit), (QStringList{"text \"LOGSTOP\\n\""}));
    }

    void nothingIsSentDuringAnUpload()
    {
        connectUnit();
        m_unit->setSilent(true);
        m_unit->clearWrites();
        Helpers::isUpdating = true;
        m_window->sendCommand(QStringLiteral("POWER\n"));
        m_window->sendPacket(Packet(1));
        Helpers::isUpdating = false;
        QVERIFY(traceOf(m_unit).isEmpty());
    }

    void updateNoticeOncePerDay()
    {
        m_window->on_newSWAvailable(false);
        QVERIFY(m_window->statusBar()->currentMessage().isEmpty());
        m_window->on_newSWAvailable(true);
        QCOMPARE(m_window->statusBar()->currentMessage(),
                 QStringLiteral("A new software version is available. Go to Settings to update."));
        QVERIFY(Settings().value(QStringLiteral("Update/sw_notify_time")).toLongLong() > 0);
        m_window->statusBar()->clearMessage();
        m_window->on_newSWAvailable(true);
        QVERIFY(m_window->statusBar()->currentMessage().isEmpty());
        m_window->on_newFWAvailable(true);
        QCOMPARE(m_window->statusBar()->currentMessage(),
                 QStringLiteral("A new firmware version is available. Go to Settings to update."));
    }

    void timeLimitChoices()
    {
        auto* combo = m_window->findChild<QComboBox*>();
        m_window->on_comboboxTimeAcivated(3);
        QCOMPARE(m_window->timeLimit(), -1);
        QCOMPARE(Settings().value(QStringLiteral("Options/time-length-index")).toInt(), 3);

        // The custom item asks; cancelling keeps the limit but stores the index.
        QTimer::singleShot(0, this, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        m_window->on_comboboxTimeAcivated(4);
        QCOMPARE(m_window->timeLimit(), -1);
        QCOMPARE(Settings().value(QStringLiteral("Options/time-length-index")).toInt(), 4);
        QCOMPARE(combo->itemText(4), QStringLiteral("Custom: 10"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
