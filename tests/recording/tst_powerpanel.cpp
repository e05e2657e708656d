// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"
#include "device/hiddevice.h"
#include "plot/glwidget.h"
#include "protocol/powerchannels.h"
#include "protocol/powerdatapacket.h"
#include "recording/powerpanel.h"
#include "recording/swapfileheader.h"
#include "sim/simulatedunit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {
const QString kDegree = QString(QChar(0x00B0));

// A status report with a distinct value in every field the panel shows.
PowerDataPacket statusPacket()
{
    QByteArray bytes(64, '\0');
    const unsigned char head[] = {
        0x07, 0x40, 0x0C,
        138,        // 3 output voltage 13.8 V
        0x00, 0x7B, // 4-5 output current 12.3 A
        51,         // 6 USB1 voltage 5.1 V
        0x01, 0x2C, // 7-8 USB1 current 3.00 A
        0xF6,       // 9 outside -10 C
        25,         // 10 inside 25 C
        0x00, 0xE6, // 11-12 mains 230 V
        0x01, 0xF5, // 13-14 mains 50.1 Hz
    };
    bytes.replace(0, sizeof head, QByteArray(reinterpret_cast<const char*>(head), sizeof head));
    const unsigned char usb[] = {
        52, 0x00, 0x64, // 40-42 USB2 5.2 V 1.00 A
        53, 0x00, 0x05, // 43-45 USB3 5.3 V 0.05 A
        54, 0x01, 0x90, // 46-48 USB4 5.4 V 4.00 A
    };
    bytes.replace(40, sizeof usb, QByteArray(reinterpret_cast<const char*>(usb), sizeof usb));
    return PowerDataPacket(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
}

// The status request as the unit receives it: report 7, length 64, descriptor 12.
bool isStatusRequest(const sim::HostWrite& write)
{
    sim::WriteBuffer expected{};
    expected[0] = 0x07;
    expected[1] = 0x40;
    expected[2] = 0x0C;
    return write.bytes == expected;
}

QByteArray textOf(const sim::HostWrite& write)
{
    return QByteArray(reinterpret_cast<const char*>(write.bytes.data()) + 2, write.bytes[1]);
}

QImage imageOf(const QIcon& icon, QIcon::Mode mode)
{
    return icon.pixmap(QSize(16, 16), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage imageOf(const QString& path)
{
    return imageOf(QIcon(path), QIcon::Normal);
}
} // namespace

class TestPowerPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void constructionState();
    void sampleRateList();
    void startCommand_data();
    void startCommand();
    void fiveChannelLimit();
    void startWithNothingTicked();
    void customRateToggles();
    void stopAndLogEnd();
    void powerAnswer_data();
    void powerAnswer();
    void outputSwitch();
    void poll();
    void statusValues_data();
    void statusValues();
    void instantString_data();
    void instantString();
    void fillInstant_data();
    void fillInstant();
    void updateControls_data();
    void updateControls();
    void themeIcons_data();
    void themeIcons();

private:
    void setUpModel(bool model600);
    void tick(const QList<int>& rows);
    QStringList values() const;
    template<typename T> T* child(const char* name) const
    {
        T* widget = m_panel->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    std::shared_ptr<sim::SimulatedUnit> openUnit();

    std::unique_ptr<PowerPanel> m_panel;
};

void TestPowerPanel::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    Helpers::isMeasuring = false;
    Helpers::isFahrentheit = false;
    Helpers::powerMode = true;
    Helpers::power600Mode = false;
    m_panel = std::make_unique<PowerPanel>();
}

void TestPowerPanel::cleanup()
{
    m_panel.reset();
}

void TestPowerPanel::cleanupTestCase()
{
    delete HidDevice::device();
}

void TestPowerPanel::setUpModel(bool model600)
{
    Helpers::powerMode = !model600;
    Helpers::power600Mode = model600;
    createDefaultsPower(model600);
    m_panel->setChannelsTable();
}

void TestPowerPanel::tick(const QList<int>& rows)
{
    for (int row : rows)
        child<QTableWidget>("tableWidget")->item(row, 0)->setCheckState(Qt::Checked);
}

QStringList TestPowerPanel::values() const
{
    auto* table = child<QTableWidget>("tableWidget");
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << (table->item(row, 1) ? table->item(row, 1)->text() : QString());
    return texts;
}

// The first simulated unit, freshly plugged and opened by the link.
std::shared_ptr<sim::SimulatedUnit> TestPowerPanel::openUnit()
{
    HidDevice* link = HidDevice::device();
    link->disconnectDevice();
    sim::Bus::instance().reset();
    if (!link->searchDevice(true) || !link->isOpen())
        qFatal("the simulated unit did not open");
    auto unit = sim::Bus::instance().unit();
    unit->clearWrites();
    return unit;
}

void TestPowerPanel::constructionState()
{
    QVERIFY(m_panel->windowFlags().testFlag(Qt::Tool));
    QVERIFY(m_panel->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(!child<QPushButton>("btnStart")->isEnabled());
    QVERIFY(!child<QPushButton>("btnCheckPower")->isEnabled());
    QVERIFY(child<QPushButton>("btnStop")->isEnabled());
    QVERIFY(child<QCheckBox>("checkBoxFilter")->isHidden());
    QCOMPARE(child<QCheckBox>("checkBoxTemperature")->text(), kDegree + QStringLiteral(", Fahrenheit "));
    QCOMPARE(child<QTableWidget>("tableWidget")->rowCount(), 14);
    QCOMPARE(child<QTableWidget>("tableWidget")->columnCount(), 2);
    QCOMPARE(child<QLabel>("iconPWR")->pixmap().toImage(),
             QPixmap(QStringLiteral(":/res/bullet_ball_grey.png")).scaled(32, 32).toImage());
}

void TestPowerPanel::sampleRateList()
{
    setUpModel(false);
    auto* combo = child<QComboBox>("comboBoxSampleRate");
    QStringList texts;
    QStringList rates;
    for (int i = 0; i < combo->count(); ++i) {
        texts << combo->itemText(i);
        rates << combo->itemData(i).toString();
    }
    QCOMPARE(texts, QStringList({" 10 Hz", " 20 Hz", " 50 Hz", " 100 Hz", " 200 Hz", " 500 Hz", " 1000 Hz"}));
    QCOMPARE(rates, QStringList({"10", "20", "50", "100", "200", "500", "1000"}));
    QCOMPARE(combo->currentIndex(), 0);

    auto* table = child<QTableWidget>("tableWidget");
    QCOMPARE(table->rowCount(), 8);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("#0: 13.8V Voltage"));
    QCOMPARE(table->item(7, 0)->text(), QStringLiteral("#7: Frequency"));
    QCOMPARE(table->item(6, 0)->data(Qt::UserRole).toInt(), 6);
    QCOMPARE(table->item(6, 0)->checkState(), Qt::Unchecked);
    QVERIFY(table->item(6, 0)->flags().testFlag(Qt::ItemIsUserCheckable));
    QCOMPARE(table->item(6, 1)->text(), QStringLiteral("--"));
}

void TestPowerPanel::startCommand_data()
{
    QTest::addColumn<bool>("model600");
    QTest::addColumn<int>("comboIndex");
    QTest::addColumn<int>("customRate"); // 0: rate from the list
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("rate");

    QTest::newRow("100 Hz, rows 0 1 13") << true << 3 << 0 << QList<int>{0, 1, 13} << "LOG100C01D\n" << "100";
    QTest::newRow("default 10 Hz, rows 0 1") << false << 0 << 0 << QList<int>{0, 1} << "LOG10C01\n" << "10";
    QTest::newRow("custom 7, row 4") << false << 0 << 7 << QList<int>{4} << "LOG7C4\n" << "7";
    QTest::newRow("custom 3, rows 2 12") << true << 5 << 3 << QList<int>{2, 12} << "LOG3C2C\n" << "3";
    QTest::newRow("rows 10 to 13") << true << 6 << 0 << QList<int>{10, 11, 12, 13} << "LOG1000CABCD\n" << "1000";
}

void TestPowerPanel::startCommand()
{
    QFETCH(bool, model600);
    QFETCH(int, comboIndex);
    QFETCH(int, customRate);
    QFETCH(QList<int>, rows);
    QFETCH(QString, command);
    QFETCH(QString, rate);

    setUpModel(model600);
    m_panel->on_paketDataReceived(statusPacket());
    m_panel->responsePowerStatus(true);
    tick(rows);
    child<QComboBox>("comboBoxSampleRate")->setCurrentIndex(comboIndex);
    if (customRate) {
        child<QCheckBox>("checkBoxCustom")->setChecked(true);
        child<QSpinBox>("spinBoxSampleRate")->setValue(customRate);
    }
    QSignalSpy started(m_panel.get(), &PowerPanel::startPowerLog);

    QTest::mouseClick(child<QPushButton>("btnStart"), Qt::LeftButton);

    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toString(), command);
    QCOMPARE(m_panel->sampleRate(), rate);
    QCOMPARE(m_panel->recordedChannels(), rows);
    QVERIFY(Helpers::isMeasuring);
    QVERIFY(!child<QPushButton>("btnStart")->isEnabled());
    QVERIFY(!child<QPushButton>("btnCheckPower")->isEnabled());
    QVERIFY(!child<QCheckBox>("checkBoxTemperature")->isEnabled());
    QCOMPARE(values(), QStringList(model600 ? 14 : 8, QStringLiteral("--")));
}

void TestPowerPanel::fiveChannelLimit()
{
    setUpModel(true);
    tick({0, 1, 2, 3, 4, 5});
    QCOMPARE(m_panel->channels(), QList<int>({0, 1, 2, 3, 4}));
    QCOMPARE(child<QTableWidget>("tableWidget")->item(5, 0)->checkState(), Qt::Unchecked);

    child<QTableWidget>("tableWidget")->item(2, 0)->setCheckState(Qt::Unchecked);
    tick({13});
    QCOMPARE(m_panel->channels(), QList<int>({0, 1, 3, 4, 13}));
}

void TestPowerPanel::startWithNothingTicked()
{
    setUpModel(false);
    m_panel->responsePowerStatus(true);
    QSignalSpy started(m_panel.get(), &PowerPanel::startPowerLog);

    QTest::mouseClick(child<QPushButton>("btnStart"), Qt::LeftButton);

    QCOMPARE(started.count(), 0);
    QVERIFY(!Helpers::isMeasuring);
    QVERIFY(child<QPushButton>("btnStart")->isEnabled());
    QVERIFY(child<QPushButton>("btnCheckPower")->isEnabled());
    QVERIFY(child<QCheckBox>("checkBoxTemperature")->isEnabled());
}

void TestPowerPanel::customRateToggles()
{
    auto* custom = child<QCheckBox>("checkBoxCustom");
    auto* combo = child<QComboBox>("comboBoxSampleRate");
    auto* spin = child<QSpinBox>("spinBoxSampleRate");
    QVERIFY(!custom->isChecked());
    QVERIFY(combo->isEnabled());
    QVERIFY(!spin->isEnabled());
    QCOMPARE(spin->value(), 10);
    QCOMPARE(spin->minimum(), 1);
    QCOMPARE(spin->maximum(), 10000);

    QTest::mouseClick(custom, Qt::LeftButton);
    QVERIFY(m_panel->isCustom());
    QVERIFY(!combo->isEnabled());
    QVERIFY(spin->isEnabled());

    QTest::mouseClick(custom, Qt::LeftButton);
    QVERIFY(!m_panel->isCustom());
    QVERIFY(combo->isEnabled());
    QVERIFY(!spin->isEnabled());
}

// Stop asks the unit; only its answer (or a refusal) frees the buttons again.
void TestPowerPanel::stopAndLogEnd()
{
    setUpModel(false);
    m_panel->responsePowerStatus(true);
    tick({0});
    QTest::mouseClick(child<QPushButton>("btnStart"), Qt::LeftButton);
    QSignalSpy stopped(m_panel.get(), &PowerPanel::stopPowerLog);

    QTest::mouseClick(child<QPushButton>("btnStop"), Qt::LeftButton);
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(stopped.at(0).at(0).toString(), QStringLiteral("LOGSTOP\n"));
    QVERIFY(child<QCheckBox>("checkBoxTemperature")->isEnabled());
    QVERIFY(!child<QPushButton>("btnStart")->isEnabled());

    m_panel->logFinished();
    QVERIFY(child<QPushButton>("btnStart")->isEnabled());
    QVERIFY(child<QPushButton>("btnCheckPower")->isEnabled());

    // A refused start: the text goes to the debug log, the run flag is cleared.
    QTest::mouseClick(child<QPushButton>("btnStart"), Qt::LeftButton);
    QVERIFY(Helpers::isMeasuring);
    QTest::ignoreMessage(QtDebugMsg, "PowerPanel::logFailed: ERR 3");
    m_panel->logFailed(QStringLiteral("ERR 3"));
    QVERIFY(!Helpers::isMeasuring);
    QVERIFY(child<QPushButton>("btnStart")->isEnabled());
    QVERIFY(child<QPushButton>("btnCheckPower")->isEnabled());
}

void TestPowerPanel::powerAnswer_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("measuring");
    QTest::addColumn<int>("requests");

    QTest::newRow("OFF") << false << false << 0;
    QTest::newRow("ON") << true << false << 1;
    QTest::newRow("ON while recording") << true << true << 0;
}

void TestPowerPanel::powerAnswer()
{
    QFETCH(bool, on);
    QFETCH(bool, measuring);
    QFETCH(int, requests);

    const auto unit = openUnit();
    Helpers::isMeasuring = measuring;

    m_panel->responsePowerStatus(on);

    QCOMPARE(child<QPushButton>("btnStart")->isEnabled(), on);
    QVERIFY(child<QPushButton>("btnCheckPower")->isEnabled());
    const QString ball = on ? QStringLiteral(":/res/bullet_ball_green.png") : QStringLiteral(":/res/bullet_ball_grey.png");
    QCOMPARE(child<QLabel>("iconPWR")->pixmap().toImage(), QPixmap(ball).scaled(32, 32).toImage());
    const auto writes = unit->writes();
    QCOMPARE(int(writes.size()), requests);
    QCOMPARE(int(std::count_if(writes.begin(), writes.end(), isStatusRequest)), requests);

    m_panel->togglePowerIndicator(false);
    QCOMPARE(child<QLabel>("iconPWR")->pixmap().toImage(),
             QPixmap(QStringLiteral(":/res/bullet_ball_grey.png")).scaled(32, 32).toImage());
}

// The switch asks for the opposite of the last reported state.
void TestPowerPanel::outputSwitch()
{
    const auto unit = openUnit();
    m_panel->responsePowerStatus(false);
    unit->clearWrites();
    QTest::mouseClick(child<QPushButton>("btnCheckPower"), Qt::LeftButton);
    QCOMPARE(int(unit->writes().size()), 1);
    QCOMPARE(textOf(unit->writes().at(0)), QByteArray("PSW1\r\n"));

    m_panel->responsePowerStatus(true);
    unit->clearWrites();
    QTest::mouseClick(child<QPushButton>("btnCheckPower"), Qt::LeftButton);
    QCOMPARE(int(unit->writes().size()), 1);
    QCOMPARE(textOf(unit->writes().at(0)), QByteArray("PSW0\r\n"));
}

// The poll keeps quiet during a run and asks again once it is over.
void TestPowerPanel::poll()
{
    QSignalSpy polled(m_panel.get(), &PowerPanel::requestPowerStatus);
    Helpers::isMeasuring = true;
    QVERIFY(!polled.wait(PowerPanel::kPollStartDelayMs + PowerPanel::kPollPeriodMs + 500));

    Helpers::isMeasuring = false;
    QVERIFY(polled.wait(PowerPanel::kPollPeriodMs + 3000));
    QCOMPARE(polled.at(0).at(0).toString(), QStringLiteral("POWER\n"));
}

void TestPowerPanel::statusValues_data()
{
    QTest::addColumn<bool>("model600");
    QTest::addColumn<bool>("fahrenheit");
    QTest::addColumn<QStringList>("expected");

    const QStringList model500 = {"13.8V", "12.3A", "5.1V", "3.00A", "-10" + kDegree + "C", "25" + kDegree + "C",
                                  "230V", "50.1Hz"};
    const QStringList usb = {"5.2V", "1.00A", "5.3V", "0.05A", "5.4V", "4.00A"};
    QStringList fahrenheit = model500;
    fahrenheit[4] = "14" + kDegree + "F";
    fahrenheit[5] = "77" + kDegree + "F";

    QTest::newRow("model 500") << false << false << model500;
    QTest::newRow("model 500, Fahrenheit") << false << true << fahrenheit;
    QTest::newRow("model 600") << true << false << model500 + usb;
}

void TestPowerPanel::statusValues()
{
    QFETCH(bool, model600);
    QFETCH(bool, fahrenheit);
    QFETCH(QStringList, expected);

    setUpModel(model600);
    if (fahrenheit)
        QTest::mouseClick(child<QCheckBox>("checkBoxTemperature"), Qt::LeftButton);
    QCOMPARE(Helpers::isFahrentheit, fahrenheit);

    m_panel->on_paketDataReceived(statusPacket());

    QCOMPARE(values(), expected);
}

void TestPowerPanel::instantString_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fahrenheit");
    QTest::addColumn<QString>("text");

    QTest::newRow("output voltage") << 0 << 13.84 << false << "13.8V";
    QTest::newRow("USB4 voltage") << 12 << 5.0 << false << "5.0V";
    QTest::newRow("output current") << 1 << 2.26 << false << "2.3A";
    QTest::newRow("USB current, one decimal") << 3 << 0.456 << false << "0.5A";
    QTest::newRow("USB4 current") << 13 << 1.0 << false << "1.0A";
    QTest::newRow("inside, Celsius") << 5 << 24.7 << false << "24" + kDegree + "C";
    QTest::newRow("inside, Fahrenheit") << 5 << 24.7 << true << "24" + kDegree + "F";
    QTest::newRow("outside truncates toward zero") << 4 << -3.7 << false << "-3" + kDegree + "C";
    QTest::newRow("mains truncated") << 6 << 229.9 << false << "229V";
    QTest::newRow("frequency") << 7 << 50.04 << false << "50.0Hz";
    QTest::newRow("channel 14") << 14 << 1.0 << false << "--";
    QTest::newRow("negative channel") << -1 << 1.0 << false << "--";
}

void TestPowerPanel::instantString()
{
    QFETCH(int, channel);
    QFETCH(double, value);
    QFETCH(bool, fahrenheit);
    QFETCH(QString, text);

    child<QCheckBox>("checkBoxTemperature")->setChecked(fahrenheit);
    QCOMPARE(m_panel->isFahrentheit(), fahrenheit);
    QCOMPARE(m_panel->getInstantString(channel, value), text);
}

void TestPowerPanel::fillInstant_data()
{
    QTest::addColumn<bool>("measuring");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("text");

    // Channels 0, 4 and 13: precision 1, 0 and 2; palette entries 0, 4 and 5.
    const QString samples = QStringLiteral("<font color=#ff0000>, #0: 13.8V<font color=#008000>, #4: 25C"
                                           "<font color=#f67209>, #13: 1.23A");
    QTest::newRow("light") << true << false << "<font color=black>Time: 12.3456789s" + samples;
    QTest::newRow("dark") << true << true << "<font color=white>Time: 12.3456789s" + samples;
    QTest::newRow("not measuring") << false << false << "unchanged";
}

void TestPowerPanel::fillInstant()
{
    QFETCH(bool, measuring);
    QFETCH(bool, dark);
    QFETCH(QString, text);

    setUpModel(true);
    Helpers::isMeasuring = measuring;
    QLabel label(QStringLiteral("unchanged"));
    GLWidget widget;
    // Keyed by position in the run's list; position 3 has no channel and is ignored.
    const QMap<int, QList<double>> samples = {{0, {13.7, 13.8}}, {1, {25.0}}, {2, {1.2345}}, {3, {9.0}}};

    m_panel->fillInstant(12.3456789, {0, 4, 13}, samples, &label, dark, &widget);

    QCOMPARE(label.text(), text);
    const QStringList shown = values();
    const QString noValue = QStringLiteral("--");
    QCOMPARE(shown.at(0), measuring ? QStringLiteral("13.8V") : noValue);
    QCOMPARE(shown.at(4), measuring ? "25" + kDegree + "C" : noValue);
    QCOMPARE(shown.at(13), measuring ? QStringLiteral("1.2A") : noValue);
    QCOMPARE(shown.at(1), noValue);
}

void TestPowerPanel::updateControls_data()
{
    QTest::addColumn<bool>("model600");
    QTest::addColumn<int>("period");
    QTest::addColumn<bool>("custom");
    QTest::addColumn<int>("temperatureScale");
    QTest::addColumn<QList<int>>("narrowList");
    QTest::addColumn<QList<int>>("wideList");
    QTest::addColumn<QString>("comboText");
    QTest::addColumn<int>("spinValue");
    QTest::addColumn<QList<int>>("ticked");

    QTest::newRow("200 Hz from the list, channels 0 and 6")
        << false << 50 << false << 0 << QList<int>{0, 6} << QList<int>{1} << " 200 Hz" << 10 << QList<int>{0, 6};
    QTest::newRow("custom 7") << false << 1428 << true << 0 << QList<int>{3} << QList<int>{} << " 10 Hz" << 7
                              << QList<int>{3};
    QTest::newRow("rate not in the list keeps the selection")
        << false << 3 << false << 0 << QList<int>{1} << QList<int>{} << " 10 Hz" << 10 << QList<int>{1};
    QTest::newRow("Fahrenheit") << false << 1000 << false << 1 << QList<int>{4, 5} << QList<int>{} << " 10 Hz" << 10
                                << QList<int>{4, 5};
    QTest::newRow("model 600 reads the wide list")
        << true << 10 << false << 0 << QList<int>{1, 2} << QList<int>{9, 13} << " 1000 Hz" << 10 << QList<int>{9, 13};
    QTest::newRow("channel beyond the table is skipped")
        << false << 100 << false << 0 << QList<int>{2, 200} << QList<int>{} << " 100 Hz" << 10 << QList<int>{2};
}

void TestPowerPanel::updateControls()
{
    QFETCH(bool, model600);
    QFETCH(int, period);
    QFETCH(bool, custom);
    QFETCH(int, temperatureScale);
    QFETCH(QList<int>, narrowList);
    QFETCH(QList<int>, wideList);
    QFETCH(QString, comboText);
    QFETCH(int, spinValue);
    QFETCH(QList<int>, ticked);

    setUpModel(model600);
    SwapFileHeader header;
    header.period = qint16(period);
    header.customRate = custom ? 1 : 0;
    header.temperatureScale = qint16(temperatureScale);
    header.channelCount = qint8(model600 ? wideList.size() : narrowList.size());
    for (int i = 0; i < narrowList.size(); ++i)
        header.channelList[i] = quint8(narrowList.at(i));
    for (int i = 0; i < wideList.size(); ++i)
        header.channelList32[i] = quint8(wideList.at(i));

    m_panel->updateControls(header);

    QCOMPARE(child<QComboBox>("comboBoxSampleRate")->currentText(), comboText);
    QCOMPARE(m_panel->isCustom(), custom);
    QCOMPARE(child<QSpinBox>("spinBoxSampleRate")->value(), spinValue);
    QCOMPARE(m_panel->channels(), ticked);
    QCOMPARE(m_panel->isFahrentheit(), temperatureScale == 1);
    QCOMPARE(Helpers::isFahrentheit, temperatureScale == 1);
}

void TestPowerPanel::themeIcons_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("startDisabled");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QString>("stopDisabled");

    QTest::newRow("dark") << true << ":/res/play-white.png" << ":/res/play-gray.png" << ":/res/stop-white.png"
                          << ":/res/stop-gray.png";
    QTest::newRow("light") << false << ":/res/play-black.png" << QString() << ":/res/stop-black.png" << QString();
}

void TestPowerPanel::themeIcons()
{
    QFETCH(bool, dark);
    QFETCH(QString, start);
    QFETCH(QString, startDisabled);
    QFETCH(QString, stop);
    QFETCH(QString, stopDisabled);

    m_panel->on_changeColorTheme(!dark);
    m_panel->on_changeColorTheme(dark);

    const QIcon startIcon = child<QPushButton>("btnStart")->icon();
    const QIcon stopIcon = child<QPushButton>("btnStop")->icon();
    QCOMPARE(imageOf(startIcon, QIcon::Normal), imageOf(start));
    QCOMPARE(imageOf(stopIcon, QIcon::Normal), imageOf(stop));
    if (!startDisabled.isEmpty()) {
        QCOMPARE(imageOf(startIcon, QIcon::Disabled), imageOf(startDisabled));
        QCOMPARE(imageOf(stopIcon, QIcon::Disabled), imageOf(stopDisabled));
    } else {
        // No image of its own: the disabled look is derived, not the dark theme's grey.
        QVERIFY(imageOf(startIcon, QIcon::Disabled) != imageOf(QStringLiteral(":/res/play-gray.png")));
    }
}

QTEST_MAIN(TestPowerPanel)
#include "tst_powerpanel.moc"
