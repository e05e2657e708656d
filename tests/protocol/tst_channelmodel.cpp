// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/channelinfo.h"
#include "protocol/deviceinfo.h"
#include "protocol/powerchannels.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

namespace {
Packet packetOf(const QByteArray& bytes)
{
    return Packet(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
}

// A received channel description: descriptor 4, channel, type, base, exponent, info text.
ChannelInfo received(unsigned char channel, unsigned char type, const QByteArray& info)
{
    QByteArray bytes(64, '\0');
    bytes[0] = 4;
    bytes[4] = char(channel);
    bytes[5] = char(type);
    bytes[6] = 2;
    bytes[7] = 1;
    bytes.replace(12, info.size(), info);
    return ChannelInfo(packetOf(bytes));
}
} // namespace

class TestChannelModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void versionText_data();
    void versionText();
    void deviceInfoFromJson();
    void deviceInfoToString();
    void storedDescriptionIsCreatedOnFirstUse();
    void sameChannelReplaces();
    void absentChannelDefaults();
    void removeChannelsEmptiesTable();
    void receivedDescriptionFields();
    void jsonDescriptionStartsFromZero();
    void powerDefaults_data();
    void powerDefaults();
    void powerDefaultsReplaceEverything();
};

void TestChannelModel::init()
{
    ChannelInfo::removeChannels();
    DeviceInfo::resetStored();
}

void TestChannelModel::versionText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "1.00";
    QTest::newRow("5") << 5 << "1.05";
    QTest::newRow("112") << 112 << "2.12";
    QTest::newRow("255") << 255 << "3.55";
}

void TestChannelModel::versionText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    DeviceInfo info;
    info.set(2, static_cast<unsigned char>(code));
    QCOMPARE(info.version(), text);
}

void TestChannelModel::deviceInfoFromJson()
{
    DeviceInfo info;
    info.set(8, QByteArray(56, 'x')); // older, longer text must not survive
    info.fromJson(QJsonObject{{"upid", 52}, {"version", "2.05"}, {"info", "Bench Unit"}, {"channel-count", 8}});

    QByteArray expected(64, '\0');
    expected[0] = 1;
    expected[1] = 52;
    expected[2] = char(105);
    expected[3] = 8;
    expected.replace(8, 10, "Bench Unit");
    QCOMPARE(info.toByteArray(), expected);
    QCOMPARE(info.version(), QStringLiteral("2.05"));
    QCOMPARE(info.info(), QStringLiteral("Bench Unit"));

    info.fromJson(QJsonObject{{"info", QString(70, QLatin1Char('y'))}});
    QCOMPARE(info.info(), QString(56, QLatin1Char('y')));
}

void TestChannelModel::deviceInfoToString()
{
    QByteArray bytes(64, '\0');
    bytes[0] = 1;
    bytes[1] = 0x2A;
    bytes[2] = 5;
    bytes[3] = 3;
    bytes[4] = 0x00; // serial 1234567 = 0x0012D687
    bytes[5] = 0x12;
    bytes[6] = char(0xD6);
    bytes[7] = char(0x87);
    bytes.replace(8, 5, "Probe");
    const DeviceInfo info(packetOf(bytes));
    QCOMPARE(info.serialNumber(), 1234567u);

    const QString expected = QStringLiteral("Descriptor:0x01\nID: 2a\nVersion: 1.05\nChannels: 3\nS/N: 001234567\n"
                                            "Info: Probe\nPacket: ")
                             + info.trace() + QLatin1Char('\n');
    QCOMPARE(info.toString(), expected);
    QVERIFY(info.trace().startsWith(QStringLiteral("0x01 0x2a 0x05 0x03 0x00 0x12 0xd6 0x87 0x50 ")));
}

void TestChannelModel::storedDescriptionIsCreatedOnFirstUse()
{
    QByteArray empty(64, '\0');
    empty[0] = 1;
    QCOMPARE(DeviceInfo::stored().toByteArray(), empty);

    QByteArray bytes(64, '\x11');
    bytes[0] = 1;
    DeviceInfo::stored() = DeviceInfo(packetOf(bytes));
    QCOMPARE(DeviceInfo::stored().toByteArray(), bytes);

    DeviceInfo::resetStored();
    QCOMPARE(DeviceInfo::stored().toByteArray(), empty);
}

void TestChannelModel::sameChannelReplaces()
{
    ChannelInfo::addChannelInfo(received(3, 0, "V,First,"));
    ChannelInfo::addChannelInfo(received(1, 0, "V,Other,"));
    ChannelInfo::addChannelInfo(received(3, 1, "A,Second,"));
    QCOMPARE(ChannelInfo::channelCount(), 2);
    QCOMPARE(ChannelInfo::getChannelInfo(3).name(), QStringLiteral("Second"));
    QCOMPARE(ChannelInfo::getChannelInfo(3).dataType(), 1);
    QCOMPARE(ChannelInfo::channels().keys(), (QList<unsigned char>{1, 3}));
}

void TestChannelModel::absentChannelDefaults()
{
    ChannelInfo::addChannelInfo(received(1, 3, "V,Present,"));
    const ChannelInfo absent = ChannelInfo::getChannelInfo(7);
    QByteArray expected(64, '\0');
    expected[0] = 4;
    QCOMPARE(absent.toByteArray(), expected);
    QCOMPARE(absent.lower(), 0.0);
    QCOMPARE(absent.upper(), 10000000.0);
    QCOMPARE(absent.precision(), 1);
    QCOMPARE(ChannelInfo::dataTypeOf(7), 0);
    QCOMPARE(ChannelInfo::dataTypeOf(1), 3);
}

void TestChannelModel::removeChannelsEmptiesTable()
{
    QCOMPARE(ChannelInfo::channelCount(), 0);
    ChannelInfo::addChannelInfo(received(0, 0, "V,A,"));
    ChannelInfo::addChannelInfo(received(1, 0, "V,B,"));
    ChannelInfo::removeChannels();
    QCOMPARE(ChannelInfo::channelCount(), 0);
    QCOMPARE(ChannelInfo::getChannelInfo(0).info(), QString(48, QChar(0)));
}

void TestChannelModel::receivedDescriptionFields()
{
    const ChannelInfo info = received(5, 1, "mV,Probe tip,");
    QCOMPARE(info.descriptor(), 4);
    QCOMPARE(info.channel(), 5);
    QCOMPARE(info.dataType(), 1);
    QCOMPARE(info.baseNumber(), 2);
    QCOMPARE(info.minExponent(), 1);
    QCOMPARE(info.info(), QStringLiteral("mV,Probe tip,") + QString(35, QChar(0)));
    QCOMPARE(info.unit(), QStringLiteral("mV"));
    QCOMPARE(info.name(), QStringLiteral("Probe tip"));
    QCOMPARE(info.upper(), 10000000.0);
}

void TestChannelModel::jsonDescriptionStartsFromZero()
{
    // No "lower", "upper" or precision keys: the defaults apply.
    const QJsonObject document{{"Channels", QJsonArray{QJsonObject{{"channel", 9}, {"dataType", 2}, {"info", "C,Probe,"}}}}};
    ChannelInfo::fromJson(document);
    const ChannelInfo info = ChannelInfo::getChannelInfo(9);
    QByteArray expected(64, '\0');
    expected[4] = 9;
    expected[5] = 2;
    expected.replace(12, 8, "C,Probe,");
    QCOMPARE(info.toByteArray(), expected);
    QCOMPARE(info.lower(), 0.0);
    QCOMPARE(info.upper(), 10000000.0);
    QCOMPARE(info.precision(), 1);
}

void TestChannelModel::powerDefaults_data()
{
    QTest::addColumn<bool>("model600");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("dataType");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::addColumn<int>("precision");

    struct Row { int channel; const char* unit; const char* name500; const char* name600; int type; double lower; double upper500; double upper600; int precision; };
    const Row rows[] = {
        {0, "V", "13.8V Voltage", "13.8V Voltage", 3, 0, 15, 15, 1},
        {1, "A", "13.8V Current", "13.8V Current", 0, 0, 40, 50, 1},
        {2, "V", "USB Voltage", "USB1 Voltage", 3, 0, 12, 15, 1},
        {3, "A", "USB Current", "USB1 Current", 0, 0, 4, 4, 2},
        {4, "C", "Temperature outside", "Temperature outside", 2, -30, 100, 100, 0},
        {5, "C", "Temperature inside", "Temperature inside", 2, -30, 100, 100, 0},
        {6, "V", "Input AC Voltage", "Input AC Voltage", 0, 50, 300, 300, 0},
        {7, "Hz", "Frequency", "Frequency", 0, 0, 65, 65, 1},
        {8, "V", nullptr, "USB2 Voltage", 3, 0, 0, 15, 1},
        {9, "A", nullptr, "USB2 Current", 0, 0, 0, 4, 2},
        {10, "V", nullptr, "USB3 Voltage", 3, 0, 0, 15, 1},
        {11, "A", nullptr, "USB3 Current", 0, 0, 0, 4, 2},
        {12, "V", nullptr, "USB4 Voltage", 3, 0, 0, 15, 1},
        {13, "A", nullptr, "USB4 Current", 0, 0, 0, 4, 2},
    };
    for (const Row& row : rows) {
        if (row.name500) {
            QTest::addRow("500 #%d", row.channel) << false << row.channel << row.unit << row.name500 << row.type
                                                   << row.lower << row.upper500 << row.precision;
        }
        QTest::addRow("600 #%d", row.channel) << true << row.channel << row.unit << row.name600 << row.type
                                               << row.lower << row.upper600 << row.precision;
    }
}

void TestChannelModel::powerDefaults()
{
    QFETCH(bool, model600);
    QFETCH(int, channel);
    QFETCH(QString, unit);
    QFETCH(QString, name);
    QFETCH(int, dataType);
    QFETCH(double, lower);
    QFETCH(double, upper);
    QFETCH(int, precision);

    createDefaultsPower(model600);
    QCOMPARE(ChannelInfo::channelCount(), model600 ? 14 : 8);
    QCOMPARE(ChannelInfo::channels().lastKey(), model600 ? 13 : 7);
    const ChannelInfo info = ChannelInfo::getChannelInfo(static_cast<unsigned char>(channel));
    QCOMPARE(info.descriptor(), 0);
    QCOMPARE(info.channel(), channel);
    QCOMPARE(info.info(), unit + QLatin1Char(',') + name + QLatin1Char(',') + QString(48 - unit.size() - name.size() - 2, QChar(0)));
    QCOMPARE(info.unit(), unit);
    QCOMPARE(info.name(), name);
    QCOMPARE(info.dataType(), dataType);
    QCOMPARE(info.baseNumber(), 2);
    QCOMPARE(info.minExponent(), 0);
    QCOMPARE(info.lower(), lower);
    QCOMPARE(info.upper(), upper);
    QCOMPARE(info.precision(), precision);
}

void TestChannelModel::powerDefaultsReplaceEverything()
{
    ChannelInfo::addChannelInfo(received(40, 0, "V,Leftover,"));
    DeviceInfo::stored().set(4, static_cast<unsigned short>(0xFFFF));

    createDefaultsPower(true);
    QVERIFY(!ChannelInfo::channels().contains(40));

    QByteArray expected(64, '\0');
    expected[0] = 1;
    expected[1] = 52;
    expected[2] = 0;
    expected[3] = 8;
    expected.replace(8, 20, "Quenlor Power Supply");
    QCOMPARE(DeviceInfo::stored().toByteArray(), expected);

    createDefaultsPower(false);
    QCOMPARE(ChannelInfo::channelCount(), 8);
    QCOMPARE(ChannelInfo::getChannelInfo(1).upper(), 40.0);
}

QTEST_GUILESS_MAIN(TestChannelModel)
#include "tst_channelmodel.moc"
