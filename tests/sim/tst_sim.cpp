// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatedunit.h"

#include <hidapi.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

using sim::Bus;
using sim::Model;
using sim::SimulatedUnit;

Q_DECLARE_METATYPE(Model)

namespace {

constexpr unsigned short kVendor = 0x0483;
constexpr unsigned short kApplication = 0xA1DE;
constexpr unsigned short kBootloader = 0xA1DA;
constexpr int kDeadlineMs = 5000;   // generous: the sanitizer build is slow
constexpr int kAbsenceMs = 100;     // how long "nothing arrives" is watched

// Sample encodings of the channel table: 0 = 16-bit big-endian, 2 = signed
// byte, 3 = unsigned byte.
constexpr int kChannelTypes[] = {3, 0, 3, 0, 2, 2, 0, 0, 3, 0, 3, 0, 3, 0};

using Handle = std::unique_ptr<hid_device, void (*)(hid_device*)>;

Handle open(unsigned short product = kApplication, const wchar_t* serial = L"500200000001")
{
    Handle handle(hid_open(kVendor, product, serial), hid_close);
    if (handle)
        hid_set_nonblocking(handle.get(), 1);
    return handle;
}

QByteArray bytes(std::initializer_list<int> head, int size = 64)
{
    QByteArray out(size, '\0');
    int i = 0;
    for (int byte : head)
        out[i++] = char(byte);
    return out;
}

QByteArray textWrite(const QByteArray& text)
{
    QByteArray out(65, '\0');
    out[0] = 0x07;
    out[1] = char(text.size());
    out.replace(2, text.size(), text);
    return out.left(65);
}

QByteArray textAnswer(const QByteArray& text)
{
    QByteArray out(64, '\0');
    out[0] = 0x07;
    out[1] = char(text.size());
    out.replace(2, text.size(), text);
    return out.left(64);
}

int send(hid_device* dev, const QByteArray& write)
{
    return hid_write(dev, reinterpret_cast<const unsigned char*>(write.constData()), size_t(write.size()));
}

// One report, or an empty array when none came within the time.
QByteArray receive(hid_device* dev, int timeoutMs = kDeadlineMs)
{
    QByteArray out(64, '\0');
    const int count = hid_read_timeout(dev, reinterpret_cast<unsigned char*>(out.data()), 64, timeoutMs);
    return count > 0 ? out.left(count) : QByteArray();
}

QByteArray bootFrame(int command, const QByteArray& data = {})
{
    QByteArray out(65, '\0');
    out[1] = char(command);
    out[2] = char(data.size());
    out.replace(3, data.size(), data);
    return out.left(65);
}

QStringList listed(unsigned short vendor, unsigned short product)
{
    QStringList out;
    hid_device_info* list = hid_enumerate(vendor, product);
    for (hid_device_info* d = list; d; d = d->next)
        out << QString::asprintf("%04x:%04x ", d->vendor_id, d->product_id) + QString::fromWCharArray(d->serial_number);
    hid_free_enumeration(list);
    return out;
}

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int recordIndex(const QByteArray& record)
{
    return quint8(record[3]) << 16 | quint8(record[4]) << 8 | quint8(record[5]);
}

// The values of a sample record, set after set, by the channels' encodings.
QList<int> unpack(const QByteArray& record, const QList<int>& channels)
{
    QList<int> values;
    int position = 7;
    for (int set = 0; set < quint8(record[6]); ++set) {
        for (int channel : channels) {
            const auto at = [&](int i) { return quint8(record[i]); };
            switch (kChannelTypes[channel]) {
            case 0: values << (at(position) << 8 | at(position + 1)); position += 2; break;
            case 2: values << int(qint8(at(position++))); break;
            default: values << at(position++); break;
            }
        }
    }
    return values;
}

bool isSampleRecord(const QByteArray& report)
{
    const int descriptor = quint8(report[2]);
    return report[0] == 0x07 && report[1] == 0x40 && descriptor < 32 && descriptor != 8 && descriptor != 10
           && descriptor != 11 && descriptor != 12;
}

qint64 deviceTime(const QByteArray& status)
{
    return qint32(quint8(status[24]) << 24 | quint8(status[25]) << 16 | quint8(status[26]) << 8 | quint8(status[27]));
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void enumeration_data();
    void enumeration();
    void enumerationRecord();
    void openAndClose();
    void openDenied();
    void foreignDeviceNeverAnswers();
    void hidApiBasics();

    void textAnswers_data();
    void textAnswers();
    void powerSwitch();
    void vtune();
    void statusPacket_data();
    void statusPacket();
    void statusSetters();
    void settingsDefaults_data();
    void settingsDefaults();
    void settingsSetStoredAndAcknowledged();
    void settingsRestoreAndClockSync();

    void waveformFormulas_data();
    void waveformFormulas();
    void logRecords_data();
    void logRecords();
    void logStop();
    void queueKeepsNewestThirty();

    void unplugAndReplug();
    void blockingReads();
    void silentUnit();
    void restartCounter();
    void answerDelay();

    void bootloaderUpload_data();
    void bootloaderUpload();
    void bootEntryIgnored();
    void startInBootloader();

    void traceDescriptions_data();
    void traceDescriptions();
    void controlCommands();
    void controlRejects_data();
    void controlRejects();

private:
    std::shared_ptr<SimulatedUnit> m_unit;
};

void TestSim::init()
{
    Bus::instance().reset();
    m_unit = Bus::instance().unit(0);
    QVERIFY(m_unit);
}

void TestSim::enumeration_data()
{
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<QStringList>("expected");

    const QString unit500 = "0483:a1de 500200000001";
    const QString foreign = "1234:5678 F1";
    const QString unit600 = "0483:a1de 500300000007";
    const QString unsupported = "0483:a1de 999900000001";
    QTest::newRow("all, in bus order") << 0 << 0 << QStringList{unit500, foreign, unit600, unsupported};
    QTest::newRow("by vendor") << 0x0483 << 0 << QStringList{unit500, unit600, unsupported};
    QTest::newRow("by product only") << 0 << 0x5678 << QStringList{foreign};
    QTest::newRow("bootloaders") << 0x0483 << 0xA1DA << QStringList{};
}

void TestSim::enumeration()
{
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(QStringList, expected);

    Bus::instance().addDevice(0x1234, 0x5678, "F1");
    Bus::instance().addUnit(Model::Power600, "500300000007");
    Bus::instance().addDevice(0x0483, 0xA1DE, "999900000001");
    QCOMPARE(listed(ushort(vendor), ushort(product)), expected);
}

void TestSim::enumerationRecord()
{
    Bus::instance().addUnit(Model::Power600, "500300000007");
    hid_device_info* list = hid_enumerate(kVendor, kApplication);
    QVERIFY(list && list->next && !list->next->next);
    QCOMPARE(QString::fromWCharArray(list->manufacturer_string), QString("Quenlor"));
    QCOMPARE(QString::fromWCharArray(list->product_string), QString("Kelvane Power 500"));
    QCOMPARE(QString::fromWCharArray(list->next->product_string), QString("Kelvane Power 600"));
    QCOMPARE(list->interface_number, 0);
    QVERIFY(QByteArray(list->path).startsWith("sim:"));
    QVERIFY(QByteArray(list->path) != QByteArray(list->next->path));
    const QByteArray path = list->path;
    hid_free_enumeration(list);

    Handle byPath(hid_open_path(path.constData()), hid_close);
    QVERIFY(byPath);
    wchar_t serial[32];
    QCOMPARE(hid_get_serial_number_string(byPath.get(), serial, 32), 0);
    QCOMPARE(QString::fromWCharArray(serial), QString("500200000001"));

    m_unit->unplug();
    QCOMPARE(listed(0, 0), QStringList{"0483:a1de 500300000007"});
}

void TestSim::openAndClose()
{
    Bus::instance().clearEvents();
    {
        Handle handle = open();
        QVERIFY(handle);
        QVERIFY(contains(Bus::instance().events(), "open 0483:a1de 500200000001"));
    }
    QVERIFY(contains(Bus::instance().events(), "close 0483:a1de 500200000001"));

    QVERIFY(!open(kApplication, L"500200000099"));
    QVERIFY(contains(Bus::instance().events(), "open-failed 0483:a1de 500200000099"));
    QVERIFY(open(kApplication, nullptr));   // any serial
}

void TestSim::openDenied()
{
    Bus::instance().setOpenDenied(true);
    QVERIFY(!open());
    QVERIFY(QString::fromWCharArray(hid_error(nullptr)).contains("Permission denied"));
    QVERIFY(contains(Bus::instance().events(), "open-denied 0483:a1de 500200000001"));

    Bus::instance().setOpenDenied(false);
    QVERIFY(open());
}

void TestSim::foreignDeviceNeverAnswers()
{
    Bus::instance().addDevice(0x0483, 0xA1DE, "999900000001");
    Handle handle = open(kApplication, L"999900000001");
    QVERIFY(handle);
    QCOMPARE(send(handle.get(), textWrite("POWER\n")), 65);
    QCOMPARE(receive(handle.get(), kAbsenceMs), QByteArray());
}

void TestSim::hidApiBasics()
{
    QCOMPARE(hid_init(), 0);
    QCOMPARE(QByteArray(hid_version_str()), QByteArray("0.13.1"));
    QCOMPARE(hid_version()->minor, 13);
    Handle handle = open();
    QVERIFY(handle);
    unsigned char buffer[65] = {};
    QCOMPARE(hid_get_feature_report(handle.get(), buffer, sizeof buffer), -1);
    QVERIFY(!QString::fromWCharArray(hid_error(handle.get())).isEmpty());
    QCOMPARE(hid_get_device_info(handle.get())->product_id, kApplication);
    wchar_t text[8];
    QCOMPARE(hid_get_product_string(handle.get(), text, 8), 0);
    QCOMPARE(QString::fromWCharArray(text), QString("Kelvane"));   // cut to the buffer
}

void TestSim::textAnswers_data()
{
    QTest::addColumn<bool>("output");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");

    const QByteArray on = bytes({0x07, 3, 'O', 'N', '\r'});
    const QByteArray off = bytes({0x07, 4, 'O', 'F', 'F', '\r'});
    const QByteArray ok = bytes({0x07, 3, 'O', 'K', '\r'});
    const QByteArray err = bytes({0x07, 4, 'E', 'R', 'R', '\r'});
    QTest::newRow("power on") << true << "" << QByteArray("POWER\n") << on;
    QTest::newRow("power off") << false << "" << QByteArray("POWER\n") << off;
    QTest::newRow("vtune") << true << "" << QByteArray("VTUNE138\n") << ok;
    QTest::newRow("vtune without value") << true << "" << QByteArray("VTUNE\n") << err;
    QTest::newRow("log rate 0") << true << "" << QByteArray("LOG0C0\n") << err;
    QTest::newRow("log rate above 10000") << true << "" << QByteArray("LOG10001C0\n") << err;
    QTest::newRow("log without channels") << true << "" << QByteArray("LOG100C\n") << err;
    QTest::newRow("log without rate") << true << "" << QByteArray("LOGC0\n") << err;
    QTest::newRow("log channel beyond model 500") << true << "" << QByteArray("LOG100C8\n") << err;
    QTest::newRow("log lower-case digit") << true << "" << QByteArray("LOG100C0a\n") << err;
    QTest::newRow("log refused") << true << "BUSY" << QByteArray("LOG100C0\n") << bytes({0x07, 5, 'B', 'U', 'S', 'Y', '\r'});
}

void TestSim::textAnswers()
{
    QFETCH(bool, output);
    QFETCH(QString, refusal);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);

    m_unit->setOutput(output);
    m_unit->setLogRefusal(refusal.toStdString());
    Handle handle = open();
    QCOMPARE(send(handle.get(), textWrite(command)), 65);
    QCOMPARE(receive(handle.get()), answer);
    QVERIFY(!m_unit->isLogging());
}

void TestSim::powerSwitch()
{
    Handle handle = open();
    const QByteArray off = bytes({0x07, 4, 'O', 'F', 'F', '\r'});
    send(handle.get(), textWrite("PSW0\r\n"));
    QVERIFY(!m_unit->output());
    send(handle.get(), textWrite("POWER\n"));
    QCOMPARE(receive(handle.get()), off);

    send(handle.get(), textWrite("PSW1\r\n"));
    QVERIFY(m_unit->output());
    send(handle.get(), textWrite("POWER\n"));
    QCOMPARE(receive(handle.get()), bytes({0x07, 3, 'O', 'N', '\r'}));
}

void TestSim::vtune()
{
    Bus::instance().clear();
    const auto unit600 = Bus::instance().addUnit(Model::Power600, "500300000001");
    Handle handle = open(kApplication, L"500300000001");
    send(handle.get(), textWrite("VTUNE120\n"));
    QCOMPARE(receive(handle.get()), bytes({0x07, 3, 'O', 'K', '\r'}));
    QCOMPARE(unit600->vtuneValue(), 120);
    QCOMPARE(int(unit600->settingsBlock()[35]), 128 - 18 * 4);   // the trim follows the tuned voltage
}

void TestSim::statusPacket_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("output");
    QTest::addColumn<QByteArray>("expected");   // device time (bytes 24-27) left out

    QByteArray on500 = bytes({0x07, 0x40, 0x0C, 138, 0x00, 25, 51, 0x00, 45, 27, 31, 0x00, 230, 0x01, 0xF4, 20,
                              0x00, 37, 0x00, 27, 0x01, 0xF4, 0x01, 0x90});
    on500[37] = 1;
    on500[38] = 2;
    on500[39] = 3;
    QByteArray off500 = on500;
    for (int i : {4, 5, 7, 8, 16, 17, 18, 19})
        off500[i] = 0;
    QByteArray on600 = on500;
    const QByteArray totals600 = bytes({0x00, 43, 0x00, 31, 0x02, 0x58, 0x01, 0xF4}, 8);
    on600.replace(16, 8, totals600);
    on600.replace(40, 9, bytes({90, 0x00, 30, 120, 0x00, 20, 70, 0x00, 10}, 9));

    QTest::newRow("500, output on") << Model::Power500 << true << on500;
    QTest::newRow("500, output off") << Model::Power500 << false << off500;
    QTest::newRow("600, output on") << Model::Power600 << true << on600;
}

void TestSim::statusPacket()
{
    QFETCH(Model, model);
    QFETCH(bool, output);
    QFETCH(QByteArray, expected);

    Bus::instance().clear();
    Bus::instance().addUnit(model, "500300000001")->setOutput(output);
    Handle handle = open(kApplication, L"500300000001");
    send(handle.get(), bytes({0x07, 0x40, 0x0C}, 65));
    QByteArray status = receive(handle.get());
    QVERIFY(qAbs(deviceTime(status) - qint64(std::time(nullptr))) <= 2);
    status.replace(24, 4, QByteArray(4, '\0'));
    QCOMPARE(status.toHex(' '), expected.toHex(' '));
}

void TestSim::statusSetters()
{
    m_unit->setOutputVoltage(120);
    m_unit->setOutputCurrent(0x7B);
    m_unit->setUsb(1, 50, 0x12C);
    m_unit->setTemperatures(-10, 45);
    m_unit->setMains(0x0102, 0x01F3);
    m_unit->setFanSpeed(80);
    m_unit->setFirmwareVersion(2, 0, 7);
    m_unit->setStatusByte(63, 0xAA);
    const sim::Report status = m_unit->statusReport();
    const QByteArray actual(reinterpret_cast<const char*>(status.data()), 64);
    QCOMPARE(actual.mid(3, 13).toHex(' '), QByteArray("78 00 7b 32 01 2c f6 2d 01 02 01 f3 50"));
    QCOMPARE(actual.mid(37, 3).toHex(' '), QByteArray("02 00 07"));
    QCOMPARE(quint8(actual[63]), quint8(0xAA));
}

void TestSim::settingsDefaults_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QByteArray>("expected");

    QByteArray block500 = bytes({0x07, 0x40, 0x0A, 0x03, 0x0D, 0x1F, 5, 30, 0, 7, 0, 22, 0, 0});
    block500.replace(22, 13, bytes({5, 10, 9, 13, 3, 4, 7, 14, 15, 2, 5, 6, 12}, 13));
    QByteArray block600 = block500;
    block600[5] = char(0x9F);
    block600.replace(29, 3, QByteArray(3, '\0'));
    block600[35] = char(128);
    QTest::newRow("500") << Model::Power500 << block500;
    QTest::newRow("600") << Model::Power600 << block600;
}

void TestSim::settingsDefaults()
{
    QFETCH(Model, model);
    QFETCH(QByteArray, expected);

    Bus::instance().clear();
    Bus::instance().addUnit(model, "500300000001");
    Handle handle = open(kApplication, L"500300000001");
    send(handle.get(), bytes({0x07, 0x40, 0x0A}, 65));
    QCOMPARE(receive(handle.get()).toHex(' '), expected.toHex(' '));
}

void TestSim::settingsSetStoredAndAcknowledged()
{
    QByteArray set = bytes({0x07, 0x40, 0x0B, 0x15, 0x05, 0x03, 50, 10, 2, 6, 30, 23, 45, 2});
    set.replace(22, 13, bytes({9, 1, 2, 3, 3, 4, 7, 14, 15, 0, 5, 6, 13}, 13));
    set[57] = 0x03;   // apply and store
    Handle handle = open();
    send(handle.get(), set + QByteArray(1, '\0'));
    QCOMPARE(receive(handle.get()), bytes({0x07, 0x40, 0x0B}));
    const sim::Report last = m_unit->lastSetPacket();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(last.data()), 64), set);

    send(handle.get(), bytes({0x07, 0x40, 0x0A}, 65));
    QByteArray expected = set;
    expected[2] = 0x0A;
    expected[57] = 0;
    QCOMPARE(receive(handle.get()).toHex(' '), expected.toHex(' '));
}

void TestSim::settingsRestoreAndClockSync()
{
    const sim::Report defaults = m_unit->settingsBlock();
    Handle handle = open();
    send(handle.get(), bytes({0x07, 0x40, 0x0B, 0x15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 65));
    QCOMPARE(receive(handle.get()), bytes({0x07, 0x40, 0x0B}));
    QVERIFY(m_unit->settingsBlock() != defaults);

    QByteArray restore = bytes({0x07, 0x40, 0x0B}, 65);
    restore[57] = 0x04;
    send(handle.get(), restore);
    QCOMPARE(receive(handle.get()), bytes({0x07, 0x40, 0x0B}));
    QVERIFY(m_unit->settingsBlock() == defaults);

    const quint32 dayAhead = quint32(std::time(nullptr) + 86400);
    QByteArray sync = bytes({0x07, 0x40, 0x0B}, 65);
    sync[57] = 0x08;
    for (int i = 0; i < 4; ++i)
        sync[58 + i] = char(dayAhead >> (24 - 8 * i));
    send(handle.get(), sync);
    QCOMPARE(receive(handle.get()), bytes({0x07, 0x40, 0x0B}));
    send(handle.get(), bytes({0x07, 0x40, 0x0C}, 65));
    QVERIFY(qAbs(deviceTime(receive(handle.get())) - qint64(dayAhead)) <= 2);
    QCOMPARE(int(m_unit->settingsBlock()[57]), 0);   // the command is not a setting
}

void TestSim::waveformFormulas_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("raw");

    // The formulas of sim/README.md at a start or a quarter period.
    QTest::newRow("output voltage at 0 s") << Model::Power500 << 0 << 0 << 100 << 138;
    QTest::newRow("output voltage at 1.25 s") << Model::Power500 << 0 << 125 << 100 << 140;
    QTest::newRow("output current at 0.5 s") << Model::Power500 << 1 << 50 << 100 << 350;
    QTest::newRow("output current at 1.5 s") << Model::Power500 << 1 << 150 << 100 << 150;
    QTest::newRow("USB voltage at 0.75 s") << Model::Power500 << 2 << 75 << 100 << 52;
    QTest::newRow("USB current at 0.25 s") << Model::Power500 << 3 << 250 << 1000 << 75;
    QTest::newRow("outside temperature at 0 s") << Model::Power500 << 4 << 0 << 10 << -2;
    QTest::newRow("outside temperature at 15 s") << Model::Power500 << 4 << 150 << 10 << -12;
    QTest::newRow("inside temperature at 10 s") << Model::Power500 << 5 << 100 << 10 << 35;
    QTest::newRow("mains voltage at 1.75 s") << Model::Power500 << 6 << 175 << 100 << 234;
    QTest::newRow("mains frequency at 2.75 s") << Model::Power500 << 7 << 275 << 100 << 502;
    QTest::newRow("USB2 voltage at 1 s") << Model::Power600 << 8 << 10 << 10 << 92;
    QTest::newRow("USB4 current at 0.875 s") << Model::Power600 << 13 << 875 << 1000 << 18;
    QTest::newRow("channel 8 on a model 500") << Model::Power500 << 8 << 10 << 10 << 0;
}

void TestSim::waveformFormulas()
{
    QFETCH(Model, model);
    QFETCH(int, channel);
    QFETCH(int, n);
    QFETCH(int, rate);
    QFETCH(int, raw);
    QCOMPARE(SimulatedUnit::rawSample(model, channel, uint32_t(n), rate), raw);
}

void TestSim::logRecords_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<int>("maxSets");
    QTest::addColumn<bool>("output");
    QTest::addColumn<int>("sets");

    QTest::newRow("one byte channel at 1000 Hz: 57 sets")
        << Model::Power500 << QByteArray("LOG1000C0\n") << QList<int>{0} << 0 << true << 57;
    QTest::newRow("mixed widths at 100 Hz: 100 ms a record")
        << Model::Power600 << QByteArray("LOG100C01D\n") << QList<int>{0, 1, 13} << 0 << true << 10;
    QTest::newRow("five channels, reverse order: 8 bytes a set")
        << Model::Power500 << QByteArray("LOG1000C76543\n") << QList<int>{7, 6, 5, 4, 3} << 0 << true << 7;
    QTest::newRow("signed temperature at 10 Hz: one set")
        << Model::Power500 << QByteArray("LOG10C4\n") << QList<int>{4} << 0 << true << 1;
    QTest::newRow("one set a record on request")
        << Model::Power500 << QByteArray("LOG1000C01\n") << QList<int>{0, 1} << 1 << true << 1;
    QTest::newRow("output off: currents read 0, 4 bytes a set")
        << Model::Power500 << QByteArray("LOG200C13\n") << QList<int>{1, 3} << 0 << false << 14;
}

void TestSim::logRecords()
{
    QFETCH(Model, model);
    QFETCH(QByteArray, command);
    QFETCH(QList<int>, channels);
    QFETCH(int, maxSets);
    QFETCH(bool, output);
    QFETCH(int, sets);

    Bus::instance().clear();
    const auto unit = Bus::instance().addUnit(model, "500300000001");
    unit->setMaxSetsPerRecord(maxSets);
    unit->setOutput(output);
    Handle handle = open(kApplication, L"500300000001");
    const int rate = command.mid(3, command.indexOf('C') - 3).toInt();
    QElapsedTimer clock;
    clock.start();
    send(handle.get(), textWrite(command));
    QCOMPARE(unit->logRate(), rate);
    const std::vector<int> logged = unit->logChannels();
    QCOMPARE(QList<int>(logged.begin(), logged.end()), channels);

    for (int record = 0; record < 3; ++record) {
        const QByteArray report = receive(handle.get());
        const qint64 arrivedNs = clock.nsecsElapsed();
        QVERIFY(isSampleRecord(report));
        QCOMPARE(recordIndex(report), record * sets);
        QCOMPARE(int(quint8(report[6])), sets);
        // Paced by the clock: no record before its last sample is due.
        const qint64 lastSample = qint64(record + 1) * sets - 1;
        QVERIFY2(arrivedNs >= lastSample * 1000000000 / rate, qPrintable(QString::number(arrivedNs)));
        const QList<int> values = unpack(report, channels);
        for (int i = 0; i < values.size(); ++i) {
            const int channel = channels[i % channels.size()];
            const uint32_t n = uint32_t(record * sets + i / channels.size());
            const bool current = channel == 1 || channel == 3;
            const int expected = output || !current ? SimulatedUnit::rawSample(model, channel, n, rate) : 0;
            QCOMPARE(values[i], expected);
        }
    }
}

void TestSim::logStop()
{
    Handle handle = open();
    send(handle.get(), textWrite("LOGSTOP\n"));
    QCOMPARE(receive(handle.get(), kAbsenceMs), QByteArray());   // no log, no answer

    send(handle.get(), textWrite("LOG100C0\n"));
    QByteArray report = receive(handle.get());
    QVERIFY(isSampleRecord(report));
    send(handle.get(), textWrite("LOGSTOP\n"));
    int next = recordIndex(report) + quint8(report[6]);
    for (report = receive(handle.get()); isSampleRecord(report); report = receive(handle.get())) {
        QCOMPARE(recordIndex(report), next);
        next += quint8(report[6]);
    }
    QCOMPARE(report, bytes({0x07, 0x40, 0x08}));
    QVERIFY(!m_unit->isLogging());
    QCOMPARE(receive(handle.get(), kAbsenceMs), QByteArray());
}

void TestSim::queueKeepsNewestThirty()
{
    Handle handle = open();
    for (int i = 0; i < 5; ++i)
        send(handle.get(), textWrite("POWER\n"));
    send(handle.get(), textWrite("PSW0\r\n"));
    for (int i = 0; i < 30; ++i)
        send(handle.get(), textWrite("POWER\n"));
    QCOMPARE(m_unit->droppedReports(), uint64_t(5));
    for (int i = 0; i < 30; ++i)
        QCOMPARE(receive(handle.get(), 0), bytes({0x07, 4, 'O', 'F', 'F', '\r'}));
    QCOMPARE(receive(handle.get(), 0), QByteArray());
}

void TestSim::unplugAndReplug()
{
    Handle old = open();
    m_unit->unplug();
    unsigned char buffer[64];
    QCOMPARE(hid_read(old.get(), buffer, 64), -1);
    QCOMPARE(send(old.get(), textWrite("POWER\n")), -1);
    QVERIFY(listed(0, 0).isEmpty());
    QVERIFY(!open());

    m_unit->plug();
    QCOMPARE(listed(0, 0), QStringList{"0483:a1de 500200000001"});
    QCOMPARE(hid_read(old.get(), buffer, 64), -1);   // a replugged unit is a new device
    Handle fresh = open();
    QVERIFY(fresh);
    send(fresh.get(), textWrite("POWER\n"));
    QCOMPARE(receive(fresh.get()), bytes({0x07, 3, 'O', 'N', '\r'}));
    const auto events = Bus::instance().events();
    QVERIFY(contains(events, "detach 0483:a1de 500200000001"));
    QVERIFY(contains(events, "attach 0483:a1de 500200000001"));
}

void TestSim::blockingReads()
{
    Handle handle = open();
    unsigned char buffer[64];
    QCOMPARE(hid_read(handle.get(), buffer, 64), 0);   // non-blocking, nothing queued

    hid_set_nonblocking(handle.get(), 0);
    m_unit->setAnswerDelayMs(30);
    send(handle.get(), textWrite("POWER\n"));
    QCOMPARE(hid_read(handle.get(), buffer, 64), 64);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 5), QByteArray("\x07\x03ON\r"));

    std::thread unplug([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        m_unit->unplug();
    });
    QCOMPARE(hid_read(handle.get(), buffer, 64), -1);   // a blocked reader wakes up
    unplug.join();
}

void TestSim::silentUnit()
{
    Handle handle = open();
    m_unit->setMaxSetsPerRecord(5);
    send(handle.get(), textWrite("LOG100C0\n"));
    QCOMPARE(recordIndex(receive(handle.get())), 0);

    m_unit->setSilent(true);
    int last = 0;
    for (QByteArray queued = receive(handle.get(), 0); !queued.isEmpty(); queued = receive(handle.get(), 0))
        last = recordIndex(queued);
    send(handle.get(), textWrite("POWER\n"));
    QCOMPARE(receive(handle.get(), kAbsenceMs), QByteArray());
    QCOMPARE(m_unit->trace().back(), std::string("text \"POWER\\n\""));

    // The log kept counting while its records were lost.
    m_unit->setSilent(false);
    const QByteArray next = receive(handle.get());
    QVERIFY(isSampleRecord(next));
    QVERIFY(recordIndex(next) >= last + 10);
}

void TestSim::restartCounter()
{
    m_unit->setMaxSetsPerRecord(10);
    Handle handle = open();
    send(handle.get(), textWrite("LOG1000C0\n"));
    const QByteArray first = receive(handle.get());
    QCOMPARE(recordIndex(first), 0);

    m_unit->restartCounter();
    QByteArray report;
    int before = recordIndex(first);
    for (report = receive(handle.get()); !report.isEmpty() && recordIndex(report) != 0; report = receive(handle.get()))
        before = recordIndex(report);
    QVERIFY(!report.isEmpty());
    // The log goes on: the values continue where the old counter stopped.
    QCOMPARE(unpack(report, {0}).first(), SimulatedUnit::rawSample(Model::Power500, 0, uint32_t(before + 10), 1000));
    QCOMPARE(recordIndex(receive(handle.get())), 10);
}

void TestSim::answerDelay()
{
    m_unit->setAnswerDelayMs(80);
    Handle handle = open();
    QElapsedTimer clock;
    clock.start();
    send(handle.get(), textWrite("POWER\n"));
    QCOMPARE(receive(handle.get(), 0), QByteArray());
    QCOMPARE(receive(handle.get()), bytes({0x07, 3, 'O', 'N', '\r'}));
    QVERIFY(clock.elapsed() >= 80);
}

void TestSim::bootloaderUpload_data()
{
    QTest::addColumn<bool>("failing");
    QTest::addColumn<int>("answer");
    QTest::newRow("good") << false << 0x07;
    QTest::newRow("bootloader error") << true << 0x55;
}

void TestSim::bootloaderUpload()
{
    QFETCH(bool, failing);
    QFETCH(int, answer);

    QTemporaryDir folder;
    const QString imageFile = folder.filePath("image.bin");
    m_unit->setRebootDelayMs(20);
    m_unit->setBootloaderError(failing);
    m_unit->setImageFile(imageFile.toStdString());
    QByteArray image(100, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7 + 1);

    Handle application = open();
    send(application.get(), bytes({0x01, 'R', 'E', 'S', 'E', 'T'}, 65));
    unsigned char buffer[64];
    QCOMPARE(hid_read(application.get(), buffer, 64), -1);
    QVERIFY(listed(kVendor, kApplication).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(listed(kVendor, kBootloader), QStringList{"0483:a1da 500200000001"}, kDeadlineMs);

    Handle boot = open(kBootloader);
    QVERIFY(boot);
    send(boot.get(), bootFrame(3, image.left(48)));
    QCOMPARE(quint8(receive(boot.get())[0]), quint8(answer));
    send(boot.get(), bootFrame(4, image.mid(48, 48)));
    send(boot.get(), bootFrame(4, image.mid(96)));
    QCOMPARE(receive(boot.get(), 0), QByteArray());   // no answer to further blocks
    send(boot.get(), bootFrame(5));
    QCOMPARE(quint8(receive(boot.get())[0]), quint8(answer));
    send(boot.get(), bootFrame(6));
    QCOMPARE(hid_read(boot.get(), buffer, 64), -1);

    QTRY_COMPARE_WITH_TIMEOUT(listed(kVendor, kApplication), QStringList{"0483:a1de 500200000001"}, kDeadlineMs);
    const std::vector<uint8_t> received = m_unit->receivedImage();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(received.data()), int(received.size())), image);
    const std::vector<std::pair<int, int>> frames{{3, 48}, {4, 48}, {4, 4}, {5, 0}, {6, 0}};
    QVERIFY(m_unit->bootloaderFrames() == frames);
    QCOMPARE(QFile::exists(imageFile), !failing);

    Handle again = open();
    send(again.get(), textWrite("POWER\n"));
    QCOMPARE(receive(again.get()), bytes({0x07, 4, 'O', 'F', 'F', '\r'}));   // new firmware starts off
}

void TestSim::bootEntryIgnored()
{
    m_unit->setIgnoreBootEntry(true);
    Handle handle = open();
    send(handle.get(), bytes({0x01, 'R', 'E', 'S', 'E', 'T'}, 65));
    send(handle.get(), textWrite("POWER\n"));
    QCOMPARE(receive(handle.get()), bytes({0x07, 3, 'O', 'N', '\r'}));
    QVERIFY(!m_unit->isBootloader());
    QCOMPARE(m_unit->trace().front(), std::string("boot-entry"));
}

void TestSim::startInBootloader()
{
    m_unit->enterBootloader();
    QCOMPARE(listed(0, 0), QStringList{"0483:a1da 500200000001"});
    QVERIFY(open(kBootloader));
}

void TestSim::traceDescriptions_data()
{
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QString>("description");

    QByteArray info = bytes({0x01, 52, 0, 8}, 65);
    info.replace(8, 20, "Quenlor Power Supply");
    QByteArray set = bytes({0x07, 0x40, 0x0B, 0x03}, 65);
    set[57] = 0x01;
    const QByteArray unknown = bytes({0x07, 0x40, 0x08}, 65);

    QTest::newRow("text") << textWrite("LOGSTOP\n") << R"(text "LOGSTOP\n")";
    QTest::newRow("text with CR LF") << textWrite("PSW1\r\n") << R"(text "PSW1\r\n")";
    QTest::newRow("status request") << bytes({0x07, 0x40, 0x0C}, 65) << "status-request";
    QTest::newRow("settings request") << bytes({0x07, 0x40, 0x0A}, 65) << "settings-request";
    QTest::newRow("settings set") << set << "settings-set cmd=0x01 " + QString::fromLatin1(set.left(64).toHex());
    QTest::newRow("information request") << info << "info-request";
    QTest::newRow("information request, logger framing") << bytes({0x00, 0x01}, 65) << "info-request";
    QTest::newRow("boot entry") << bytes({0x01, 'R', 'E', 'S', 'E', 'T'}, 65) << "boot-entry";
    QTest::newRow("unknown") << unknown << "unknown " + QString::fromLatin1(unknown.toHex());
}

void TestSim::traceDescriptions()
{
    QFETCH(QByteArray, write);
    QFETCH(QString, description);

    m_unit->setIgnoreBootEntry(true);
    Handle handle = open();
    send(handle.get(), write);
    const std::vector<sim::HostWrite> writes = m_unit->writes();
    QCOMPARE(writes.size(), size_t(1));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(writes[0].bytes.data()), 65), write);
    QCOMPARE(QString::fromStdString(writes[0].description), description);
    m_unit->clearWrites();
    QVERIFY(m_unit->trace().empty());
}

void TestSim::controlCommands()
{
    Bus& bus = Bus::instance();
    QVERIFY(bus.control("output off"));
    QVERIFY(!m_unit->output());
    QVERIFY(bus.control("status 15 0x63"));
    QCOMPARE(int(m_unit->statusReport()[15]), 0x63);
    QVERIFY(bus.control("open-denied on"));
    QVERIFY(bus.openDenied());
    QVERIFY(bus.control("open-denied off"));
    QVERIFY(bus.control("unplug"));
    QVERIFY(!m_unit->isPlugged());
    QVERIFY(bus.control("plug\r"));
    QVERIFY(m_unit->isPlugged());

    QVERIFY(bus.control("refuse-log NO SD CARD"));
    Handle handle = open();
    send(handle.get(), textWrite("LOG10C0\n"));
    QCOMPARE(receive(handle.get()), textAnswer("NO SD CARD\r"));
    QVERIFY(bus.control("refuse-log"));
    QVERIFY(bus.control("max-sets 1"));
    send(handle.get(), textWrite("LOG1000C0\n"));
    QCOMPARE(int(quint8(receive(handle.get())[6])), 1);
    QVERIFY(contains(bus.events(), "control max-sets 1"));
}

void TestSim::controlRejects_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("unknown command") << "frobnicate";
    QTest::newRow("switch without state") << "silent";
    QTest::newRow("switch with other word") << "output maybe";
    QTest::newRow("status byte beyond packet") << "status 64 1";
    QTest::newRow("status value beyond byte") << "status 3 256";
    QTest::newRow("status without value") << "status 3";
    QTest::newRow("unplug with argument") << "unplug now";
    QTest::newRow("max-sets not a number") << "max-sets many";
}

void TestSim::controlRejects()
{
    QFETCH(QString, line);
    QVERIFY(!Bus::instance().control(line.toStdString()));
    QVERIFY(contains(Bus::instance().events(), "control-rejected " + line.toStdString()));
    QVERIFY(m_unit->isPlugged());
    QVERIFY(m_unit->output());
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
