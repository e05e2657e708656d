// SPDX-License-Identifier: GPL-3.0-or-later
// The HID link against the simulated unit.
#include "app/helpers.h"
#include "device/hiddevice.h"
#include "protocol/packet.h"
#include "sim/simulatedunit.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

using sim::Bus;
using sim::Model;

Q_DECLARE_METATYPE(Model)

namespace {
const char kUnit500[] = "500212345678";
const char kUnit600[] = "500398765432";

bool hasEvent(const std::string& prefix)
{
    const auto events = Bus::instance().events();
    return std::any_of(events.begin(), events.end(),
                       [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
}

QByteArray bytesOf(const sim::WriteBuffer& buffer)
{
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), int(buffer.size()));
}
} // namespace

class TestHidDevice : public QObject
{
    Q_OBJECT

private:
    HidDevice* m_hid = nullptr;

    // A fresh link whose timers do not run: each test drives the steps itself.
    HidDevice* freshLink()
    {
        delete HidDevice::device();
        m_hid = HidDevice::device();
        m_hid->stop();
        return m_hid;
    }

    std::shared_ptr<sim::SimulatedUnit> singleUnit(Model model = Model::Power500, const char* serial = kUnit500)
    {
        Bus::instance().clear();
        auto unit = Bus::instance().addUnit(model, serial);
        Bus::instance().clearEvents();
        return unit;
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        Bus::instance().reset();
        Helpers::powerMode = false;
        Helpers::power600Mode = false;
        freshLink();
    }

    void cleanupTestCase()
    {
        delete HidDevice::device();
    }

    void opensSupportedUnitAndSignalsOnce()
    {
        auto unit = singleUnit();
        QSignalSpy connected(m_hid, &HidDevice::deviceConnected);
        QVERIFY(m_hid->searchDevice(true));
        QCOMPARE(connected.count(), 1);
        QVERIFY(m_hid->isOpen());
        QCOMPARE(m_hid->serialNumber(), QString::fromLatin1(kUnit500));
        QCOMPARE(m_hid->modelCode(), QStringLiteral("5002"));
        QVERIFY(!m_hid->bootloaderMode());
        QVERIFY(hasEvent("open 0483:a1de 500212345678"));

        // An open link is only checked for presence.
        QVERIFY(m_hid->checkTimerTick());
        QVERIFY(m_hid->searchDevice(true));
        QCOMPARE(connected.count(), 1);
    }

    void firstQualifyingRecordWins_data()
    {
        QTest::addColumn<QStringList>("bus");
        QTest::addColumn<QString>("opened");
        QTest::newRow("500 before 600") << QStringList{"unit500", "unit600"} << kUnit500;
        QTest::newRow("600 before 500") << QStringList{"unit600", "unit500"} << kUnit600;
        QTest::newRow("foreign devices first") << QStringList{"foreign", "unsupported", "unit600"} << kUnit600;
        QTest::newRow("only unsupported serial") << QStringList{"unsupported"} << QString();
        QTest::newRow("only another vendor") << QStringList{"foreign"} << QString();
        QTest::newRow("nothing attached") << QStringList{} << QString();
    }
    void firstQualifyingRecordWins()
    {
        QFETCH(QStringList, bus);
        QFETCH(QString, opened);
        Bus::instance().clear();
        for (const QString& device : bus) {
            if (device == QLatin1String("unit500"))
                Bus::instance().addUnit(Model::Power500, kUnit500);
            else if (device == QLatin1String("unit600"))
                Bus::instance().addUnit(Model::Power600, kUnit600);
            else if (device == QLatin1String("unsupported"))
                Bus::instance().addDevice(0x0483, 0xA1DE, "400100000001");
            else
                Bus::instance().addDevice(0x046d, 0xc52b, "5002FOREIGN");
        }
        QSignalSpy connected(m_hid, &HidDevice::deviceConnected);
        m_hid->searchDevice(true);
        QCOMPARE(m_hid->isOpen(), !opened.isEmpty());
        QCOMPARE(m_hid->serialNumber(), opened);
        QCOMPARE(connected.count(), opened.isEmpty() ? 0 : 1);
        QVERIFY(!hasEvent("open 0483:a1de 4001"));
        QVERIFY(!hasEvent("open 046d"));
    }

    void unplugSignalsExactlyOnceAndReplugReconnects()
    {
        auto unit = singleUnit();
        QVERIFY(m_hid->searchDevice(true));
        QSignalSpy connected(m_hid, &HidDevice::deviceConnected);
        QSignalSpy disconnected(m_hid, &HidDevice::deviceDisconnected);

        unit->unplug();
        QVERIFY(!m_hid->checkTimerTick());
        QCOMPARE(disconnected.count(), 1);
        QVERIFY(!m_hid->isOpen());
        QVERIFY(hasEvent("close 0483:a1de 500212345678"));
        m_hid->checkTimerTick();
        QCOMPARE(disconnected.count(), 1);

        unit->plug();
        QVERIFY(m_hid->checkTimerTick());
        QCOMPARE(connected.count(), 1);
        QVERIFY(m_hid->isOpen());
    }

    void unsupportedDeviceDoesNotKeepLinkAlive()
    {
        auto unit = singleUnit();
        Bus::instance().addDevice(0x0483, 0xA1DE, "499900000001");
        Bus::instance().addDevice(0x046d, 0xc52b, "5003OTHERVENDOR");
        QVERIFY(m_hid->searchDevice(true));
        QSignalSpy disconnected(m_hid, &HidDevice::deviceDisconnected);

        unit->unplug();
        m_hid->checkTimerTick();
        QCOMPARE(disconnected.count(), 1);
        QVERIFY(!m_hid->isOpen());
        m_hid->checkTimerTick();
        QVERIFY(!m_hid->isOpen());
    }

    void bootloaderIsOpenedSilently()
    {
        auto unit = singleUnit();
        unit->enterBootloader();
        QSignalSpy connected(m_hid, &HidDevice::deviceConnected);
        QVERIFY(m_hid->searchDevice(true));
        QVERIFY(m_hid->isOpen());
        QVERIFY(m_hid->bootloaderMode());
        QCOMPARE(connected.count(), 0);
        QVERIFY(hasEvent("open 0483:a1da"));
        // A bootloader keeps the link alive.
        QVERIFY(m_hid->checkTimerTick());
    }

    void unitThatCannotBeOpenedIsReportedOnce()
    {
        singleUnit();
        Bus::instance().setOpenDenied(true);
        QSignalSpy connected(m_hid, &HidDevice::deviceConnected);
        QSignalSpy failed(m_hid, &HidDevice::deviceOpenFailed);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot open.*Permission denied")));
        QVERIFY(m_hid->searchDevice(true));
        QVERIFY(m_hid->searchDevice(true));
        QVERIFY(!m_hid->isOpen());
        QCOMPARE(connected.count(), 0);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().at(0).toString(), QString::fromLatin1(kUnit500));

        Bus::instance().setOpenDenied(false);
        QVERIFY(m_hid->searchDevice(true));
        QCOMPARE(connected.count(), 1);
    }

    void readStepDrainsEveryQueuedReport()
    {
        auto unit = singleUnit();
        Helpers::powerMode = true;
        QVERIFY(m_hid->searchDevice(true));
        for (int i = 0; i < 5; ++i)
            m_hid->sendPacket(PowerPacket::statusRequest());
        QVERIFY(QTest::qWaitFor([&] { return unit->writes().size() == 5; }, 5000));

        QList<QByteArray> received;
        connect(m_hid, &HidDevice::packetReceived, this,
                [&](quint8* data, int length) { received.append(QByteArray(reinterpret_cast<char*>(data), length)); });
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     m_hid->hidRead();
                                     return received.size() == 5;
                                 }()),
                                 5000);
        for (const QByteArray& report : received) {
            QCOMPARE(report.size(), 64);
            QCOMPARE(quint8(report[0]), quint8(0x07));
            QCOMPARE(quint8(report[2]), quint8(0x0C));
        }
    }

    void nestedEventLoopInHandOverDoesNotDeadlock()
    {
        auto unit = singleUnit();
        Helpers::powerMode = true;
        QVERIFY(m_hid->searchDevice(true));
        for (int i = 0; i < 3; ++i)
            m_hid->sendPacket(PowerPacket::statusRequest());

        int received = 0;
        connect(m_hid, &HidDevice::packetReceived, this, [&](quint8*, int) {
            if (++received == 1) {
                // Like a modal box: the read timer fires inside this call.
                QEventLoop loop;
                QTimer::singleShot(50, &loop, &QEventLoop::quit);
                QTimer readTimer;
                connect(&readTimer, &QTimer::timeout, m_hid, &HidDevice::hidRead);
                readTimer.start(1);
                loop.exec();
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     m_hid->hidRead();
                                     return received == 3;
                                 }()),
                                 5000);
    }

    void receiverClosingTheLinkEndsTheReadStep()
    {
        auto unit = singleUnit();
        Helpers::powerMode = true;
        QVERIFY(m_hid->searchDevice(true));
        for (int i = 0; i < 3; ++i)
            m_hid->sendPacket(PowerPacket::statusRequest());
        QTest::qWait(20);

        int received = 0;
        connect(m_hid, &HidDevice::packetReceived, this, [&](quint8*, int) {
            ++received;
            m_hid->disconnectDevice();
        });
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     m_hid->hidRead();
                                     return received > 0;
                                 }()),
                                 5000);
        QCOMPARE(received, 1);
    }

    void writeFramings_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QByteArray>("expected");

        Packet info(Descriptors::kDeviceInfo);
        info.set(5, static_cast<unsigned char>(0xAB));
        const QByteArray infoBytes = info.toByteArray();
        const QByteArray status = QByteArray::fromHex("07400c") + QByteArray(61, '\0');

        QTest::newRow("logger packet: unnumbered report")
            << 0 << "packet" << (QByteArray(1, '\0') + infoBytes);
        QTest::newRow("model 500 packet: first byte is the report number")
            << 1 << "packet" << (infoBytes + QByteArray(1, '\0'));
        QTest::newRow("model 600 packet") << 2 << "packet" << (infoBytes + QByteArray(1, '\0'));
        QTest::newRow("power packet in logger mode") << 0 << "power" << (status + QByteArray(1, '\0'));
        QTest::newRow("power packet in model 500 mode") << 1 << "power" << (status + QByteArray(1, '\0'));
        QTest::newRow("text command")
            << 1 << "POWER\n" << (QByteArray::fromHex("0706") + "POWER\n" + QByteArray(57, '\0'));
        const QString longest(63, QLatin1Char('X'));
        QTest::newRow("63 characters")
            << 1 << longest << (QByteArray::fromHex("073f") + longest.toLatin1());
    }
    void writeFramings()
    {
        QFETCH(int, mode);
        QFETCH(QString, what);
        QFETCH(QByteArray, expected);
        auto unit = singleUnit();
        QVERIFY(m_hid->searchDevice(true));
        Helpers::powerMode = mode == 1;
        Helpers::power600Mode = mode == 2;

        int result = 0;
        if (what == QLatin1String("packet")) {
            Packet info(Descriptors::kDeviceInfo);
            info.set(5, static_cast<unsigned char>(0xAB));
            result = m_hid->sendPacket(info);
        } else if (what == QLatin1String("power")) {
            result = m_hid->sendPacket(PowerPacket::statusRequest());
        } else {
            result = m_hid->sendCommand(what);
        }
        QCOMPARE(result, 65);
        const auto writes = unit->writes();
        QCOMPARE(writes.size(), size_t(1));
        QCOMPARE(bytesOf(writes.front().bytes), expected);
    }

    void refusedWritesSendNothing()
    {
        auto unit = singleUnit();
        QCOMPARE(m_hid->sendCommand(QStringLiteral("POWER\n")), 0); // no link yet
        QCOMPARE(m_hid->sendPacket(PowerPacket::statusRequest()), 0);
        QVERIFY(m_hid->searchDevice(true));
        QCOMPARE(m_hid->sendCommand(QString()), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("sendCommand.*refused")));
        QVERIFY(m_hid->sendCommand(QString(64, QLatin1Char('X'))) < 0);
        QVERIFY(unit->writes().empty());
    }
};

QTEST_GUILESS_MAIN(TestHidDevice)
#include "tst_hiddevice.moc"
