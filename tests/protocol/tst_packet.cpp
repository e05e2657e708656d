// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/reports.h"
#include "protocol/packet.h"
#include "protocol/powerdatapacket.h"

#include <QTest>

class TestPacket : public QObject
{
    Q_OBJECT

private slots:
    void descriptorPerFamily();
    void toByteArrayLength_data();
    void toByteArrayLength();
    void constructionCopiesAtMost64Bytes();
    void traceOfZeroPacket();
    void toStringShowsDescriptor();
    void copyOfStatusPacketKeepsAllBytes();
    void setters();
    void builtPackets_data();
    void builtPackets();
    void powerInitKeepsPayload();
    void descriptorClasses();
    void deviceControlAnswer();
};

void TestPacket::descriptorPerFamily()
{
    const QByteArray bytes = report({0x07, 0x40, 0x0C, 0x11});
    const Packet plain = packetOf(bytes);
    const PowerPacket power(plain);
    QCOMPARE(plain.descriptor(), 7);
    QCOMPARE(power.descriptor(), 12);
    QCOMPARE(plain.size(), 64);
    QCOMPARE(power.size(), 64);
}

void TestPacket::toByteArrayLength_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("text answer") << report({0x07, 6, 'P', 'O', 'W', 'E', 'R', '\n'})
                                 << QByteArray("\x07\x06POWE", 6);
    QTest::newRow("fixed layout") << report({0x07, 0x40, 0x0C}) << report({0x07, 0x40, 0x0C});
    QTest::newRow("length beyond report") << report({0x07, 0xFF, 0x0C}) << report({0x07, 0xFF, 0x0C});
}

void TestPacket::toByteArrayLength()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    QCOMPARE(PowerPacket(packetOf(bytes)).toByteArray(), expected);
}

void TestPacket::constructionCopiesAtMost64Bytes()
{
    QByteArray longer(80, '\x5A');
    const Packet packet = packetOf(longer);
    QCOMPARE(packet.toByteArray(), QByteArray(64, '\x5A'));

    const unsigned char shortData[] = {0x05, 0x01};
    QCOMPARE(Packet(shortData, 2).toByteArray(), report({0x05, 0x01}));
}

void TestPacket::traceOfZeroPacket()
{
    const QString trace = Packet().trace();
    QCOMPARE(trace.size(), 320);
    QCOMPARE(trace, QStringLiteral("0x00 ").repeated(64));
    QVERIFY(Packet(0xAB).trace().startsWith(QStringLiteral("0xab 0x00 ")));
}

void TestPacket::toStringShowsDescriptor()
{
    QCOMPARE(Packet(7).toString(), QStringLiteral("Descriptor: 0x7"));
    QCOMPARE(Packet(0xAB).toString(), QStringLiteral("Descriptor: 0xab"));
}

void TestPacket::copyOfStatusPacketKeepsAllBytes()
{
    QByteArray bytes(64, '\0');
    for (int i = 0; i < 64; ++i)
        bytes[i] = char(i * 3 + 1);
    bytes[2] = 0x0C;
    const PowerDataPacket status(packetOf(bytes));
    const Packet copy(status);
    QCOMPARE(copy.toByteArray(), bytes);

    Packet assigned;
    assigned = status;
    QCOMPARE(assigned.toByteArray(), bytes);
}

void TestPacket::setters()
{
    Packet packet;
    packet.set(1, static_cast<unsigned char>(0x12));
    packet.set(4, static_cast<unsigned short>(0xBEEF));
    packet.set(8, QByteArrayLiteral("abc"));
    packet.set(62, QByteArrayLiteral("xyz"));           // would run past the end: nothing written
    packet.set(63, static_cast<unsigned short>(0xFFFF)); // same for a 16-bit value
    packet.set(64, static_cast<unsigned char>(0xFF));
    packet.set(-1, static_cast<unsigned char>(0xFF));
    QCOMPARE(packet.toByteArray(), report({0x00, 0x12, 0, 0, 0xBE, 0xEF, 0, 0, 'a', 'b', 'c'}));
    QCOMPARE(packet.at(64), 0);
    QCOMPARE(packet.at(-1), 0);
}

void TestPacket::builtPackets_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("status request") << PowerPacket::statusRequest().toByteArray() << report({0x07, 0x40, 0x0C});
    QTest::newRow("status packet init") << PowerDataPacket().toByteArray() << report({0x07, 0x40, 0x0C});
    QTest::newRow("settings request") << PowerPacket::settingsRequest().toByteArray() << report({0x07, 0x40, 0x0A});
    QTest::newRow("channels request") << ChannelsRequest().toByteArray() << report({0x04});
    QTest::newRow("logger boot") << BootModePacket().toByteArray() << report({0x09, 0xAB, 0x54});
    QTest::newRow("power boot") << BootModePowerPacket().toByteArray() << report({0x01, 'R', 'E', 'S', 'E', 'T'});
    QTest::newRow("status control") << StatusControlResponse().toByteArray() << report({0x06});

    DeviceControl control;
    control.setCommand(8);
    control.setChannelMask(0x2013);
    control.setSampleRate(1000);
    control.setPayloadType(1);
    control.setStartDelay(0x0102);
    QTest::newRow("device control") << control.toByteArray()
                                    << report({0x02, 0x08, 0, 0, 0x20, 0x13, 0x03, 0xE8, 0x01, 0x01, 0x02});
    QTest::newRow("stop request") << control.stopRequest().toByteArray()
                                  << report({0x02, 0x40, 0, 0, 0x20, 0x13, 0x03, 0xE8, 0x01, 0x01, 0x02});
}

void TestPacket::builtPackets()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built, expected);
}

void TestPacket::powerInitKeepsPayload()
{
    PowerPacket packet(packetOf(report({0x55, 0x03, 0x0C, 0x99})));
    packet.init();
    QCOMPARE(packet.toByteArray(), report({0x07, 0x40, 0x0C, 0x99}));

    PowerDataPacket status(packetOf(report({0x07, 0x40, 0x0C, 0x99})));
    status.init();
    QCOMPARE(status.toByteArray(), report({0x07, 0x40, 0x0C}));
}

void TestPacket::descriptorClasses()
{
    for (int d = 0; d < 32; ++d) {
        const bool sample = d != 8 && d != 10 && d != 11 && d != 12;
        QCOMPARE(Descriptors::isPowerSample(static_cast<unsigned char>(d)), sample);
        QVERIFY(!Descriptors::isPowerText(static_cast<unsigned char>(d)));
    }
    QVERIFY(Descriptors::isPowerText(32));
    QVERIFY(Descriptors::isPowerText('O'));
    QVERIFY(!Descriptors::isPowerSample(32));
}

void TestPacket::deviceControlAnswer()
{
    const DeviceControl answer(packetOf(report({0x02, 0x08, 0x00, 0x03, 0x00, 0x05, 0x01, 0x2C, 0x01, 0x00, 0x0A})));
    QCOMPARE(answer.command(), 8);
    QCOMPARE(answer.errorCode(), 3);
    QCOMPARE(answer.channelMask(), 5);
    QCOMPARE(answer.sampleRate(), 300);
    QCOMPARE(answer.payloadType(), 1);
    QCOMPARE(answer.startDelay(), 10);
}

QTEST_GUILESS_MAIN(TestPacket)
#include "tst_packet.moc"
