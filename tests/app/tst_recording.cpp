// SPDX-License-Identifier: GPL-3.0-or-later
// Runs, recording tabs, saving, loading and closing through the main window,
// with the simulated unit connected but silent: the test plays the unit.
#include "app/helpers.h"
#include "app/mainwindow.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "plot/glwidget.h"
#include "plot/powerplot.h"
#include "protocol/packet.h"
#include "recording/powerpanel.h"
#include "recording/swapfile.h"
#include "sim/simulatedunit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QCheckBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QMenu>
#include <QPointer>
#include <QTabBar>
#include <QTimer>

#include <cstring>

using sim::Bus;

namespace {
// Answers the modal dialogs that open next, one answer each, in order: a
// message box by button text, a file dialog by typing a path (an empty
// answer cancels it). Records the message boxes' texts.
class DialogAnswers : public QObject
{
public:
    explicit DialogAnswers(QStringList answers)
        : m_answers(std::move(answers))
    {
        connect(&m_poll, &QTimer::timeout, this, &DialogAnswers::answer);
        m_poll.start(20);
    }

    QStringList questions;

private:
    void answer()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_last)
            return;
        if (m_answers.isEmpty())
            return;
        m_last = modal;
        const QString answer = m_answers.takeFirst();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            questions << box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text().remove(QLatin1Char('&')) == answer)
                    QTimer::singleShot(0, button, &QAbstractButton::click);
            }
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            if (answer.isEmpty()) {
                QTimer::singleShot(0, files, &QDialog::reject);
                return;
            }
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(answer);
            QTimer::singleShot(0, files, &QDialog::accept);
        }
    }

    QStringList m_answers;
    QPointer<QWidget> m_last;
    QTimer m_poll;
};

// A sample record of a run of channels 0 (1 byte), 1 (2 bytes) and 6 (2 bytes).
QByteArray sampleRecord(quint32 counter, int sets, int firstValue)
{
    QByteArray report(64, '\0');
    report[0] = 0x07;
    report[1] = 0x40;
    report[2] = 0x01;
    report[3] = char(counter >> 16);
    report[4] = char(counter >> 8);
    report[5] = char(counter);
    report[6] = char(sets);
    int at = 7;
    for (int j = 0; j < sets; ++j) {
        const int current = 200 + firstValue + j;
        report[at++] = char(100 + (firstValue + j) % 100); // output voltage, 0.1 V
        report[at++] = char(current >> 8);                 // output current, 0.1 A
        report[at++] = char(current);
        report[at++] = 0;                                  // mains, 230 V
        report[at++] = char(230);
    }
    return report;
}
} // namespace

class TestRecording : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_dir;

    QTabWidget* tabs() const { return m_window->findChild<QTabWidget*>(QStringLiteral("tabWidget")); }
    PowerPanel* panel() const { return m_window->powerPanel(); }

    void inject(QByteArray report)
    {
        m_window->on_packetReceived(reinterpret_cast<unsigned char*>(report.data()), report.size());
    }

    // Ticks channels 0, 1 and 6 and presses Start at the given rate.
    void startRun(int rate)
    {
        panel()->responsePowerStatus(true);
        auto* table = panel()->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
        for (int row : {0, 1, 6})
            table->item(row, 0)->setCheckState(Qt::Checked);
        panel()->findChild<QCheckBox*>(QStringLiteral("checkBoxCustom"))->setChecked(true);
        panel()->findChild<QSpinBox*>(QStringLiteral("spinBoxSampleRate"))->setValue(rate);
        panel()->findChild<QAbstractButton*>(QStringLiteral("btnStart"))->click();
        QVERIFY(Helpers::isMeasuring);
    }

    // Plays seconds of samples at rate, 5 to a record.
    void playSamples(int rate, int seconds, quint32 firstCounter = 0)
    {
        for (int n = 0; n < rate * seconds; n += 5)
            inject(sampleRecord(firstCounter + n, 5, n));
    }

    QList<double> timesOf(int series) const
    {
        QList<double> times;
        for (const QCPGraphData& point : *m_window->currentWidget()->data().at(series))
            times << point.key;
        return times;
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quenlor Ampora"));
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        QFile::remove(Settings().fileName());
        // Update checks go to a closed port on this machine, never outside.
        Settings().setValue(QStringLiteral("Update/server"), QStringLiteral("https://127.0.0.1:9"));
        Bus::instance().reset();
        Helpers::powerMode = false;
        Helpers::power600Mode = false;
        Helpers::isMeasuring = false;
        m_window = std::make_unique<MainWindow>();
        HidDevice::device()->searchDevice(true);
        Bus::instance().unit()->setSilent(true);
        m_window->on_comboboxTimeAcivated(3); // no time limit unless a test sets one
    }

    void cleanup()
    {
        for (int i = 0; i < tabs()->count(); ++i) {
            if (auto* widget = qobject_cast<GLWidget*>(tabs()->widget(i)))
                widget->setSaved(true); // no questions at the close
        }
        Helpers::isMeasuring = false;
        m_window.reset();
    }

    void startCommandSetsTheRun_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("period");
        QTest::newRow("100 Hz") << 100 << 100;
        QTest::newRow("3 Hz") << 3 << 3333;
    }
    void startCommandSetsTheRun()
    {
        QFETCH(int, rate);
        QFETCH(int, period);
        startRun(rate);
        const DeviceControl& control = DeviceControl::m_currentDeviceControl;
        QCOMPARE(control.command(), quint8(8));
        QCOMPARE(control.payloadType(), quint8(1));
        QCOMPARE(control.channelMask(), quint16(0x43));
        QCOMPARE(control.sampleRate(), quint16(period));
        const SwapFileHeader& header = m_window->currentWidget()->swapFile()->header();
        QCOMPARE(int(header.channelCount), 3);
        QCOMPARE(int(header.period), period);
        QCOMPARE(int(header.customRate), 1);
        QCOMPARE(tabs()->tabText(0), QStringLiteral("*Capture 1"));
        QVERIFY(QFile::exists(QDir::temp().absoluteFilePath(QStringLiteral("Capture 1.tmp"))));
        QVERIFY(m_window->currentWidget()->plotter()->timeAxis()->twoRowLabels());
    }

    void samplesAreTimeStampedFromTheCounter()
    {
        startRun(10);
        inject(sampleRecord(0, 5, 0));
        QCOMPARE(timesOf(0), (QList<double>{0.0, 0.1, 0.2, 0.3, 0.4}));

        // The unit restarts its counter: the time line goes on without a jump.
        inject(sampleRecord(500, 10, 0));
        inject(sampleRecord(0, 10, 0));
        const QList<double> times = timesOf(0);
        QCOMPARE(times.size(), 25);
        QCOMPARE(times.at(5), 50.0);
        QCOMPARE(times.at(15), 51.0); // index 510
        QCOMPARE(times.last(), 51.9);
    }

    void counterWrapContinuesTheTimeLine()
    {
        startRun(1000);
        inject(sampleRecord(0xFFFFFB, 5, 0));
        inject(sampleRecord(0, 5, 0)); // 0xFFFFFB + 5 wraps to 0
        const QList<double> times = timesOf(0);
        QCOMPARE(times.size(), 10);
        QCOMPARE(times.at(5), 16777.216);
    }

    void timeLimitStopsAfterThePacketPassingIt()
    {
        m_window->on_comboboxTimeAcivated(0); // 10 s
        startRun(10);
        playSamples(10, 10); // up to 10.0 s exactly: not past the limit
        QVERIFY(Helpers::isMeasuring);
        inject(sampleRecord(100, 5, 100));
        QVERIFY(!Helpers::isMeasuring);
    }

    void stopShowsTheLastTenSecondsFromTheFile()
    {
        startRun(10);
        playSamples(10, 60);
        m_window->on_stopButton();
        QVERIFY(!Helpers::isMeasuring);
        GLWidget* widget = m_window->currentWidget();
        QCOMPARE(widget->swapFile()->endTime(), 59.9);
        const QCPRange shown = widget->timeRange();
        QVERIFY2(shown.lower >= 49.8 && shown.lower <= 50.0, qPrintable(QString::number(shown.lower)));
        QCOMPARE(shown.upper, 59.9);
        const SwapFileHeader header = SwapFile::readHeader(widget->swapFile()->fileName());
        QCOMPARE(int(header.deviceKind), 1);
        QCOMPARE(QFileInfo(widget->swapFile()->fileName()).size(), qint64(512 + 600 * 4 * 8));
    }

    void unitRemovedMidRunKeepsEverySample()
    {
        startRun(10);
        playSamples(10, 20);
        Bus::instance().unit()->unplug();
        HidDevice::device()->checkTimerTick();
        QVERIFY(!Helpers::isMeasuring);
        GLWidget* widget = m_window->currentWidget();
        QCOMPARE(QFileInfo(widget->swapFile()->fileName()).size(), qint64(512 + 200 * 4 * 8));
        QCOMPARE(widget->swapFile()->endTime(), 19.9);
        QCOMPARE(tabs()->count(), 1);
    }

    void tabsAreNamedByCount()
    {
        for (int i = 0; i < 3; ++i)
            m_window->addTab();
        QCOMPARE(tabs()->tabText(0), QStringLiteral("Capture 1"));
        m_window->closeTabSilent(0, true);
        m_window->addTab();
        QCOMPARE(tabs()->tabText(2), QStringLiteral("Capture 3"));
    }

    void tabBarMenuCloses_data()
    {
        QTest::addColumn<int>("under"); // the tab under the pointer, -1 none
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("left");
        const QStringList all{"Capture 1", "Capture 2", "Capture 3"};
        QTest::newRow("left of the first") << 0 << "Close tabs to the left" << all;
        QTest::newRow("left of the last") << 2 << "Close tabs to the left" << QStringList{"Capture 3"};
        QTest::newRow("right of the last") << 2 << "Close tabs to the right" << all;
        QTest::newRow("right of the first") << 0 << "Close tabs to the right" << QStringList{"Capture 1"};
        QTest::newRow("right of no tab") << -1 << "Close tabs to the right" << QStringList{};
        QTest::newRow("all") << 1 << "Close all tabs" << QStringList{};
    }
    void tabBarMenuCloses()
    {
        QFETCH(int, under);
        QFETCH(QString, action);
        QFETCH(QStringList, left);
        for (int i = 0; i < 3; ++i)
            m_window->addTab();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTabBar* bar = tabs()->tabBar();
        const QPoint pos = under < 0 ? bar->tabRect(2).center() + QPoint(bar->tabRect(2).width(), 0)
                                     : bar->tabRect(under).center();
        QTimer::singleShot(50, [action] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* item : menu->actions()) {
                    if (item->text() == action)
                        menu->setActiveAction(item);
                }
                QTest::keyClick(menu, Qt::Key_Return);
            }
        });
        m_window->on_contextMenuRequested(pos);
        QStringList texts;
        for (int i = 0; i < tabs()->count(); ++i)
            texts << tabs()->tabText(i);
        QCOMPARE(texts, left);
    }

    void otherModelClosesTabs()
    {
        m_window->addTab();
        m_window->addTab();
        Bus::instance().unit()->unplug();
        HidDevice::device()->checkTimerTick();
        Bus::instance().unit()->plug();
        HidDevice::device()->searchDevice(true); // the same model again
        QCOMPARE(tabs()->count(), 2);
        Bus::instance().unit()->unplug();
        HidDevice::device()->checkTimerTick();
        Bus::instance().addUnit(sim::Model::Power600, "500300000001");
        HidDevice::device()->searchDevice(true);
        QCOMPARE(m_window->windowTitle(), QStringLiteral(" Kelvane Power 600 connected"));
        QCOMPARE(tabs()->count(), 0);
    }

    void saveRenamesTheSwapFile()
    {
        startRun(10);
        playSamples(10, 12);
        m_window->on_stopButton();
        const QString swap = m_window->currentWidget()->swapFile()->fileName();
        const QString target = m_dir.filePath(QStringLiteral("first.run.ampora"));
        DialogAnswers answers({target});
        QVERIFY(m_window->save(0));
        QCOMPARE(tabs()->tabText(0), QStringLiteral("first"));
        QVERIFY(!QFile::exists(swap));
        QVERIFY(QFile::exists(target));

        // A second save moves it again; an existing target is replaced.
        const QString second = m_dir.filePath(QStringLiteral("second.ampora"));
        QFile old(second);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        DialogAnswers again({second, QStringLiteral("Yes")}); // the dialog asks before replacing
        QVERIFY(m_window->save(0));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(QFileInfo(second).size(), qint64(512 + 120 * 4 * 8));
    }

    void closingAsks()
    {
        startRun(10);
        playSamples(10, 2);
        m_window->on_stopButton();
        {
            DialogAnswers answers({QStringLiteral("Yes"), QString()}); // then cancel the file dialog
            m_window->on_closeTab(0);
            QCOMPARE(answers.questions,
                     QStringList{QStringLiteral("*Capture 1 is not saved. Want to save it before closing?")});
            QCOMPARE(tabs()->count(), 1);
        }
        m_window->currentWidget()->setSaved(true);
        tabs()->setTabText(0, QStringLiteral("kept"));
        DialogAnswers answers({QStringLiteral("Yes")});
        m_window->on_closeTab(0);
        QCOMPARE(answers.questions, QStringList{QStringLiteral("Close kept?")});
        QCOMPARE(tabs()->count(), 1); // an empty tab takes the last one's place
        QCOMPARE(tabs()->tabText(0), QStringLiteral("Capture 1"));
    }

    void loadRefusesBadFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("300 bytes") << QByteArray(300, '\x04') << "The file is corrupted or in the wrong format";
        QByteArray logger(512, '\0');
        const qint32 version = 4, size = 76;
        std::memcpy(logger.data(), &version, 4);
        std::memcpy(logger.data() + 4, &size, 4);
        logger[8] = 1;
        logger[9] = 1;
        logger[10] = 100;
        QTest::newRow("logger recording") << logger << "The file is in the wrong format";
    }
    void loadRefusesBadFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(QStringLiteral("bad.ampora"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        DialogAnswers answers({QStringLiteral("OK")});
        QVERIFY(!m_window->loadFile(path));
        QCOMPARE(answers.questions, QStringList{message});
        QCOMPARE(tabs()->count(), 0);
    }

    void loadShowsTheFirstTenSeconds()
    {
        startRun(10);
        playSamples(10, 30);
        m_window->on_stopButton();
        const QString target = m_dir.filePath(QStringLiteral("thirty.ampora"));
        DialogAnswers answers({target});
        QVERIFY(m_window->save(0));
        m_window->closeAllTabs();

        QVERIFY(m_window->loadFile(target));
        QCOMPARE(tabs()->tabText(tabs()->currentIndex()), QStringLiteral("thirty"));
        GLWidget* widget = m_window->currentWidget();
        QVERIFY(widget->isSaved());
        QCOMPARE(widget->data().size(), 3);
        const QCPRange span = widget->timeRange();
        QCOMPARE(span.lower, 0.0);
        QVERIFY(span.upper >= 9.9 && span.upper <= 10.0);
        QCOMPARE(widget->data().at(2)->constBegin()->value, 230.0);
    }
};

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
