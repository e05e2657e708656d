// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/swapfileheader.h"

#include <QTest>

namespace {
QByteArray bytesOf(std::initializer_list<unsigned char> values)
{
    QByteArray bytes;
    for (unsigned char value : values)
        bytes.append(char(value));
    return bytes;
}

// A fresh header, little-endian, field by field.
QByteArray defaultBytes()
{
    QByteArray bytes(SwapFileHeader::kSize, '\0');
    bytes.replace(0, 13, bytesOf({
        0x04, 0x00, 0x00, 0x00, // 0 version 4
        0x4C, 0x00, 0x00, 0x00, // 4 header size 76
        0x03,                   // 8 channel count 3
        0x01,                   // 9 channel mask 1
        0x01, 0x00,             // 10 period 1
        0x00,                   // 12 logger recording
    }));
    bytes.replace(40, 4, bytesOf({0x01, 0x00, 0x00, 0x00})); // 40 channelMask32 1
    return bytes;
}

// A model 600 recording at 200 Hz of channels 1, 9 and 13, in Fahrenheit, custom rate.
QByteArray model600Bytes()
{
    QByteArray bytes = defaultBytes();
    bytes[8] = 3;
    bytes.replace(10, 2, bytesOf({0x32, 0x00}));             // period 50
    bytes[12] = 2;                                           // model 600
    bytes.replace(22, 4, bytesOf({0x01, 0x00, 0x01, 0x00})); // Fahrenheit, custom rate
    bytes.replace(40, 4, bytesOf({0x02, 0x22, 0x00, 0x00})); // bits 1, 9, 13
    bytes.replace(44, 3, bytesOf({1, 9, 13}));
    return bytes;
}
} // namespace

class TestSwapFileHeader : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void model600Header();
    void shortBytesAreUnreadable();
};

void TestSwapFileHeader::defaults()
{
    QCOMPARE(SwapFileHeader().toBytes(), defaultBytes());
}

void TestSwapFileHeader::model600Header()
{
    SwapFileHeader header;
    header.channelCount = 3;
    header.period = 50;
    header.deviceKind = SwapFileHeader::kPower600;
    header.temperatureScale = 1;
    header.customRate = 1;
    header.channelMask32 = (1u << 1) | (1u << 9) | (1u << 13);
    header.channelList32[0] = 1;
    header.channelList32[1] = 9;
    header.channelList32[2] = 13;
    QCOMPARE(header.toBytes(), model600Bytes());

    const SwapFileHeader read = SwapFileHeader::fromBytes(model600Bytes());
    QCOMPARE(read.period, qint16(50));
    QCOMPARE(read.deviceKind, SwapFileHeader::kPower600);
    QCOMPARE(read.channelMask32, quint32(0x2202));
    QCOMPARE(read.channelList32[2], quint8(13));
    QCOMPARE(read.toBytes(), model600Bytes());
}

void TestSwapFileHeader::shortBytesAreUnreadable()
{
    const SwapFileHeader read = SwapFileHeader::fromBytes(model600Bytes().left(SwapFileHeader::kSize - 1));
    QCOMPARE(read.deviceKind, SwapFileHeader::kUnreadable);
    QCOMPARE(read.version, SwapFileHeader::kVersion);
}

QTEST_GUILESS_MAIN(TestSwapFileHeader)
#include "tst_swapfileheader.moc"
