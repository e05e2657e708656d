// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/reports.h"
#include "protocol/channelinfo.h"
#include "protocol/filter.h"
#include "protocol/measure.h"
#include "protocol/powerchannels.h"

#include <QTest>

using Values = QMap<int, QList<double>>;

namespace {

ChannelInfo loggerChannel(unsigned char channel, unsigned char type, unsigned char base = 0, unsigned char exponent = 0)
{
    QByteArray bytes(64, '\0');
    bytes[0] = 4;
    bytes[4] = char(channel);
    bytes[5] = char(type);
    bytes[6] = char(base);
    bytes[7] = char(exponent);
    return ChannelInfo(packetOf(bytes));
}
} // namespace

class TestDecoding : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rawValues_data();
    void rawValues();
    void powerRecord_data();
    void powerRecord();
    void powerRecordStopsAtReportEnd();
    void powerRecordWithoutChannels();
    void loggerValue_data();
    void loggerValue();
    void loggerRecordByMask();
    void loggerRecordStopsAtReportEnd();
    void median_data();
    void median();
    void medianReset();
    void filterSwitch();
};

void TestDecoding::init()
{
    ChannelInfo::removeChannels();
    FilterArray::clear();
    FilterArray::setApplyFiltering(false);
}

void TestDecoding::rawValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("raw");

    QTest::newRow("type 0 big-endian") << QByteArray("\x01\x2C", 2) << 0 << 0x012C;
    QTest::newRow("type 1 not decoded") << QByteArray("\x01\x2C", 2) << 1 << 0;
    QTest::newRow("type 2 signed") << QByteArray("\xF6\x00", 2) << 2 << 0xFFF6;
    QTest::newRow("type 3 unsigned") << QByteArray("\xF6\x00", 2) << 3 << 0x00F6;
    QTest::newRow("type 7 not decoded") << QByteArray("\xF6\x00", 2) << 7 << 0;
}

void TestDecoding::rawValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, raw);
    QCOMPARE(int(MeasurePower::decode(reinterpret_cast<const unsigned char*>(bytes.constData()), type)), raw);
}

void TestDecoding::powerRecord_data()
{
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<bool>("fahrenheit");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Values>("expected");

    // Model 500 types: 0 unsigned 8-bit, 1 16-bit, 4 signed 8-bit; a set is 1 + 2 + 1 bytes.
    QTest::newRow("mixed widths")
        << QList<int>{0, 1, 4} << false
        << report({0x07, 0x40, 0x01, 0x00, 0x00, 0x2A, 2,  138, 0x00, 0x7B, 0xF6,  139, 0x01, 0x2C, 25})
        << Values{{0, {13.8, 13.9}}, {1, {12.3, 30.0}}, {2, {-10, 25}}};
    QTest::newRow("temperature fahrenheit")
        << QList<int>{4, 5} << true << report({0x07, 0x40, 0x01, 0, 0, 0, 1,  0xF6, 25})
        << Values{{0, {14}}, {1, {77}}};
    QTest::newRow("usb current and mains")
        << QList<int>{3, 6, 7} << false << report({0x07, 0x40, 0x01, 0, 0, 0, 1,  0x01, 0x2C, 0x00, 0xE6, 0x01, 0xF4})
        << Values{{0, {3.00}}, {1, {230}}, {2, {50.0}}};
    QTest::newRow("zero sets") << QList<int>{0, 1} << false << report({0x07, 0x40, 0x01}) << Values{};
}

void TestDecoding::powerRecord()
{
    QFETCH(QList<int>, channels);
    QFETCH(bool, fahrenheit);
    QFETCH(QByteArray, bytes);
    QFETCH(Values, expected);

    createDefaultsPower(false);
    const Values values = MeasurePower(packetOf(bytes)).decode(channels, fahrenheit);
    QCOMPARE(values.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QList<double> decoded = values.value(it.key());
        QCOMPARE(decoded.size(), it.value().size());
        for (int i = 0; i < decoded.size(); ++i)
            QCOMPARE(decoded[i], it.value()[i]);
    }
}

void TestDecoding::powerRecordStopsAtReportEnd()
{
    createDefaultsPower(true);
    // Channel 1 is 2 bytes wide: 57 payload bytes hold 28 whole sets, whatever byte 6 claims.
    QByteArray bytes = report({0x07, 0x40, 0x01, 0, 0, 0, 255});
    for (int i = 7; i < 63; i += 2)
        bytes[i + 1] = 10;
    bytes[63] = char(0xFF);
    const Values values = MeasurePower(packetOf(bytes)).decode(QList<int>{1}, false);
    QCOMPARE(values.value(0).size(), 28);
    QCOMPARE(values.value(0).last(), 1.0);

    // Three 2-byte channels: 6 bytes a set, 9 whole sets; the last 3 bytes are never read.
    QCOMPARE(MeasurePower(packetOf(bytes)).decode(QList<int>{1, 3, 6}, false).value(2).size(), 9);
}

void TestDecoding::powerRecordWithoutChannels()
{
    createDefaultsPower(false);
    QVERIFY(MeasurePower(packetOf(report({0x07, 0x40, 0x01, 0, 0, 0, 5}))).decode(QList<int>{}, false).isEmpty());
}

void TestDecoding::loggerValue_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("exponent");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<double>("value");

    QTest::newRow("signed") << 0 << 0 << 0 << 0x01 << 0x02 << 258.0;
    QTest::newRow("signed negative") << 0 << 0 << 0 << 0xFF << 0xB0 << -80.0;
    QTest::newRow("signed clamped") << 0 << 0 << 0 << 0xFF << 0x00 << -100.0;
    QTest::newRow("scaled full") << 1 << 2 << 0 << 0x7F << 0xFF << 20000.0;
    QTest::newRow("scaled exponent bits") << 1 << 1 << 1 << 0xBF << 0xFF << 1000000.0;
    QTest::newRow("scaled half") << 1 << 3 << 2 << 0x20 << 0x00 << (8192.0 / 16383 * 100 * 3 * 1000);
    QTest::newRow("little-endian") << 5 << 0 << 0 << 0x34 << 0x12 << double(0x1234);
    QTest::newRow("little-endian negative") << 5 << 0 << 0 << 0xFE << 0xFF << -2.0;
}

void TestDecoding::loggerValue()
{
    QFETCH(int, type);
    QFETCH(int, base);
    QFETCH(int, exponent);
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(double, value);

    const ChannelInfo info = loggerChannel(0, static_cast<unsigned char>(type), static_cast<unsigned char>(base),
                                           static_cast<unsigned char>(exponent));
    const MeasureAll record(packetOf(report({0x05, 0, 0, 0, 0, 0x01, 1, static_cast<unsigned char>(high),
                                             static_cast<unsigned char>(low)})));
    const QList<double> values = record.decode(0, 1, info);
    QCOMPARE(values.size(), 1);
    QCOMPARE(values.first(), value);
}

void TestDecoding::loggerRecordByMask()
{
    ChannelInfo::addChannelInfo(loggerChannel(0, 0));
    ChannelInfo::addChannelInfo(loggerChannel(1, 0));
    ChannelInfo::addChannelInfo(loggerChannel(2, 5));
    // Mask 0b101 with pin bits above it; samples interleave channel 0, channel 2.
    const MeasureAll record(packetOf(report({0x05, 0x00, 0x01, 0x02, 0x00, 0b11111101, 3,
                                             0x00, 0x01,  0x0A, 0x00,
                                             0x00, 0x02,  0x0B, 0x00,
                                             0x00, 0x03,  0x0C, 0x00})));
    QCOMPARE(record.recordIndex(), 0x000102u);
    QCOMPARE(record.channelMask(), 0b101);
    QCOMPARE(record.pinState(), 0b11111);
    const Values values = record.decode();
    QCOMPARE(values.keys(), (QList<int>{0, 2}));
    QCOMPARE(values.value(0), (QList<double>{1, 2, 3}));
    QCOMPARE(values.value(2), (QList<double>{10, 11, 12}));

    // A description built on the host (descriptor 0) yields nothing.
    ChannelInfo built = loggerChannel(0, 0);
    built.set(0, static_cast<unsigned char>(0));
    QVERIFY(record.decode(0, 2, built).isEmpty());
}

void TestDecoding::loggerRecordStopsAtReportEnd()
{
    // 255 samples claimed; 28 whole 16-bit values fit in 57 bytes, wherever the channel starts.
    QByteArray bytes = report({0x05, 0, 0, 0, 0, 0b111, 255});
    bytes[63] = char(0x7F);
    const MeasureAll record(packetOf(bytes));
    QCOMPARE(record.decode(0, 1, loggerChannel(0, 0)).size(), 28);
    QCOMPARE(record.decode(1, 3, loggerChannel(1, 0)).size(), 9); // a tenth would start at byte 63
    QVERIFY(record.decode(28, 1, loggerChannel(2, 0)).isEmpty());
    QVERIFY(record.decode(0, 0, loggerChannel(2, 0)).isEmpty());
}

void TestDecoding::median_data()
{
    QTest::addColumn<QList<double>>("inputs");
    QTest::addColumn<QList<double>>("outputs");

    // The first value fills the whole window.
    QTest::newRow("first value passes") << QList<double>{7} << QList<double>{7};
    QTest::newRow("1 5 3") << QList<double>{0, 1, 5, 3} << QList<double>{0, 0, 1, 3};
    QTest::newRow("2 2 9") << QList<double>{0, 2, 2, 9} << QList<double>{0, 0, 2, 2};
    QTest::newRow("spike suppressed") << QList<double>{4, 4, 100, 4} << QList<double>{4, 4, 4, 4};
}

void TestDecoding::median()
{
    QFETCH(QList<double>, inputs);
    QFETCH(QList<double>, outputs);
    FilterMedian filter(3);
    QList<double> results;
    for (double x : inputs)
        results.append(filter.filter(x));
    QCOMPARE(results, outputs);
}

void TestDecoding::medianReset()
{
    FilterMedian filter(3);
    filter.filter(50);
    filter.reset();
    // Window is zeros now, and the first-value rule does not come back.
    QCOMPARE(filter.filter(9), 0.0);
    QCOMPARE(filter.filter(9), 9.0);
}

void TestDecoding::filterSwitch()
{
    FilterArray::setFilter(1, FilterMedian(3));
    QCOMPARE(FilterArray::filter(1, 5), 5.0);
    QCOMPARE(FilterArray::filter(1, 100), 100.0); // switched off: untouched

    FilterArray::setApplyFiltering(true);
    QCOMPARE(FilterArray::filter(1, 5), 5.0);
    QCOMPARE(FilterArray::filter(1, 100), 5.0);
    QCOMPARE(FilterArray::filter(2, 100), 100.0); // no filter for this channel

    // Decoding passes every power value through the channel's filter.
    createDefaultsPower(false);
    FilterArray::setFilter(0, FilterMedian(3));
    const Values values = MeasurePower(packetOf(report({0x07, 0x40, 0x01, 0, 0, 0, 3, 100, 200, 100}))).decode(QList<int>{0}, false);
    QCOMPARE(values.value(0), (QList<double>{10, 10, 10}));
}

QTEST_GUILESS_MAIN(TestDecoding)
#include "tst_decoding.moc"
