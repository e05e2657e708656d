// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/powergetpacket.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QTimeZone>

namespace {
// 64 bytes: the given bytes at their positions, the rest zero.
QByteArray bytesWith(std::initializer_list<std::pair<int, unsigned char>> bytes)
{
    QByteArray data(Packet::kSize, '\0');
    for (const auto& [position, value] : bytes)
        data[position] = char(value);
    return data;
}

QByteArray bytesOf(const Packet& packet)
{
    return QByteArray(reinterpret_cast<const char*>(packet.data()), Packet::kSize);
}

// A settings block with every field set to a distinct value.
QByteArray filledBlock()
{
    return bytesWith({{0, 0x07}, {1, 0x40}, {2, 0x0A}, {3, 0x15}, {4, 0x0B}, {5, 0x1E}, {6, 50}, {7, 30},
                      {8, 0xFE}, {9, 7},     {10, 30},   {11, 22},   {12, 45},   {13, 2},    {22, 5},
                      {23, 1},   {24, 9},    {25, 10},   {26, 3},    {27, 4},    {28, 7},    {29, 14},
                      {30, 15},  {31, 0},    {32, 13},   {33, 11},   {34, 12},   {35, 138}});
}

PowerGetPacket packetOf(const QByteArray& bytes)
{
    return PowerGetPacket(Packet(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size())));
}

QJsonObject objectOf(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}
} // namespace

class TestPowerGetPacket : public QObject
{
    Q_OBJECT

private slots:
    void freshPackets();
    void settersWriteTheirBytes();
    void readersAndScreenBits();
    void setPacketCommands_data();
    void setPacketCommands();
    void syncClock_data();
    void syncClock();
    void exportedDocument();
    void importBitmaps_data();
    void importBitmaps();
    void importScalars();
    void importGroups_data();
    void importGroups();
    void roundTripKeepsUncarriedBytes();
};

void TestPowerGetPacket::freshPackets()
{
    QCOMPARE(bytesOf(PowerGetPacket()), bytesWith({{0, 0x07}, {1, 0x40}, {2, 0x0A}}));
    QCOMPARE(bytesOf(PowerSetPacket()), bytesWith({{0, 0x07}, {1, 0x40}, {2, 0x0B}}));
    QCOMPARE(PowerGetPacket().dataOffset(), 3);

    PowerGetPacket used = packetOf(filledBlock());
    used.init();
    QCOMPARE(bytesOf(used), bytesWith({{0, 0x07}, {1, 0x40}, {2, 0x0A}}));
}

void TestPowerGetPacket::settersWriteTheirBytes()
{
    PowerGetPacket block;
    block.setBit(1, PowerGetPacket::kLongTouch, true);
    block.setBit(1, PowerGetPacket::kAutoOffLowCurrent, true);
    block.setBit(1, PowerGetPacket::kAutoOffAtTime, true);
    block.setBitmap2(0x0F);
    block.setBit(2, PowerGetPacket::kCelsius, false);
    block.setBitmap3(0x1E);
    block.setAutoOffAmpers(50);
    block.setAutoOffAfter(30);
    block.setUtcOffsetHours(-2);
    block.setAutoOnTime(7, 30);
    block.setAutoOffTime(22, 45);
    block.setDateFormat(2);
    block.setSlideShowSec(5);
    block.setCodes(PowerGetPacket::Total, {1, 9, 10});
    block.setCodes(PowerGetPacket::Power, {3, 4, 7});
    block.setCodes(PowerGetPacket::Aux, {14, 15, 0});
    block.setCodes(PowerGetPacket::Site, {13, 11, 12});
    block.setTune12(138);
    QCOMPARE(bytesOf(block), filledBlock());
}

void TestPowerGetPacket::readersAndScreenBits()
{
    const PowerGetPacket block = packetOf(filledBlock());
    QCOMPARE(block.utcOffsetHours(), qint8(-2));
    QCOMPARE(block.autoOffAmpers(), 50);
    QCOMPARE(block.codes(PowerGetPacket::Site), (QList<int>{13, 11, 12}));
    QCOMPARE(block.tune12(), 138);

    // 0x1E: TOTAL, POWER, AUX and SITE on a model 500; TOTAL, POWER, USB1, USB2 and no SITE otherwise.
    QVERIFY(block.hasBit(3, PowerGetPacket::kScreenAux));
    QVERIFY(block.hasBit(3, PowerGetPacket::siteMask(true)));
    QVERIFY(!block.hasBit(3, PowerGetPacket::siteMask(false)));
    QVERIFY(block.hasBit(3, PowerGetPacket::kScreenUsb2));
    QVERIFY(!block.hasBit(3, PowerGetPacket::kSlideShow));
    QCOMPARE(PowerGetPacket::dateFormats().value(block.dateFormat()), QStringLiteral("dd.MM.yyyy"));
}

void TestPowerGetPacket::setPacketCommands_data()
{
    QTest::addColumn<QList<int>>("commands");
    QTest::addColumn<int>("flags");
    QTest::newRow("apply") << QList<int>{PowerSetPacket::kApply} << 0x01;
    QTest::newRow("save") << QList<int>{PowerSetPacket::kSave} << 0x03;
    QTest::newRow("store") << QList<int>{PowerSetPacket::kStore} << 0x02;
    QTest::newRow("defaults") << QList<int>{PowerSetPacket::kRestoreDefaults} << 0x04;
    QTest::newRow("apply then store") << QList<int>{PowerSetPacket::kApply, PowerSetPacket::kStore} << 0x03;
}

void TestPowerGetPacket::setPacketCommands()
{
    QFETCH(QList<int>, commands);
    QFETCH(int, flags);

    // A block imported without "command" has 0 in byte 2; the set packet still says 11.
    QByteArray block = filledBlock();
    block[2] = 0;
    PowerSetPacket packet(packetOf(block));
    for (int command : commands)
        packet.addCommand(PowerSetPacket::Command(command));

    QByteArray expected = filledBlock();
    expected[2] = 0x0B;
    expected[57] = char(flags);
    QCOMPARE(bytesOf(packet), expected);
}

void TestPowerGetPacket::syncClock_data()
{
    QTest::addColumn<int>("offsetSeconds");
    QTest::addColumn<int>("offsetByte");
    QTest::newRow("utc") << 0 << 0x00;
    QTest::newRow("east 5:30") << 5 * 3600 + 1800 << 0x05;
    QTest::newRow("west 2:30") << -(2 * 3600 + 1800) << 0xFE;
    QTest::newRow("west 0:30") << -1800 << 0x00;
}

void TestPowerGetPacket::syncClock()
{
    QFETCH(int, offsetSeconds);
    QFETCH(int, offsetByte);

    // 2026-12-11 05:30:00 UTC is 1796967000 = 0x6B1B8A58 seconds after 1970.
    const QDateTime utc(QDate(2026, 12, 11), QTime(5, 30), QTimeZone::utc());
    PowerSetPacket packet;
    packet.syncClock(utc.toOffsetFromUtc(offsetSeconds));

    QCOMPARE(bytesOf(packet), bytesWith({{0, 0x07}, {1, 0x40}, {2, 0x0B}, {8, static_cast<unsigned char>(offsetByte)},
                                         {57, 0x08}, {58, 0x6B}, {59, 0x1B}, {60, 0x8A}, {61, 0x58}}));
}

void TestPowerGetPacket::exportedDocument()
{
    PowerGetPacket block = packetOf(filledBlock());
    block.set(2, static_cast<unsigned char>(0x0B)); // "command" is always 10
    block.set(16, static_cast<unsigned char>(0x77)); // unused bytes never leave the block

    const QByteArray expected = R"({
    "auto_off_after": 30,
    "auto_off_ampers": 50,
    "auto_off_hours": 22,
    "auto_off_minutes": 45,
    "auto_on_hours": 7,
    "auto_on_minutes": 30,
    "aux": [
        14,
        15,
        0
    ],
    "bitmap1": "00010101",
    "bitmap2": "00001011",
    "bitmap3": "00011110",
    "command": 10,
    "date_format": 2,
    "power": [
        3,
        4,
        7
    ],
    "site": [
        13,
        11,
        12
    ],
    "slide_show_sec": 5,
    "total": [
        1,
        9,
        10
    ]
}
)";
    QCOMPARE(QJsonDocument(block.toJson()).toJson(QJsonDocument::Indented), expected);
}

void TestPowerGetPacket::importBitmaps_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("bitmap1");
    QTest::newRow("eight digits") << QByteArray(R"({"bitmap1": "00010101"})") << 0x15;
    QTest::newRow("no leading zeros") << QByteArray(R"({"bitmap1": "10101"})") << 0x15;
    QTest::newRow("nine digits keep low byte") << QByteArray(R"({"bitmap1": "111100001"})") << 0xE1;
    QTest::newRow("digit 2") << QByteArray(R"({"bitmap1": "2"})") << 0;
    QTest::newRow("stray digit") << QByteArray(R"({"bitmap1": "10201"})") << 0;
    QTest::newRow("sign") << QByteArray(R"({"bitmap1": "-1"})") << 0;
    QTest::newRow("blank") << QByteArray(R"({"bitmap1": " 101"})") << 0;
    QTest::newRow("empty") << QByteArray(R"({"bitmap1": ""})") << 0;
    QTest::newRow("number") << QByteArray(R"({"bitmap1": 10101})") << 0;
    QTest::newRow("missing") << QByteArray(R"({})") << 0;
}

void TestPowerGetPacket::importBitmaps()
{
    QFETCH(QByteArray, json);
    QFETCH(int, bitmap1);

    PowerGetPacket block = packetOf(filledBlock());
    block.fromJson(objectOf(json));
    QCOMPARE(int(block.bitmap1()), bitmap1);
}

void TestPowerGetPacket::importScalars()
{
    // Missing keys and non-numbers give 0, values outside a byte keep their low byte.
    PowerGetPacket block = packetOf(filledBlock());
    block.fromJson(objectOf(R"({"auto_off_ampers": 300, "auto_off_after": -1, "auto_on_hours": "7",
                                "slide_show_sec": 12, "bitmap3": "11"})"));

    QByteArray expected = filledBlock();
    for (int position : {2, 3, 4, 10, 11, 12, 13})
        expected[position] = 0;
    expected[5] = 0x03;
    expected[6] = char(44);
    expected[7] = char(0xFF);
    expected[9] = 0;
    expected[22] = 12;
    QCOMPARE(bytesOf(block), expected);
}

void TestPowerGetPacket::importGroups_data()
{
    QTest::addColumn<QByteArray>("site");
    QTest::addColumn<QList<int>>("codes");
    QTest::newRow("three") << QByteArray("[1, 2, 3]") << QList<int>{1, 2, 3};
    QTest::newRow("two keeps the third") << QByteArray("[1, 2]") << QList<int>{1, 2, 12};
    QTest::newRow("five uses three") << QByteArray("[1, 2, 3, 4, 5]") << QList<int>{1, 2, 3};
    QTest::newRow("empty keeps all") << QByteArray("[]") << QList<int>{13, 11, 12};
    QTest::newRow("not an array") << QByteArray("4") << QList<int>{13, 11, 12};
    QTest::newRow("low byte") << QByteArray("[257]") << QList<int>{1, 11, 12};
}

void TestPowerGetPacket::importGroups()
{
    QFETCH(QByteArray, site);
    QFETCH(QList<int>, codes);

    PowerGetPacket block = packetOf(filledBlock());
    block.fromJson(objectOf("{\"site\": " + site + "}"));
    QCOMPARE(block.codes(PowerGetPacket::Site), codes);
    QCOMPARE(block.codes(PowerGetPacket::Aux), (QList<int>{14, 15, 0})); // missing group unchanged
    QCOMPARE(int(block.at(35)), 138);
}

void TestPowerGetPacket::roundTripKeepsUncarriedBytes()
{
    const QJsonObject exported = packetOf(filledBlock()).toJson();
    const QByteArray before = bytesWith({{0, 0x07}, {1, 0x40}, {8, 0x03}, {16, 0x55}, {35, 0x80}, {57, 0x01}});
    PowerGetPacket block = packetOf(before);
    block.fromJson(exported);

    QByteArray expected = filledBlock();
    for (int position : {8, 16, 35, 57})
        expected[position] = before[position];
    QCOMPARE(bytesOf(block), expected);
}

QTEST_GUILESS_MAIN(TestPowerGetPacket)
#include "tst_powergetpacket.moc"
