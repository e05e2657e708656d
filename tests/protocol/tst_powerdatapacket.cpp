// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/powerdatapacket.h"

#include <QTest>

#include <cstdlib>
#include <ctime>

namespace {
// A status report with every field set to a distinct value.
QByteArray statusReport()
{
    QByteArray bytes(64, '\0');
    const unsigned char head[] = {
        0x07, 0x40, 0x0C,
        138,                    // 3 output voltage 13.8 V
        0x00, 0x7B,             // 4-5 output current 12.3 A
        51,                     // 6 USB1 voltage 5.1 V
        0x01, 0x2C,             // 7-8 USB1 current 3.00 A
        0xF6,                   // 9 outside -10 C
        25,                     // 10 inside 25 C
        0x00, 0xE6,             // 11-12 mains 230 V
        0x01, 0xF5,             // 13-14 mains 50.1 Hz
        42,                     // 15 fan 42 %
        0x01, 0x90,             // 16-17 total power 400 W
        0x00, 0x2D,             // 18-19 total current 4.5 A
        0x02, 0x58,             // 20-21 max power 600 W
        0x01, 0xF4,             // 22-23 max current 50.0 A
        0x65, 0x91, 0x66, 0xFC, // 24-27 2023-12-31 13:05:00 UTC
    };
    bytes.replace(0, qsizetype(sizeof head), QByteArray(reinterpret_cast<const char*>(head), sizeof head));
    bytes[37] = 2;
    bytes[38] = 10;
    bytes[39] = 3;
    const unsigned char usb[] = {52, 0x00, 0x64, 53, 0x00, 0x05, 54, 0x01, 0x90}; // 40-48
    bytes.replace(40, qsizetype(sizeof usb), QByteArray(reinterpret_cast<const char*>(usb), sizeof usb));
    return bytes;
}

PowerDataPacket statusPacket()
{
    const QByteArray bytes = statusReport();
    return PowerDataPacket(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
}
} // namespace

class TestPowerDataPacket : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fields();
    void display_data();
    void display();
    void clock();
    void temperature_data();
    void temperature();
    void receivedDescriptorForcedTo12();
};

void TestPowerDataPacket::initTestCase()
{
    // Clock texts are local time; pin the zone so they are known.
    qputenv("TZ", "UTC");
    tzset();
}

void TestPowerDataPacket::fields()
{
    const PowerDataPacket status = statusPacket();
    QCOMPARE(status.dataOffset(), 2);
    QCOMPARE(status.outputVoltage(), 138);
    QCOMPARE(status.outputCurrent(), 123);
    QCOMPARE(status.usb1Voltage(), 51);
    QCOMPARE(status.usb1Current(), 300);
    QCOMPARE(status.tempOutside(), -10);
    QCOMPARE(status.tempInside(), 25);
    QCOMPARE(status.mainsVoltage(), 230);
    QCOMPARE(status.mainsFrequency(), 501);
    QCOMPARE(status.fanSpeed(), 42);
    QCOMPARE(status.totalPower(), 400);
    QCOMPARE(status.totalCurrent(), 45);
    QCOMPARE(status.maxPower(), 600);
    QCOMPARE(status.maxCurrent(), 500);
    QCOMPARE(status.deviceTime(), 1704027900);
    QCOMPARE(status.version(), QStringLiteral("2.10.3"));
    QCOMPARE(status.usb2Voltage(), 52);
    QCOMPARE(status.usb2Current(), 100);
    QCOMPARE(status.usb3Voltage(), 53);
    QCOMPARE(status.usb3Current(), 5);
    QCOMPARE(status.usb4Voltage(), 54);
    QCOMPARE(status.usb4Current(), 400);
    QVERIFY(status.hours24());
    QVERIFY(status.dateFormat().isEmpty());
}

void TestPowerDataPacket::display_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    QTest::newRow("none") << 0 << "NONE";
    QTest::newRow("fan") << 2 << "42%";
    QTest::newRow("output voltage") << 3 << "13.8V";
    QTest::newRow("output current") << 4 << "12.3A";
    QTest::newRow("mains voltage") << 5 << "230V";
    QTest::newRow("mains frequency") << 6 << "50.1Hz";
    QTest::newRow("max power") << 7 << QStringLiteral("\u2305600W");
    QTest::newRow("max current") << 8 << QStringLiteral("\u230550.0A");
    QTest::newRow("total current") << 9 << "4.5A";
    QTest::newRow("total power") << 10 << "400W";
    QTest::newRow("inside") << 11 << QStringLiteral("25\u00B0C");
    QTest::newRow("outside") << 12 << QStringLiteral("-10\u00B0C");
    QTest::newRow("usb1 voltage") << 14 << "5.1V";
    QTest::newRow("usb1 current") << 15 << "3.00A";
    QTest::newRow("usb2 voltage") << 16 << "5.2V";
    QTest::newRow("usb2 current") << 17 << "1.00A";
    QTest::newRow("usb3 voltage") << 18 << "5.3V";
    QTest::newRow("usb3 current") << 19 << "0.05A";
    QTest::newRow("usb4 voltage") << 20 << "5.4V";
    QTest::newRow("usb4 current") << 21 << "4.00A";
    QTest::newRow("past the table") << 22 << "";
    QTest::newRow("negative") << -1 << "";
}

void TestPowerDataPacket::display()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(statusPacket().getData(index), text);
}

void TestPowerDataPacket::clock()
{
    PowerDataPacket status = statusPacket();
    QCOMPARE(status.getData(13), QStringLiteral("13:05"));
    status.setHours24(false);
    QCOMPARE(status.getData(13).toLower(), QStringLiteral("01:05 pm"));

    QCOMPARE(status.getData(1), QString()); // no date format chosen yet
    status.setDateFormat(QStringLiteral("dd.MM.yyyy hh:mm"));
    QCOMPARE(status.getData(1), QStringLiteral("31.12.2023 13:05"));
}

void TestPowerDataPacket::temperature_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<bool>("celsius");
    QTest::addColumn<QString>("text");

    QTest::newRow("25 C") << 25 << true << QStringLiteral("25\u00B0C");
    QTest::newRow("25 F") << 25 << false << QStringLiteral("77\u00B0F");
    QTest::newRow("-10 C") << 0xF6 << true << QStringLiteral("-10\u00B0C");
    QTest::newRow("-10 F") << 0xF6 << false << QStringLiteral("14\u00B0F");
    QTest::newRow("-20 F truncated towards zero") << 0xEC << false << QStringLiteral("-4\u00B0F");
    QTest::newRow("-21 F truncated towards zero") << 0xEB << false << QStringLiteral("-5\u00B0F");
    QTest::newRow("1 F truncated") << 1 << false << QStringLiteral("33\u00B0F");
}

void TestPowerDataPacket::temperature()
{
    QFETCH(int, raw);
    QFETCH(bool, celsius);
    QFETCH(QString, text);

    QByteArray bytes(64, '\0');
    bytes[9] = char(raw);  // outside
    bytes[10] = char(raw); // inside
    PowerDataPacket status(reinterpret_cast<const unsigned char*>(bytes.constData()), 64);
    status.setCelsius(celsius);
    QCOMPARE(status.tout(), text);
    QCOMPARE(status.tin(), text);
    QCOMPARE(status.getData(12), text);
}

void TestPowerDataPacket::receivedDescriptorForcedTo12()
{
    QByteArray bytes = statusReport();
    bytes[2] = 0x15;
    const Packet received(reinterpret_cast<const unsigned char*>(bytes.constData()), 64);
    const PowerDataPacket status(received);
    bytes[2] = 0x0C;
    QCOMPARE(status.toByteArray(), bytes);
    QCOMPARE(status.descriptor(), 12);
}

QTEST_GUILESS_MAIN(TestPowerDataPacket)
#include "tst_powerdatapacket.moc"
