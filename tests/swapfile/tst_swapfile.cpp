// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"
#include "recording/progressdialog.h"
#include "recording/swapfile.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <memory>

// Expected bytes are laid out here from the file format's tables, byte by
// byte and little-endian, never taken from the code under test.
namespace {

// The offscreen platform notes every window it shows; anything else fails.
const QRegularExpression kUnexpectedWarning(QStringLiteral("^(?!This plugin does not support propagateSizeHints).*"));

// Bit patterns of the doubles used in hand-made records.
constexpr quint64 kZero = 0x0000000000000000;
constexpr quint64 kHalf = 0x3FE0000000000000;
constexpr quint64 kOne = 0x3FF0000000000000;
constexpr quint64 kOneAndHalf = 0x3FF8000000000000;
constexpr quint64 kTwo = 0x4000000000000000;
constexpr quint64 kMinusTwo = 0xC000000000000000;

double fromBits(quint64 bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

quint64 toBits(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void putLe(QByteArray& bytes, int offset, quint64 value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

quint64 getLe(const QByteArray& bytes, int offset, int width)
{
    quint64 value = 0;
    for (int i = 0; i < width; ++i)
        value |= quint64(quint8(bytes.at(offset + i))) << (8 * i);
    return value;
}

struct HeaderFields
{
    quint8 kind = 1;
    qint8 count = 2;
    quint8 mask = 0x03;
    quint32 mask32 = 1;
    qint16 period = 1000; // 10 Hz
    QList<quint8> list = {0, 1};
    QList<quint8> list32;
};

// The 512-byte block without a start time.
QByteArray headerBlock(const HeaderFields& f)
{
    QByteArray block(512, '\0');
    putLe(block, 0, 4, 4);   // version
    putLe(block, 4, 76, 4);  // headerSize
    block[8] = char(f.count);
    block[9] = char(f.mask);
    putLe(block, 10, quint16(f.period), 2);
    block[12] = char(f.kind);
    for (int i = 0; i < f.list.size(); ++i)
        block[13 + i] = char(f.list.at(i));
    putLe(block, 40, f.mask32, 4);
    for (int i = 0; i < f.list32.size(); ++i)
        block[44 + i] = char(f.list32.at(i));
    return block;
}

// Records k = 0..count-1 at time k / rate; channel c holds 100 * c + k.
QByteArray records(int count, int channels, double rate)
{
    const int rec = 8 * (channels + 1);
    QByteArray bytes(count * rec, '\0');
    for (int k = 0; k < count; ++k) {
        putLe(bytes, k * rec, toBits(k / rate), 8);
        for (int c = 0; c < channels; ++c)
            putLe(bytes, k * rec + 8 * (c + 1), toBits(100.0 * c + k), 8);
    }
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

SeriesList makeSeriesList(int count)
{
    SeriesList list;
    for (int i = 0; i < count; ++i)
        list.append(makeSeries());
    return list;
}

Series seriesOf(const QList<double>& times, const QList<double>& values)
{
    Series s = makeSeries();
    for (int i = 0; i < values.size(); ++i)
        insertPoint(*s, times.at(i), values.at(i));
    return s;
}

double firstTime(const Series& s) { return s->constBegin()->key; }
double lastTime(const Series& s) { return (s->constEnd() - 1)->key; }

// The 2-channel model 600 recording the read-back tests share: 60 s at 10 Hz.
QByteArray sixtySeconds()
{
    HeaderFields f;
    f.kind = 2;
    f.mask = 1;
    f.mask32 = 0x03;
    f.list = {};
    f.list32 = {0, 1};
    return headerBlock(f) + records(600, 2, 10.0);
}

} // namespace

class TestSwapFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createWritesTheDefaultBlock();
    void runHeaderBytes_data();
    void runHeaderBytes();
    void recordsStopAtTheShortestSeries();
    void loggerRecordsTakeSeriesByChannelNumber();
    void deleteAfter_data();
    void deleteAfter();
    void unwritableFolderReportsCreateAndWriteErrors();
    void runRoundTrip();

    void newerVersionIsRefused();
    void unreadableFiles_data();
    void unreadableFiles();
    void corruptHeadersAreRefused_data();
    void corruptHeadersAreRefused();
    void loadReadsTheFirstSeconds();
    void windows_data();
    void windows();
    void windowMergesWithExistingPoints();
    void endTimeIsTheLastWholeRecord_data();
    void endTimeIsTheLastWholeRecord();
    void noWholeRecordMeansNoWindow_data();
    void noWholeRecordMeansNoWindow();
    void channelMaskFollowsTheFilesKind_data();
    void channelMaskFollowsTheFilesKind();
    void closeButtonCancelsALoad();

    void renameSaveAndRemove();
    void renameOntoMissingFolderKeepsTheName();
    void errorTexts_data();
    void errorTexts();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSwapFile::init()
{
    QTest::failOnWarning(kUnexpectedWarning);
    Helpers::powerMode = false;
    Helpers::power600Mode = false;
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSwapFile::cleanup()
{
    m_dir.reset();
}

void TestSwapFile::createWritesTheDefaultBlock()
{
    Helpers::power600Mode = true;
    SwapFile swap;
    QVERIFY(swap.create(path("a.tmp")));

    HeaderFields f;
    f.kind = 2;
    f.count = 3;
    f.mask = 1;
    f.period = 1;
    f.list = {};
    QCOMPARE(readFile(path("a.tmp")), headerBlock(f)); // start time still zero
}

void TestSwapFile::runHeaderBytes_data()
{
    QTest::addColumn<bool>("model600");
    QTest::addColumn<int>("count");
    QTest::addColumn<unsigned>("mask");
    QTest::addColumn<bool>("custom");
    QTest::addColumn<int>("period");
    QTest::addColumn<bool>("fahrenheit");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QList<int>>("order");

    QByteArray m600(504, '\0');
    putLe(m600, 0, 4, 4);
    putLe(m600, 4, 76, 4);
    m600[8] = 3;
    m600[9] = 0x01;
    putLe(m600, 10, 100, 2);
    m600[12] = 2;
    putLe(m600, 40, 0x2003, 4);
    m600[44] = 0;
    m600[45] = 1;
    m600[46] = 13;
    QTest::newRow("model 600, channels 0 1 13 at 100 Hz")
        << true << 3 << 0x2003u << false << 100 << false << m600 << QList<int>{0, 1, 13};

    QByteArray m500(504, '\0');
    putLe(m500, 0, 4, 4);
    putLe(m500, 4, 76, 4);
    m500[8] = 3;
    m500[9] = 0x43;
    putLe(m500, 10, 100, 2);
    m500[12] = 1;
    m500[13] = 0;
    m500[14] = 1;
    m500[15] = 6;
    putLe(m500, 40, 1, 4);
    QTest::newRow("model 500, channels 0 1 6")
        << false << 3 << 0x43u << false << 100 << false << m500 << QList<int>{0, 1, 6};

    QByteArray custom(504, '\0');
    putLe(custom, 0, 4, 4);
    putLe(custom, 4, 76, 4);
    custom[8] = 1;
    custom[9] = 0x10;
    putLe(custom, 10, 3333, 2);
    custom[12] = 1;
    custom[13] = 4;
    putLe(custom, 22, 1, 2);
    putLe(custom, 24, 1, 2);
    putLe(custom, 40, 1, 4);
    QTest::newRow("model 500, custom 3 Hz, Fahrenheit")
        << false << 1 << 0x10u << true << 10000 / 3 << true << custom << QList<int>{4};
}

void TestSwapFile::runHeaderBytes()
{
    QFETCH(bool, model600);
    QFETCH(int, count);
    QFETCH(unsigned, mask);
    QFETCH(bool, custom);
    QFETCH(int, period);
    QFETCH(bool, fahrenheit);
    QFETCH(QByteArray, expected);
    QFETCH(QList<int>, order);

    Helpers::powerMode = !model600;
    Helpers::power600Mode = model600;
    SwapFile swap;
    QVERIFY(swap.create(path("run.tmp")));
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    swap.setHeader(qint8(count), mask, custom, qint16(period), fahrenheit);
    const qint64 after = QDateTime::currentMSecsSinceEpoch();

    const QByteArray bytes = readFile(path("run.tmp"));
    QCOMPARE(bytes.size(), 512);
    QCOMPARE(bytes.left(504), expected);
    const qint64 start = qint64(getLe(bytes, 504, 8));
    QVERIFY2(start >= before && start <= after, qPrintable(QString::number(start)));
    QCOMPARE(swap.startTime(), start);
    QCOMPARE(swap.channelOrder(), order);
}

void TestSwapFile::recordsStopAtTheShortestSeries()
{
    Helpers::power600Mode = true;
    SwapFile swap;
    QVERIFY(swap.create(path("rec.tmp")));
    swap.setHeader(3, 0x2003, false, 100, false);

    const QList<double> times = {fromBits(kZero), fromBits(kHalf), fromBits(kOne), fromBits(kOneAndHalf), 2.0};
    const SeriesList series = {
        seriesOf(times, {1.0, 2.0, 0.5, -2.0, 1.0}),
        seriesOf(times, {2.0, 0.5, -2.0, 1.0, 2.0}),
        seriesOf(times, {-2.0, 1.0, 2.0, 0.5}),
    };
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    QVERIFY(swap.append(0, -1, series, false));
    QCOMPARE(errors.count(), 0);
    swap.close();

    // Four records of 32 bytes: time, then channels 0, 1 and 13.
    const quint64 golden[4][4] = {
        {kZero, kOne, kTwo, kMinusTwo},
        {kHalf, kTwo, kHalf, kOne},
        {kOne, kHalf, kMinusTwo, kTwo},
        {kOneAndHalf, kMinusTwo, kOne, kHalf},
    };
    QByteArray expected(4 * 32, '\0');
    for (int r = 0; r < 4; ++r)
        for (int v = 0; v < 4; ++v)
            putLe(expected, r * 32 + v * 8, golden[r][v], 8);
    const QByteArray bytes = readFile(path("rec.tmp"));
    QCOMPARE(bytes.size(), 512 + 4 * 32);
    QCOMPARE(bytes.mid(512), expected);
}

void TestSwapFile::loggerRecordsTakeSeriesByChannelNumber()
{
    SwapFile swap;
    QVERIFY(swap.create(path("logger.tmp")));
    swap.setHeader(2, 0x05, false, 1000, false); // channels 0 and 2
    const QList<double> times = {0.0, 0.5};
    const SeriesList series = {
        seriesOf(times, {1.0, 2.0}),
        seriesOf({0.0}, {2.0}), // channel 1 is not recorded
        seriesOf(times, {-2.0, 0.5}),
    };
    QVERIFY(swap.append(0, -1, series, false));
    swap.close();

    QByteArray expected(2 * 24, '\0');
    putLe(expected, 0, kZero, 8);
    putLe(expected, 8, kOne, 8);
    putLe(expected, 16, kMinusTwo, 8);
    putLe(expected, 24, kHalf, 8);
    putLe(expected, 32, kTwo, 8);
    putLe(expected, 40, kHalf, 8);
    const QByteArray bytes = readFile(path("logger.tmp"));
    QCOMPARE(bytes.at(12), char(0)); // a logger recording
    QCOMPARE(bytes.mid(512), expected);
}

void TestSwapFile::deleteAfter_data()
{
    QTest::addColumn<bool>("deleteAfter");
    QTest::newRow("frees the series") << true;
    QTest::newRow("keeps the series") << false;
}

void TestSwapFile::deleteAfter()
{
    QFETCH(bool, deleteAfter);
    Helpers::powerMode = true;
    SwapFile swap;
    QVERIFY(swap.create(path("d.tmp")));
    swap.setHeader(1, 0x01, false, 1000, false);
    // The second series is not recorded; it is freed all the same.
    const SeriesList series = {seriesOf({0.0, 0.1, 0.2}, {1, 2, 3}), seriesOf({0.0}, {7})};
    QVERIFY(swap.append(0, -1, series, deleteAfter));
    QCOMPARE(series.at(0)->size(), deleteAfter ? 0 : 3);
    QCOMPARE(series.at(1)->size(), deleteAfter ? 0 : 1);
    swap.close();
    QCOMPARE(readFile(path("d.tmp")).size(), 512 + 3 * 16);
}

void TestSwapFile::unwritableFolderReportsCreateAndWriteErrors()
{
    Helpers::powerMode = true;
    SwapFile swap;
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    QVERIFY(!swap.create(path("missing/x.tmp")));
    QCOMPARE(errors.takeFirst().at(0).toInt(), int(SwapFile::CreateFailed));

    const QString pattern = QStringLiteral("SwapFile::append FAILED to open file");
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QRegularExpression::escape(pattern)));
    QVERIFY(!swap.append(0, -1, {seriesOf({0.0}, {1.0})}, false));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.takeFirst().at(0).toInt(), int(SwapFile::WriteFailed));
}

// Appends as a run does, then reads back what the plot shows after the stop.
void TestSwapFile::runRoundTrip()
{
    Helpers::powerMode = true;
    SwapFile swap;
    QVERIFY(swap.create(path("run.tmp")));
    swap.setHeader(2, 0x03, false, 1000, false);
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    for (int batch = 0; batch < 4; ++batch) {
        SeriesList moved = makeSeriesList(2);
        for (int k = batch * 100; k < (batch + 1) * 100; ++k) {
            insertPoint(*moved[0], k / 10.0, k);
            insertPoint(*moved[1], k / 10.0, -k);
        }
        QVERIFY(swap.append(0, -1, moved, true));
    }
    QVERIFY(swap.stop());
    QCOMPARE(errors.count(), 0);
    QCOMPARE(swap.endTime(), 39.9);
    QCOMPARE(swap.header().channelCount, qint8(2));

    const SeriesList shown = makeSeriesList(2);
    QVERIFY(swap.readRange(swap.endTime() - 5, 10, shown));
    QCOMPARE(shown[0]->size(), 101);
    QCOMPARE(firstTime(shown[0]), 29.9);
    QCOMPARE(lastTime(shown[1]), 39.9);
    QCOMPARE((shown[1]->constEnd() - 1)->value, -399.0);
}

void TestSwapFile::newerVersionIsRefused()
{
    QByteArray bytes = headerBlock({}) + records(10, 2, 10.0);
    putLe(bytes, 0, 5, 4);
    QVERIFY(writeFile(path("v5.ampora"), bytes));

    // Left to the load, which names the reason.
    QCOMPARE(SwapFile::readHeader(path("v5.ampora")).deviceKind, quint8(1));
    SwapFile swap;
    swap.setProgressShown(false);
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    const SeriesList series = makeSeriesList(2);
    QVERIFY(!swap.read(path("v5.ampora"), 10, series));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(SwapFile::WrongVersion));
    QVERIFY(series.at(0)->isEmpty());
}

void TestSwapFile::unreadableFiles_data()
{
    QTest::addColumn<int>("size"); // -1: no file
    QTest::addColumn<int>("error");
    QTest::newRow("missing") << -1 << int(SwapFile::ReadFailed);
    QTest::newRow("empty") << 0 << int(SwapFile::MappingFailed);
    QTest::newRow("100 bytes") << 100 << int(SwapFile::MappingFailed);
    QTest::newRow("300 bytes") << 300 << int(SwapFile::MappingFailed);
    QTest::newRow("511 bytes") << 511 << int(SwapFile::MappingFailed);
}

void TestSwapFile::unreadableFiles()
{
    QFETCH(int, size);
    QFETCH(int, error);
    const QString file = path("short.ampora");
    if (size >= 0)
        QVERIFY(writeFile(file, headerBlock({}).left(size)));

    const SwapFileHeader header = SwapFile::readHeader(file);
    QCOMPARE(header.deviceKind, SwapFileHeader::kUnreadable);
    QCOMPARE(header.version, 4);
    QCOMPARE(header.channelCount, qint8(3));

    SwapFile swap;
    swap.setProgressShown(false);
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    QVERIFY(!swap.read(file, 10, makeSeriesList(2)));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), error);
}

void TestSwapFile::corruptHeadersAreRefused_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("kind");

    QTest::newRow("channelCount 0") << 8 << 1 << qint64(0) << 1;
    QTest::newRow("channelCount 200") << 8 << 1 << qint64(200) << 1;
    QTest::newRow("channelCount -1") << 8 << 1 << qint64(0xFF) << 1;
    QTest::newRow("channelCount 9, beyond a power record") << 8 << 1 << qint64(9) << 2;
    QTest::newRow("channelCount 4, beyond a logger record") << 8 << 1 << qint64(4) << 0;
    QTest::newRow("period 0") << 10 << 2 << qint64(0) << 1;
    QTest::newRow("period -5") << 10 << 2 << qint64(0xFFFB) << 1;
    QTest::newRow("headerSize 75") << 4 << 4 << qint64(75) << 1;
    QTest::newRow("headerSize 1000") << 4 << 4 << qint64(1000) << 1;
    QTest::newRow("version 0") << 0 << 4 << qint64(0) << 1;
    QTest::newRow("version -1") << 0 << 4 << qint64(0xFFFFFFFF) << 1;
    QTest::newRow("deviceKind 7") << 12 << 1 << qint64(7) << 7;
    QTest::newRow("model 500 list entry 8") << 14 << 1 << qint64(8) << 1;
    QTest::newRow("model 600 list entry 32") << 45 << 1 << qint64(32) << 2;
}

void TestSwapFile::corruptHeadersAreRefused()
{
    QFETCH(int, offset);
    QFETCH(int, width);
    QFETCH(qint64, value);
    QFETCH(int, kind);

    HeaderFields f;
    f.kind = quint8(kind);
    f.list32 = {0, 1};
    QByteArray bytes = headerBlock(f) + records(50, 2, 10.0);
    putLe(bytes, offset, quint64(value), width);
    QVERIFY(writeFile(path("bad.ampora"), bytes));

    QCOMPARE(SwapFile::readHeader(path("bad.ampora")).deviceKind, SwapFileHeader::kUnreadable);
    SwapFile swap;
    swap.setProgressShown(false);
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    const SeriesList series = makeSeriesList(2);
    QVERIFY(!swap.read(path("bad.ampora"), 10, series));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(SwapFile::CorruptFile));
    QVERIFY(series.at(0)->isEmpty());
    QVERIFY(series.at(1)->isEmpty());
}

void TestSwapFile::loadReadsTheFirstSeconds()
{
    QVERIFY(writeFile(path("rec.ampora"), sixtySeconds()));
    SwapFile swap;
    swap.setProgressShown(false);
    const SeriesList series = makeSeriesList(2);
    QVERIFY(swap.read(path("rec.ampora"), 10, series));

    QVERIFY(Helpers::power600Mode);
    QCOMPARE(swap.fileName(), path("rec.ampora"));
    QCOMPARE(swap.channelOrder(), (QList<int>{0, 1}));
    QCOMPARE(swap.endTime(), 59.9);
    for (const Series& s : series) {
        QCOMPARE(s->size(), 100);
        QCOMPARE(firstTime(s), 0.0);
        QCOMPARE(lastTime(s), 9.9);
    }
    QCOMPARE((series[1]->constEnd() - 1)->value, 199.0);
}

void TestSwapFile::windows_data()
{
    QTest::addColumn<double>("center");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("last");
    QTest::addColumn<int>("points");

    QTest::newRow("start") << 3.0 << 10.0 << 0.0 << 10.0 << 101;
    QTest::newRow("before the start") << -20.0 << 10.0 << 0.0 << 10.0 << 101;
    QTest::newRow("middle") << 30.0 << 10.0 << 25.0 << 35.0 << 101;
    QTest::newRow("end") << 58.0 << 10.0 << 49.9 << 59.9 << 101;
    QTest::newRow("past the end") << 500.0 << 10.0 << 49.9 << 59.9 << 101;
    QTest::newRow("wider than the recording") << 30.0 << 100.0 << 0.0 << 59.9 << 600;
}

void TestSwapFile::windows()
{
    QFETCH(double, center);
    QFETCH(double, width);
    QFETCH(double, first);
    QFETCH(double, last);
    QFETCH(int, points);

    QVERIFY(writeFile(path("rec.ampora"), sixtySeconds()));
    SwapFile swap;
    swap.setProgressShown(false);
    QVERIFY(swap.read(path("rec.ampora"), 10, makeSeriesList(2)));

    const SeriesList series = makeSeriesList(2);
    QVERIFY(swap.readRange(center, width, series));
    QCOMPARE(series[0]->size(), points);
    QCOMPARE(series[1]->size(), points);
    QCOMPARE(firstTime(series[0]), first);
    QCOMPARE(lastTime(series[0]), last);
    QCOMPARE(series[0]->constBegin()->value, std::round(first * 10));
    QCOMPARE((series[1]->constEnd() - 1)->value, 100 + std::round(last * 10));
}

void TestSwapFile::windowMergesWithExistingPoints()
{
    QVERIFY(writeFile(path("rec.ampora"), sixtySeconds()));
    SwapFile swap;
    swap.setProgressShown(false);
    QVERIFY(swap.read(path("rec.ampora"), 10, makeSeriesList(2)));

    const SeriesList series = {seriesOf({2.0, 40.0}, {-1, -1}), seriesOf({2.0}, {-1})};
    QVERIFY(swap.readRange(3, 10, series));
    QCOMPARE(series[0]->size(), 102); // the window plus the point outside it
    QCOMPARE(series[1]->size(), 101);
    QCOMPARE(series[0]->findBegin(2.0, false)->value, 20.0);
    QCOMPARE(series[1]->findBegin(2.0, false)->value, 120.0);
    QCOMPARE(lastTime(series[0]), 40.0);
    QCOMPARE((series[0]->constEnd() - 1)->value, -1.0);
}

void TestSwapFile::endTimeIsTheLastWholeRecord_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("trailing");
    QTest::newRow("3 records") << 3 << 0;
    QTest::newRow("20 records and a partial one") << 20 << 17;
    QTest::newRow("600 records") << 600 << 0;
}

// Nothing follows the last record in a file, so the very last records are
// data and must come back.
void TestSwapFile::endTimeIsTheLastWholeRecord()
{
    QFETCH(int, count);
    QFETCH(int, trailing);

    QVERIFY(writeFile(path("rec.ampora"), headerBlock({}) + records(count, 2, 10.0) + QByteArray(trailing, '\x7f')));
    SwapFile swap;
    swap.setProgressShown(false);
    const SeriesList loaded = makeSeriesList(2);
    QVERIFY(swap.read(path("rec.ampora"), 10, loaded));
    const double end = (count - 1) / 10.0;
    QCOMPARE(swap.endTime(), end);
    QCOMPARE(loaded[0]->size(), std::min(count, 100));

    const SeriesList tail = makeSeriesList(2);
    QVERIFY(swap.readRange(end, 10, tail));
    QCOMPARE(lastTime(tail[1]), end);
    QCOMPARE((tail[1]->constEnd() - 1)->value, 100.0 + count - 1);

    QVERIFY(swap.stop());
    QCOMPARE(swap.endTime(), end);
}

void TestSwapFile::noWholeRecordMeansNoWindow_data()
{
    QTest::addColumn<int>("trailing");
    QTest::newRow("header only") << 0;
    QTest::newRow("part of one record") << 20;
}

void TestSwapFile::noWholeRecordMeansNoWindow()
{
    QFETCH(int, trailing);
    QVERIFY(writeFile(path("empty.ampora"), headerBlock({}) + QByteArray(trailing, '\x7f')));
    SwapFile swap;
    swap.setProgressShown(false);
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    const SeriesList series = makeSeriesList(2);

    QVERIFY(!swap.read(path("empty.ampora"), 10, series));
    QVERIFY(!swap.readRange(5, 10, series));
    QVERIFY(!swap.stop());
    QCOMPARE(errors.count(), 3);
    for (const QList<QVariant>& error : errors)
        QCOMPARE(error.at(0).toInt(), int(SwapFile::MappingFailed));
    QVERIFY(series[0]->isEmpty());
}

void TestSwapFile::channelMaskFollowsTheFilesKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("flag500");
    QTest::addColumn<bool>("flag600");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("model 500 file, both flags set") << 1 << true << true << QList<int>{0, 1, 6};
    QTest::newRow("model 600 file, model 500 flag set") << 2 << true << false << QList<int>{0, 1, 13};
}

void TestSwapFile::channelMaskFollowsTheFilesKind()
{
    QFETCH(int, kind);
    QFETCH(bool, flag500);
    QFETCH(bool, flag600);
    QFETCH(QList<int>, order);

    HeaderFields f;
    f.kind = quint8(kind);
    f.count = 3;
    f.mask = kind == 1 ? 0x43 : 0x01;
    f.mask32 = kind == 1 ? 0x01 : 0x2003;
    f.list = kind == 1 ? QList<quint8>{0, 1, 6} : QList<quint8>{};
    f.list32 = kind == 1 ? QList<quint8>{} : QList<quint8>{0, 1, 13};
    QVERIFY(writeFile(path("rec.ampora"), headerBlock(f) + records(30, 3, 10.0)));
    Helpers::powerMode = flag500;
    Helpers::power600Mode = flag600;

    SwapFile swap;
    swap.setProgressShown(false);
    const SeriesList series = makeSeriesList(3);
    QVERIFY(swap.read(path("rec.ampora"), 10, series));
    QCOMPARE(swap.channelOrder(), order);
    QCOMPARE(series[2]->size(), 30);
    QCOMPARE((series[2]->constEnd() - 1)->value, 229.0);
}

void TestSwapFile::closeButtonCancelsALoad()
{
    QVERIFY(writeFile(path("rec.ampora"), sixtySeconds()));
    SwapFile swap;
    QTimer::singleShot(0, this, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<ProgressDialog*>(widget);
            if (dialog && dialog->isVisible())
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("closeButton")), Qt::LeftButton);
        }
    });
    const SeriesList series = makeSeriesList(2);
    QVERIFY(!swap.read(path("rec.ampora"), 10, series));
    QVERIFY(swap.aborted());
    QVERIFY(series[0]->isEmpty());
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<ProgressDialog*>(widget));
}

void TestSwapFile::renameSaveAndRemove()
{
    SwapFile swap;
    QVERIFY(swap.create(path("tab.tmp")));
    QSignalSpy errors(&swap, &SwapFile::swapFileError);

    QVERIFY(swap.rename(path("first.ampora")));
    QVERIFY(swap.save(path("second.ampora")));
    QCOMPARE(swap.fileName(), path("second.ampora"));
    QVERIFY(!QFile::exists(path("tab.tmp")));
    QVERIFY(!QFile::exists(path("first.ampora")));
    QCOMPARE(readFile(path("second.ampora")).size(), 512);

    QVERIFY(swap.remove());
    QVERIFY(!QFile::exists(path("second.ampora")));
    QCOMPARE(errors.count(), 0);
    QVERIFY(!swap.remove());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(SwapFile::RemoveFailed));
}

void TestSwapFile::renameOntoMissingFolderKeepsTheName()
{
    SwapFile swap;
    QVERIFY(swap.create(path("tab.tmp")));
    QSignalSpy errors(&swap, &SwapFile::swapFileError);
    QVERIFY(!swap.rename(path("missing/rec.ampora")));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(SwapFile::SaveFailed));
    QCOMPARE(swap.fileName(), path("tab.tmp"));
    QVERIFY(QFile::exists(path("tab.tmp")));
}

void TestSwapFile::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "Wrong file version";
    QTest::newRow("2") << 2 << "The file is corrupted or in the wrong format";
    QTest::newRow("3") << 3 << "Can't create output file";
    QTest::newRow("4") << 4 << "Can't save file";
    QTest::newRow("5") << 5 << "Can't remove file";
    QTest::newRow("6") << 6 << "Failed to write to file";
    QTest::newRow("7") << 7 << "Failed to read file";
    QTest::newRow("8") << 8 << "Wrong read length";
    QTest::newRow("9") << 9 << "File mapping error";
    QTest::newRow("0") << 0 << "Internal file error";
    QTest::newRow("10") << 10 << "Internal file error";
    QTest::newRow("-1") << -1 << "Internal file error";
}

void TestSwapFile::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(SwapFile::errorText(code), text);
}

QTEST_MAIN(TestSwapFile)
#include "tst_swapfile.moc"
