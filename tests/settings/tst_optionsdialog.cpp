// SPDX-License-Identifier: GPL-3.0-or-later
// Both settings dialogs against the in-process simulated unit: what they
// show of a received block and what block they write back.
#include "app/helpers.h"
#include "device/hiddevice.h"
#include "settings/optionsdialog.h"
#include "settings/optionsdialog500.h"
#include "settings/powergetpacket.h"
#include "sim/simulatedunit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <memory>

using sim::Bus;

namespace {
// Asia/Kolkata, set before the application starts: +5:30 is 5 whole hours.
constexpr char kZone[] = "Asia/Kolkata";
constexpr char kUtcHours = 5;

enum class Unit { None, Power500, Power600 };
// Bytes a test expects changed: position to value.
using Changes = QMap<int, int>;

// A block as the unit sends it: header 07 40 0A and the given bytes.
QByteArray blockWith(std::initializer_list<std::pair<int, int>> bytes)
{
    QByteArray data(Packet::kSize, '\0');
    data[0] = char(0x07);
    data[1] = char(0x40);
    data[2] = char(0x0A);
    for (const auto& [position, value] : bytes)
        data[position] = char(value);
    return data;
}

// Long touch, auto off below 5.0 A after 30 min and at 22:45, auto on 07:30;
// clock shown when off, digital, Fahrenheit, 24 h, dd.MM.yyyy; screens change
// every 7 s.
QByteArray block500()
{
    return blockWith({{3, 0x15}, {4, 0x0B}, {5, 0x1B}, {6, 50}, {7, 30}, {8, kUtcHours}, {9, 7}, {10, 30},
                      {11, 22}, {12, 45}, {13, 2}, {22, 7}, {23, 1}, {24, 9}, {25, 10}, {26, 3}, {27, 4},
                      {28, 7}, {29, 14}, {30, 15}, {31, 0}, {32, 13}, {33, 11}, {34, 12}});
}

// The same on a model 600: its screen bits, no AUX screen, a trim position.
QByteArray block600()
{
    QByteArray block = block500();
    block[5] = char(0xE7); // slide show, TOTAL, POWER, USB3, USB4, SITE
    block[29] = block[30] = block[31] = 0;
    block[35] = char(140);
    return block;
}

QByteArray blockOf(Unit unit)
{
    return unit == Unit::Power600 ? block600() : block500();
}

// What the unit must receive for a received block: set descriptor, the
// computer's offset, the command, and zero wherever the dialog owns nothing.
QByteArray setPacketFor(QByteArray block, unsigned char command, Unit unit)
{
    block[2] = char(0x0B);
    block[8] = kUtcHours;
    for (int i = 14; i <= 21; ++i)
        block[i] = 0;
    for (int i = 36; i < Packet::kSize; ++i)
        block[i] = 0;
    if (unit == Unit::Power600) {
        for (int i = 29; i <= 31; ++i)
            block[i] = 0;
    }
    block[57] = char(command);
    return block;
}

QByteArray bytesOf(const Packet& packet)
{
    return QByteArray(reinterpret_cast<const char*>(packet.data()), Packet::kSize);
}

void feed(OptionsDialogBase& dialog, const QByteArray& bytes)
{
    PowerGetPacket packet(Packet(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size())));
    dialog.on_paketReceived(packet);
}

template<class T>
T* child(const QObject& dialog, const QString& name)
{
    T* widget = dialog.findChild<T*>(name);
    if (!widget)
        qFatal("no %s in the dialog", qPrintable(name));
    return widget;
}

QPushButton* button(const QObject& dialog, const char* name)
{
    return child<QPushButton>(dialog, QLatin1String(name));
}

// Sets a control of the form the way its type takes a value.
void setControl(const QObject& dialog, const QString& name, const QVariant& value)
{
    QWidget* widget = child<QWidget>(dialog, name);
    if (auto* box = qobject_cast<QDoubleSpinBox*>(widget))
        box->setValue(value.toDouble());
    else if (auto* spin = qobject_cast<QSpinBox*>(widget))
        spin->setValue(value.toInt());
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setCurrentIndex(value.toInt());
    else if (auto* time = qobject_cast<QDateTimeEdit*>(widget))
        time->setTime(value.toTime());
    else if (auto* check = qobject_cast<QAbstractButton*>(widget))
        check->setChecked(value.toBool());
    else
        qFatal("no way to set %s", qPrintable(name));
}

// Answers every modal message box with the given button and keeps the last
// one's title and text.
class BoxCatcher : public QObject
{
public:
    explicit BoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        connect(&m_poll, &QTimer::timeout, this, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->button(answer))
                return;
            ++m_count;
            m_title = box->windowTitle();
            m_text = box->text();
            box->button(answer)->click();
        });
        m_poll.start(20);
    }
    int m_count = 0;
    QString m_title;
    QString m_text;

private:
    QTimer m_poll;
};

// Types path into the next file dialog and accepts it.
class FileChooser : public QObject
{
public:
    explicit FileChooser(const QString& path)
    {
        connect(&m_poll, &QTimer::timeout, this, [this, path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_poll.stop();
            m_seen = true;
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            else
                dialog->selectFile(path);
            QTimer::singleShot(0, dialog, &QDialog::accept);
        });
        m_poll.start(20);
    }
    bool m_seen = false;

private:
    QTimer m_poll;
};

const QStringList kTuneControls{QStringLiteral("pushButtonVtune"), QStringLiteral("pushButtonApply_2"),
                                QStringLiteral("pushButtonSave_2"), QStringLiteral("radioButtonVoltage"),
                                QStringLiteral("radioButtonDigipot")};
} // namespace

Q_DECLARE_METATYPE(Unit)

class TestOptionsDialog : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<sim::SimulatedUnit> m_unit;
    QTemporaryDir m_dir;

    // A fresh link to a unit of the model, or none; the model flags as the
    // main window sets them.
    bool attach(Unit unit)
    {
        Bus& bus = Bus::instance();
        bus.reset();
        if (unit != Unit::Power500)
            bus.clear();
        if (unit == Unit::Power600)
            bus.addUnit(sim::Model::Power600, "500300000001");
        m_unit = bus.unit(0);
        Helpers::powerMode = unit == Unit::Power500;
        Helpers::power600Mode = unit == Unit::Power600;
        delete HidDevice::device();
        if (unit == Unit::None)
            return !HidDevice::device()->isOpen();
        if (!HidDevice::device()->searchDevice(true) || !HidDevice::device()->isOpen())
            return false;
        m_unit->clearWrites();
        return true;
    }

    std::unique_ptr<OptionsDialogBase> open(Unit unit)
    {
        if (!attach(unit))
            return nullptr;
        if (unit == Unit::Power500)
            return std::make_unique<OptionsDialog500>(nullptr);
        return std::make_unique<OptionsDialog>(nullptr);
    }

    std::unique_ptr<OptionsDialog> open600()
    {
        if (!attach(Unit::Power600))
            return nullptr;
        return std::make_unique<OptionsDialog>(nullptr);
    }

    QList<QByteArray> setPackets() const
    {
        QList<QByteArray> packets;
        for (const sim::HostWrite& write : m_unit->writes()) {
            if (write.description.rfind("settings-set", 0) == 0)
                packets << QByteArray(reinterpret_cast<const char*>(write.bytes.data()), Packet::kSize);
        }
        return packets;
    }

    QString writeFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            return QString();
        return path;
    }

    static void importFile(OptionsDialogBase& dialog, const QString& path)
    {
        FileChooser chooser(path);
        button(dialog, "pushButtonImport_2")->click();
        QVERIFY(chooser.m_seen);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Ampora"));
        QVERIFY(m_dir.isValid());
        // The dialogs must see the zone the test expects.
        QCOMPARE(PowerGetPacket::utcOffsetHoursOf(QDateTime::currentDateTime()), qint8(kUtcHours));
    }

    void cleanup()
    {
        QCOMPARE(OptionsDialog::m_waitForVtune, false);
    }

    void cleanupTestCase()
    {
        delete HidDevice::device();
        Helpers::powerMode = false;
        Helpers::power600Mode = false;
    }

    void tabsFollowTheLink_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<bool>("model500");
        QTest::addColumn<QStringList>("tabs");
        const QStringList without{QStringLiteral("tab_1"), QStringLiteral("tab_2"), QStringLiteral("tab_3")};
        const QStringList with{QStringLiteral("tab_1"), QStringLiteral("tab_4"), QStringLiteral("tab_2"),
                               QStringLiteral("tab_3")};
        QTest::newRow("500 dialog, no unit") << Unit::None << true << without;
        QTest::newRow("600 dialog, no unit") << Unit::None << false << without;
        QTest::newRow("500 dialog, model 500") << Unit::Power500 << true << with;
        QTest::newRow("600 dialog, model 600") << Unit::Power600 << false << with;
    }

    void tabsFollowTheLink()
    {
        QFETCH(Unit, unit);
        QFETCH(bool, model500);
        QFETCH(QStringList, tabs);
        QVERIFY(attach(unit));
        std::unique_ptr<OptionsDialogBase> dialog;
        if (model500)
            dialog = std::make_unique<OptionsDialog500>(nullptr);
        else
            dialog = std::make_unique<OptionsDialog>(nullptr);
        auto* tabWidget = child<QTabWidget>(*dialog, QStringLiteral("tabWidget"));
        QStringList shown;
        for (int i = 0; i < tabWidget->count(); ++i)
            shown << tabWidget->widget(i)->objectName();
        QCOMPARE(shown, tabs);
        if (unit == Unit::None) {
            QCOMPARE(tabWidget->tabText(0), QStringLiteral("Appearance"));
            QCOMPARE(tabWidget->tabText(1), QStringLiteral("Update"));
            QCOMPARE(tabWidget->tabText(2), QStringLiteral("About"));
        } else {
            QCOMPARE(tabWidget->currentWidget()->objectName(), QStringLiteral("tab_4"));
        }
    }

    void restoreDefaultsBeforeAnyBlock_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::newRow("500") << Unit::Power500;
        QTest::newRow("600") << Unit::Power600;
    }

    void restoreDefaultsBeforeAnyBlock()
    {
        QFETCH(Unit, unit);
        auto dialog = open(unit);
        QVERIFY(dialog);
        button(*dialog, "pushButtonDefaults_2")->click();
        QByteArray expected(Packet::kSize, '\0');
        expected[0] = char(0x07);
        expected[1] = char(0x40);
        expected[2] = char(0x0B);
        expected[57] = char(0x04);
        QCOMPARE(setPackets().size(), 1);
        QCOMPARE(setPackets().first().toHex(' '), expected.toHex(' '));
    }

    // One control changed after the block arrived; changes are (byte, value).
    void sendsTheEditedBlock_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<Changes>("changes");
        const QString apply = QStringLiteral("pushButtonApply_2");
        const QString save = QStringLiteral("pushButtonSave_2");
        QTest::newRow("500 apply, minutes") << Unit::Power500 << apply << 0x01 << QStringLiteral("spinBoxMinutes_2")
                                            << QVariant(12) << Changes{{7, 12}};
        QTest::newRow("500 save, long touch off")
            << Unit::Power500 << save << 0x03 << QStringLiteral("checkBoxLongtouch_2") << QVariant(false)
            << Changes{{3, 0x14}};
        QTest::newRow("500 apply, Celsius") << Unit::Power500 << apply << 0x01 << QStringLiteral("checkBoxF_2")
                                            << QVariant(false) << Changes{{4, 0x0F}};
        QTest::newRow("500 apply, POWER screen on")
            << Unit::Power500 << apply << 0x01 << QStringLiteral("checkBoxShowMain_2") << QVariant(true)
            << Changes{{5, 0x1F}};
        QTest::newRow("500 apply, auto-on time")
            << Unit::Power500 << apply << 0x01 << QStringLiteral("dateTimeEditOn_2") << QVariant(QTime(8, 5))
            << Changes{{9, 8}, {10, 5}};
        QTest::newRow("600 apply, USB3 off") << Unit::Power600 << apply << 0x01 << QStringLiteral("checkBoxUSB3")
                                             << QVariant(false) << Changes{{5, 0xC7}};
        QTest::newRow("600 apply, slide show off")
            << Unit::Power600 << apply << 0x01 << QStringLiteral("checkBoxShowStatusInterval_2") << QVariant(false)
            << Changes{{5, 0xE6}};
        QTest::newRow("600 save, date format")
            << Unit::Power600 << save << 0x03 << QStringLiteral("comboBoxDateFormatPC_2") << QVariant(3)
            << Changes{{13, 3}};
        // The box shows a voltage; the trim position goes back as received.
        QTest::newRow("600 apply, voltage box edited")
            << Unit::Power600 << apply << 0x01 << QStringLiteral("doubleSpinBoxTune12_3") << QVariant(13.5)
            << Changes{};
    }

    void sendsTheEditedBlock()
    {
        QFETCH(Unit, unit);
        QFETCH(QString, pressed);
        QFETCH(int, command);
        QFETCH(QString, control);
        QFETCH(QVariant, value);
        QFETCH(Changes, changes);
        auto dialog = open(unit);
        QVERIFY(dialog);
        // What the dialog does not own, and an offset the computer no longer has.
        QByteArray received = blockOf(unit);
        for (int i = 14; i <= 21; ++i)
            received[i] = char(0xA5);
        for (int i = 36; i <= 56; ++i)
            received[i] = char(0x5A);
        received[8] = char(0xFB);
        if (unit == Unit::Power600) {
            received[29] = 14;
            received[30] = 15;
        }
        feed(*dialog, received);
        setControl(*dialog, control, value);
        button(*dialog, pressed.toLatin1().constData())->click();

        QByteArray expected = setPacketFor(received, static_cast<unsigned char>(command), unit);
        for (auto it = changes.cbegin(); it != changes.cend(); ++it)
            expected[it.key()] = char(it.value());
        const QList<QByteArray> sent = setPackets();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().toHex(' '), expected.toHex(' '));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(m_unit->lastSetPacket().data()), Packet::kSize).toHex(' '),
                 expected.toHex(' '));
    }

    void autoOffCurrent_data()
    {
        QTest::addColumn<double>("ampers");
        QTest::addColumn<int>("tenths");
        QTest::newRow("2.3 A") << 2.3 << 23;
        QTest::newRow("0.1 A") << 0.1 << 1;
        QTest::newRow("25.5 A, the most a byte holds") << 25.5 << 255;
        QTest::newRow("30 A is bounded") << 30.0 << 255;
    }

    void autoOffCurrent()
    {
        QFETCH(double, ampers);
        QFETCH(int, tenths);
        auto dialog = open(Unit::Power500);
        QVERIFY(dialog);
        feed(*dialog, block500());
        auto* box = child<QDoubleSpinBox>(*dialog, QStringLiteral("doubleSpinBoxAmpers_2"));
        QCOMPARE(box->maximum(), 25.5);
        box->setValue(ampers);
        button(*dialog, "pushButtonApply_2")->click();
        QCOMPARE(setPackets().size(), 1);
        QCOMPARE(int(quint8(setPackets().first().at(6))), tenths);
    }

    void syncSendsTheClock()
    {
        auto dialog = open(Unit::Power500);
        QVERIFY(dialog);
        feed(*dialog, block500());
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        button(*dialog, "pushButtonSync_2")->click();
        const qint64 after = QDateTime::currentSecsSinceEpoch();

        QCOMPARE(setPackets().size(), 1);
        QByteArray sent = setPackets().first();
        const qint64 seconds = qint64(quint8(sent[58])) << 24 | quint8(sent[59]) << 16 | quint8(sent[60]) << 8
                               | quint8(sent[61]);
        QVERIFY2(seconds >= before && seconds <= after, qPrintable(QString::number(seconds - before)));
        for (int i = 58; i <= 61; ++i)
            sent[i] = 0;
        QCOMPARE(sent.toHex(' '), setPacketFor(block500(), 0x08, Unit::Power500).toHex(' '));
    }

    void sendingWithoutLinkWarns_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<QString>("pressed");
        QTest::newRow("500 apply") << Unit::Power500 << QStringLiteral("pushButtonApply_2");
        QTest::newRow("500 save") << Unit::Power500 << QStringLiteral("pushButtonSave_2");
        QTest::newRow("600 apply") << Unit::Power600 << QStringLiteral("pushButtonApply_2");
        QTest::newRow("600 save") << Unit::Power600 << QStringLiteral("pushButtonSave_2");
    }

    void sendingWithoutLinkWarns()
    {
        QFETCH(Unit, unit);
        QFETCH(QString, pressed);
        auto dialog = open(unit);
        QVERIFY(dialog);
        feed(*dialog, blockOf(unit));
        setControl(*dialog, QStringLiteral("spinBoxMinutes_2"), 12);
        HidDevice::device()->stop();
        m_unit->clearWrites();

        BoxCatcher catcher;
        button(*dialog, pressed.toLatin1().constData())->click();
        QCOMPARE(catcher.m_count, 1);
        QCOMPARE(catcher.m_title, QStringLiteral("Warning"));
        QCOMPARE(catcher.m_text, QStringLiteral("Device disconnected"));
        QVERIFY(m_unit->writes().empty());
    }

    void closePrompt_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<int>("answer");
        QTest::newRow("500 unchanged") << Unit::Power500 << false << int(QMessageBox::Yes);
        QTest::newRow("600 unchanged") << Unit::Power600 << false << int(QMessageBox::Yes);
        QTest::newRow("500 edited, saved") << Unit::Power500 << true << int(QMessageBox::Yes);
        QTest::newRow("600 edited, saved") << Unit::Power600 << true << int(QMessageBox::Yes);
        QTest::newRow("500 edited, not saved") << Unit::Power500 << true << int(QMessageBox::No);
    }

    void closePrompt()
    {
        QFETCH(Unit, unit);
        QFETCH(bool, edit);
        QFETCH(int, answer);
        auto dialog = open(unit);
        QVERIFY(dialog);
        dialog->show();
        feed(*dialog, blockOf(unit));
        if (edit)
            setControl(*dialog, QStringLiteral("spinBoxMinutes_2"), 12);

        BoxCatcher catcher(static_cast<QMessageBox::StandardButton>(answer));
        QVERIFY(dialog->close());
        QVERIFY(!dialog->isVisible());
        QCOMPARE(catcher.m_count, edit ? 1 : 0);
        if (edit) {
            QCOMPARE(catcher.m_title, QStringLiteral("Close"));
            QCOMPARE(catcher.m_text, QStringLiteral("Ampora Settings are not saved. Save now?"));
        }
        if (!edit || answer == QMessageBox::No) {
            QVERIFY(setPackets().isEmpty());
            return;
        }
        QByteArray expected = setPacketFor(blockOf(unit), 0x02, unit);
        expected[7] = 12;
        QCOMPARE(setPackets().size(), 1);
        QCOMPARE(setPackets().first().toHex(' '), expected.toHex(' '));
    }

    void repeatedBlockKeepsTheEdit_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::newRow("500") << Unit::Power500;
        QTest::newRow("600") << Unit::Power600;
    }

    void repeatedBlockKeepsTheEdit()
    {
        QFETCH(Unit, unit);
        auto dialog = open(unit);
        QVERIFY(dialog);
        auto* minutes = child<QSpinBox>(*dialog, QStringLiteral("spinBoxMinutes_2"));
        auto* longTouch = child<QCheckBox>(*dialog, QStringLiteral("checkBoxLongtouch_2"));
        feed(*dialog, blockOf(unit));
        QCOMPARE(minutes->value(), 30);
        minutes->setValue(12);
        feed(*dialog, blockOf(unit));
        QCOMPARE(minutes->value(), 12);
        QVERIFY(longTouch->isChecked());

        QByteArray changed = blockOf(unit);
        changed[3] = 0x14;
        changed[7] = 20;
        feed(*dialog, changed);
        QCOMPARE(minutes->value(), 20);
        QVERIFY(!longTouch->isChecked());
    }

    void hours12Formats()
    {
        auto dialog = open(Unit::Power600);
        QVERIFY(dialog);
        feed(*dialog, block600()); // 24 h, dd.MM.yyyy
        const QStringList switchTimes{QStringLiteral("dateTimeEditOn_2"), QStringLiteral("dateTimeEditOff_2")};
        const QStringList clocks{QStringLiteral("dateTimeEditSyncPC_2"), QStringLiteral("dateTimeEditSyncDevice_2")};
        auto formatsAre = [&](const QString& time, const QString& clock) {
            for (const QString& name : switchTimes)
                QCOMPARE(child<QDateTimeEdit>(*dialog, name)->displayFormat(), time);
            for (const QString& name : clocks)
                QCOMPARE(child<QDateTimeEdit>(*dialog, name)->displayFormat(), clock);
        };
        auto* hours24 = child<QCheckBox>(*dialog, QStringLiteral("checkBox24h_2"));
        QVERIFY(hours24->isChecked());

        hours24->setChecked(false);
        formatsAre(QStringLiteral("hh:mm ap "), QStringLiteral("hh:mm ap dd.MM.yyyy"));
        setControl(*dialog, QStringLiteral("comboBoxDateFormatPC_2"), 3);
        formatsAre(QStringLiteral("hh:mm ap "), QStringLiteral("hh:mm ap MM/dd/yyyy"));
        hours24->setChecked(true);
        formatsAre(QStringLiteral("hh:mm "), QStringLiteral("hh:mm MM/dd/yyyy"));
    }

    void screenSwitchesShowTheBitmap_data()
    {
        QTest::addColumn<Unit>("unit");
        QTest::addColumn<int>("bitmap3");
        QTest::addColumn<QStringList>("ticked");
        const QString sequential = QStringLiteral("checkBoxShowStatusInterval_2");
        const QString total = QStringLiteral("checkBoxShowTotal_2");
        const QString power = QStringLiteral("checkBoxShowMain_2");
        const QString site = QStringLiteral("checkBoxShowUser_2");
        const QString aux = QStringLiteral("checkBoxShowAux_2");
        const QStringList usb{QStringLiteral("checkBoxUSB1"), QStringLiteral("checkBoxUSB2"),
                              QStringLiteral("checkBoxUSB3"), QStringLiteral("checkBoxUSB4")};
        QTest::newRow("600 all screens") << Unit::Power600 << 0xFE << QStringList{total, power, site} + usb;
        QTest::newRow("600 slide show only") << Unit::Power600 << 0x01 << QStringList{sequential};
        QTest::newRow("600 USB2 and SITE") << Unit::Power600 << 0x90 << QStringList{usb.at(1), site};
        QTest::newRow("500 all screens") << Unit::Power500 << 0x1E << QStringList{total, power, aux, site};
        QTest::newRow("500 slide show only") << Unit::Power500 << 0x01 << QStringList{sequential};
    }

    void screenSwitchesShowTheBitmap()
    {
        QFETCH(Unit, unit);
        QFETCH(int, bitmap3);
        QFETCH(QStringList, ticked);
        auto dialog = open(unit);
        QVERIFY(dialog);
        QByteArray block = blockOf(unit);
        block[5] = char(bitmap3);
        feed(*dialog, block);
        for (const QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            const QString name = box->objectName();
            if (name.startsWith(QLatin1String("checkBoxShow")) || name.startsWith(QLatin1String("checkBoxUSB")))
                QVERIFY2(box->isChecked() == ticked.contains(name), qPrintable(name));
        }
    }

    void voltageTune_data()
    {
        QTest::addColumn<double>("volts");
        QTest::addColumn<QString>("command");
        QTest::newRow("13.8 V") << 13.8 << QStringLiteral("VTUNE138\\n");
        QTest::newRow("12.0 V") << 12.0 << QStringLiteral("VTUNE120\\n");
        QTest::newRow("14.1 V") << 14.1 << QStringLiteral("VTUNE141\\n");
    }

    // The confirming block only brings the new trim position.
    void voltageTune()
    {
        QFETCH(double, volts);
        QFETCH(QString, command);
        auto dialog = open600();
        QVERIFY(dialog);
        feed(*dialog, block600());
        child<QDoubleSpinBox>(*dialog, QStringLiteral("doubleSpinBoxTune12_3"))->setValue(volts);
        m_unit->clearWrites();
        button(*dialog, "pushButtonVtune")->click();

        const std::vector<std::string> trace = m_unit->trace();
        QCOMPARE(trace.size(), size_t(1));
        QCOMPARE(QString::fromStdString(trace.front()), QStringLiteral("text \"%1\"").arg(command));
        QVERIFY(OptionsDialog::m_waitForVtune);
        for (const QString& name : kTuneControls)
            QVERIFY2(!child<QWidget>(*dialog, name)->isEnabled(), qPrintable(name));

        QByteArray confirmed = block600();
        confirmed[7] = 20;
        confirmed[35] = char(168);
        feed(*dialog, confirmed);
        QVERIFY(!OptionsDialog::m_waitForVtune);
        for (const QString& name : kTuneControls)
            QVERIFY2(child<QWidget>(*dialog, name)->isEnabled(), qPrintable(name));
        QCOMPARE(child<QSpinBox>(*dialog, QStringLiteral("spinBoxMinutes_2"))->value(), 30);

        m_unit->clearWrites();
        button(*dialog, "pushButtonApply_2")->click();
        QByteArray expected = setPacketFor(block600(), 0x01, Unit::Power600);
        expected[35] = char(168);
        QCOMPARE(setPackets().size(), 1);
        QCOMPARE(setPackets().first().toHex(' '), expected.toHex(' '));
    }

    void voltageTuneTimesOut()
    {
        auto dialog = open600();
        QVERIFY(dialog);
        feed(*dialog, block600());
        child<QDoubleSpinBox>(*dialog, QStringLiteral("doubleSpinBoxTune12_3"))->setValue(13.8);
        BoxCatcher catcher;
        button(*dialog, "pushButtonVtune")->click();
        QTest::qWait(OptionsDialog::kVtuneTimeoutMs - 500);
        QCOMPARE(catcher.m_count, 0);
        QVERIFY(OptionsDialog::m_waitForVtune);
        QTRY_COMPARE_WITH_TIMEOUT(catcher.m_count, 1, 3000);
        QVERIFY(!catcher.m_title.isEmpty());
        QVERIFY(!OptionsDialog::m_waitForVtune);
        for (const QString& name : kTuneControls)
            QVERIFY2(child<QWidget>(*dialog, name)->isEnabled(), qPrintable(name));
    }

    void rawDigipotSendsTheBox()
    {
        auto dialog = open600();
        QVERIFY(dialog);
        feed(*dialog, block600());
        child<QRadioButton>(*dialog, QStringLiteral("radioButtonDigipot"))->click();
        auto* box = child<QDoubleSpinBox>(*dialog, QStringLiteral("doubleSpinBoxTune12_3"));
        QCOMPARE(box->value(), 140.0);
        box->setValue(200);
        button(*dialog, "pushButtonApply_2")->click();
        QByteArray expected = setPacketFor(block600(), 0x01, Unit::Power600);
        expected[35] = char(200);
        QCOMPARE(setPackets().size(), 1);
        QCOMPARE(setPackets().first().toHex(' '), expected.toHex(' '));
    }

    // Mode clicks after typing 13.2 V: V for Voltage, R for Raw digipot.
    void voltageSurvivesRawMode_data()
    {
        QTest::addColumn<QString>("clicks");
        QTest::newRow("raw, voltage") << QStringLiteral("RV");
        QTest::newRow("raw clicked again") << QStringLiteral("RRV");
        QTest::newRow("voltage clicked again") << QStringLiteral("VRV");
    }

    void voltageSurvivesRawMode()
    {
        QFETCH(QString, clicks);
        auto dialog = open600();
        QVERIFY(dialog);
        feed(*dialog, block600());
        auto* box = child<QDoubleSpinBox>(*dialog, QStringLiteral("doubleSpinBoxTune12_3"));
        box->setValue(13.2);
        for (QChar mode : clicks) {
            const bool voltage = mode == QLatin1Char('V');
            child<QRadioButton>(*dialog, voltage ? QStringLiteral("radioButtonVoltage")
                                                 : QStringLiteral("radioButtonDigipot"))
                ->click();
            if (!voltage)
                QCOMPARE(box->value(), 140.0); // the position as received
        }
        QCOMPARE(box->value(), 13.2);
        QCOMPARE(dialog->rememberedVoltage(), 13.2);
    }

    void importWithoutVoltage_data()
    {
        QTest::addColumn<bool>("raw");
        QTest::newRow("voltage mode") << false;
        QTest::newRow("raw digipot mode") << true;
    }

    void importWithoutVoltage()
    {
        QFETCH(bool, raw);
        auto dialog = open600();
        QVERIFY(dialog);
        feed(*dialog, block600());
        auto* box = child<QDoubleSpinBox>(*dialog, QStringLiteral("doubleSpinBoxTune12_3"));
        box->setValue(13.2);
        child<QRadioButton>(*dialog, QStringLiteral("radioButtonDigipot"))->click();
        if (!raw)
            child<QRadioButton>(*dialog, QStringLiteral("radioButtonVoltage"))->click();
        QCOMPARE(dialog->rememberedVoltage(), 13.2);

        const QString path = writeFile(QStringLiteral("no-voltage.json"),
                                       R"({"command": 10, "bitmap1": "00000001", "auto_off_after": 33})");
        QVERIFY(!path.isEmpty());
        importFile(*dialog, path);
        QCOMPARE(child<QSpinBox>(*dialog, QStringLiteral("spinBoxMinutes_2"))->value(), 33);
        QVERIFY(child<QCheckBox>(*dialog, QStringLiteral("checkBoxLongtouch_2"))->isChecked());
        QCOMPARE(dialog->rememberedVoltage(), 12.0);
        if (!raw)
            QCOMPARE(box->value(), 12.0);
    }

    void importOfUnreadableFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("auto_off_after = 33\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut short") << QByteArray(R"({"auto_off_after": 33, "bitmap1": )");
    }

    void importOfUnreadableFileChangesNothing()
    {
        QFETCH(QByteArray, content);
        auto dialog = open600();
        QVERIFY(dialog);
        feed(*dialog, block600());
        auto* minutes = child<QSpinBox>(*dialog, QStringLiteral("spinBoxMinutes_2"));
        minutes->setValue(12);
        child<QDoubleSpinBox>(*dialog, QStringLiteral("doubleSpinBoxTune12_3"))->setValue(13.2);
        child<QRadioButton>(*dialog, QStringLiteral("radioButtonDigipot"))->click();
        child<QRadioButton>(*dialog, QStringLiteral("radioButtonVoltage"))->click();
        const QByteArray before = bytesOf(dialog->workingBlock());

        const QString path = writeFile(QStringLiteral("unreadable.json"), content);
        QVERIFY(!path.isEmpty());
        importFile(*dialog, path);
        QCOMPARE(minutes->value(), 12);
        QCOMPARE(bytesOf(dialog->workingBlock()).toHex(' '), before.toHex(' '));
        QCOMPARE(dialog->rememberedVoltage(), 13.2);
    }

    void exportThenImport()
    {
        auto source = open600();
        QVERIFY(source);
        feed(*source, block600());
        setControl(*source, QStringLiteral("spinBoxMinutes_2"), 12);
        setControl(*source, QStringLiteral("checkBoxUSB1"), true);
        child<QDoubleSpinBox>(*source, QStringLiteral("doubleSpinBoxTune12_3"))->setValue(13.2);
        child<QRadioButton>(*source, QStringLiteral("radioButtonDigipot"))->click();
        child<QRadioButton>(*source, QStringLiteral("radioButtonVoltage"))->click();

        const QString path = m_dir.filePath(QStringLiteral("exported.json"));
        {
            FileChooser chooser(path);
            button(*source, "pushButtonExport_2")->click();
            QVERIFY(chooser.m_seen);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(object.value(QStringLiteral("auto_off_after")).toInt(), 12);
        QCOMPARE(object.value(QStringLiteral("v12Value")).toDouble(), 13.2);
        static_cast<OptionsDialogBase&>(*source).preparePacket();
        const QByteArray exported = bytesOf(source->workingBlock());
        source.reset();

        auto target = open600();
        QVERIFY(target);
        feed(*target, blockWith({{4, 0x08}, {22, 3}}));
        importFile(*target, path);
        QCOMPARE(target->rememberedVoltage(), 13.2);
        QCOMPARE(child<QDoubleSpinBox>(*target, QStringLiteral("doubleSpinBoxTune12_3"))->value(), 13.2);
        static_cast<OptionsDialogBase&>(*target).preparePacket();
        // Everything up to the screens travels; the trim position stays the unit's.
        QCOMPARE(bytesOf(target->workingBlock()).left(35).toHex(' '), exported.left(35).toHex(' '));
    }

    void languagesFilledOnce()
    {
        QVERIFY(attach(Unit::None));
        OptionsDialog dialog(nullptr);
        QSignalSpy changed(&dialog, &OptionsDialogBase::languageChanged);
        const QList<QString> names{QStringLiteral("English"), QStringLiteral("Deutsch"), QStringLiteral("Polski")};
        dialog.setLanguages(names, 0);
        dialog.setLanguages(names, 2);
        auto* combo = child<QComboBox>(dialog, QStringLiteral("comboBoxLanguages"));
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        QCOMPARE(shown, QStringList(names));
        QCOMPARE(combo->currentIndex(), 2);
        QCOMPARE(changed.count(), 0);
    }
};

int main(int argc, char** argv)
{
    qputenv("TZ", kZone);
    QApplication app(argc, argv);
    TestOptionsDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_optionsdialog.moc"
