// SPDX-License-Identifier: GPL-3.0-or-later
// Firmware uploads through the real dialog into the simulated unit's
// bootloader, from a local file and from the loopback update server.
#include "app/helpers.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "device/updatedialog.h"
#include "httpsserver.h"
#include "sim/simulatedunit.h"
#include "updates/downloader.h"
#include "updates/updater.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <algorithm>

using sim::Bus;

namespace {
constexpr quint32 kMagic500 = 0x20230710;
constexpr quint32 kMagic600 = 0x20240104;
constexpr quint32 kMagicLogger = 0xA9BACBDC;
constexpr int kUploadMs = 60000;

// A 512-byte header with magic in its first four bytes (little-endian),
// then imageSize bytes of a pattern.
QByteArray firmwareFile(quint32 magic, int imageSize)
{
    QByteArray file(512 + imageSize, '\0');
    qToLittleEndian(magic, file.data());
    for (int i = 0; i < imageSize; ++i)
        file[512 + i] = char((i * 7 + 3) & 0xff);
    return file;
}

QByteArray bytesOf(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

bool unitSawBootTraffic(const sim::SimulatedUnit& unit)
{
    const auto trace = unit.trace();
    return std::any_of(trace.begin(), trace.end(),
                       [](const std::string& line) { return line.find("boot") != std::string::npos; });
}

// Answers the first modal message box with OK and keeps its text.
class BoxCatcher : public QObject
{
public:
    BoxCatcher()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_title = box->windowTitle();
                m_text = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        m_poll.start(50);
    }
    QString m_title;
    QString m_text;

private:
    QTimer m_poll;
};
} // namespace

class TestUpdateDialog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    HttpsServer m_server;
    HidDevice* m_hid = nullptr;
    std::shared_ptr<sim::SimulatedUnit> m_unit;

    QString writeFile(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("firmware.bin"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

    static QString statusOf(const UpdateDialog& dialog)
    {
        return dialog.findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
    }

    static void saveShot(QWidget& dialog, const QString& name)
    {
        const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
        QDir().mkpath(dir);
        QVERIFY(dialog.grab().save(dir + QLatin1Char('/') + name));
    }

    void verifyReconnected(bool toBootloader)
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_hid->isOpen() && m_hid->bootloaderMode() == toBootloader, 15000);
        QVERIFY(!Helpers::isUpdating);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Ampora"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.0.6"));
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_server.makeCertificate(m_dir.path()), "openssl could not make a test certificate");
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        Settings settings;
        settings.setValue(QStringLiteral("Update/server"), m_server.url().toString());
        settings.setValue(QStringLiteral("Update/software"), QDateTime::currentMSecsSinceEpoch());
    }

    void init()
    {
        Bus::instance().reset();
        m_unit = Bus::instance().unit(0);
        Helpers::powerMode = true;
        Helpers::power600Mode = false;
        delete HidDevice::device();
        m_hid = HidDevice::device();
        QVERIFY(m_hid->searchDevice(true));
        QVERIFY(m_hid->isOpen());
        Bus::instance().clearEvents();
    }

    void cleanupTestCase()
    {
        delete HidDevice::device();
    }

    void uploadsLocalFileInBlocks()
    {
        const QByteArray file = firmwareFile(kMagic500, 100);
        QCOMPARE(file.size(), 612);
        UpdateDialog dialog(writeFile(file), true);
        QSignalSpy percent(m_hid, &HidDevice::updatePercentChanged);
        QSignalSpy completed(m_hid, &HidDevice::updateCompleted);
        // Connected before the dialog's own slot: at 15 the bar still shows 7.
        connect(m_hid, &HidDevice::updatePercentChanged, &dialog, [&](int value) {
            if (value == 15)
                saveShot(dialog, QStringLiteral("update-during.png"));
        });
        dialog.show();
        QVERIFY(completed.wait(kUploadMs));

        const std::vector<std::pair<int, int>> frames{{3, 48}, {4, 48}, {4, 4}, {5, 0}, {6, 0}};
        QCOMPARE(m_unit->bootloaderFrames(), frames);
        QList<int> values;
        for (const auto& args : percent)
            values << args.first().toInt();
        QCOMPARE(values, (QList<int>{0, 7, 15, 100}));
        QCOMPARE(bytesOf(m_unit->receivedImage()), file.mid(512));
        QCOMPARE(statusOf(dialog), QStringLiteral("Successfully updated"));
        QCOMPARE(dialog.findChild<QProgressBar*>(QStringLiteral("progressBar"))->value(), 100);
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("updateBtn"))->isVisible());
        saveShot(dialog, QStringLiteral("update-done.png"));

        verifyReconnected(false);
        // The unit comes back with its output off; the link switches it on.
        QTRY_VERIFY_WITH_TIMEOUT(m_unit->output(), 10000);
    }

    void wrongLocalFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("model600");
        QTest::newRow("model 600 file, model 500 attached") << firmwareFile(kMagic600, 100) << false;
        QTest::newRow("logger file") << firmwareFile(kMagicLogger, 100) << false;
        QTest::newRow("model 500 file, model 600 attached") << firmwareFile(kMagic500, 100) << true;
        QTest::newRow("shorter than a header") << firmwareFile(kMagic500, 0).left(300) << false;
    }

    void wrongLocalFileIsRefused()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, model600);
        Helpers::powerMode = !model600;
        Helpers::power600Mode = model600;
        BoxCatcher catcher;
        QTest::ignoreMessage(QtWarningMsg, "firmware image refused: wrong magic for this model");
        UpdateDialog dialog(writeFile(file), true);
        dialog.show();
        QTRY_COMPARE_WITH_TIMEOUT(catcher.m_text, QStringLiteral("Firmware file has wrong format"), 10000);
        QCOMPARE(catcher.m_title, QStringLiteral("Warning"));
        QVERIFY(m_hid->isOpen());
        QVERIFY(Bus::instance().events().empty()); // not even closed
        QVERIFY(!unitSawBootTraffic(*m_unit));
        QVERIFY(m_unit->bootloaderFrames().empty());
    }

    void missingFileIsReported()
    {
        UpdateDialog dialog(m_dir.filePath(QStringLiteral("absent.bin")), true);
        dialog.show();
        QTRY_COMPARE_WITH_TIMEOUT(statusOf(dialog), QStringLiteral("Can't read firmware file"), 10000);
        QVERIFY(Bus::instance().events().empty());
    }

    void failuresEndWithTextAndReconnect_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("leftInBootloader");
        QTest::newRow("bootloader error") << "error" << "Update failed: Bootloader returns ERROR." << true;
        QTest::newRow("never enters the bootloader") << "ignore" << "Update failed: The unit did not enter its bootloader." << false;
        QTest::newRow("Close during the wait") << "close" << "Update failed: Update cancelled." << false;
    }

    void failuresEndWithTextAndReconnect()
    {
        QFETCH(QString, fault);
        QFETCH(QString, text);
        QFETCH(bool, leftInBootloader);
        m_unit->setBootloaderError(fault == QLatin1String("error"));
        m_unit->setIgnoreBootEntry(fault != QLatin1String("error"));
        m_hid->setBootloaderWaitMs(fault == QLatin1String("ignore") ? 1500 : HidDevice::kBootloaderWaitMs);

        UpdateDialog dialog(writeFile(firmwareFile(kMagic500, 100)), true);
        QSignalSpy failed(m_hid, &HidDevice::updateFailed);
        QSignalSpy percent(m_hid, &HidDevice::updatePercentChanged);
        dialog.show();
        // The upload waits inside the event loop, so Close is pressed from a
        // timer while it waits for the bootloader.
        QTimer closer;
        connect(&closer, &QTimer::timeout, &dialog, [&] {
            if (unitSawBootTraffic(*m_unit)) {
                closer.stop();
                QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancelBtn")), Qt::LeftButton);
            }
        });
        if (fault == QLatin1String("close"))
            closer.start(50);
        QVERIFY(failed.wait(kUploadMs));
        QCOMPARE(dialog.isVisible(), fault != QLatin1String("close"));
        QCOMPARE(statusOf(dialog), text);
        QCOMPARE(percent.last().first().toInt(), 100);
        // Nothing past the first block is sent to a bootloader that refused it.
        const std::vector<std::pair<int, int>> frames{{3, 48}};
        QCOMPARE(m_unit->bootloaderFrames(), (leftInBootloader ? frames : std::vector<std::pair<int, int>>{}));
        verifyReconnected(leftInBootloader);
        if (fault == QLatin1String("error"))
            saveShot(dialog, QStringLiteral("update-failed.png"));
        m_hid->setBootloaderWaitMs(HidDevice::kBootloaderWaitMs);
    }

    // From the update server's answer through the download to the unit.
    void uploadsDownloadedFirmware_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box");
        QTest::newRow("model 500 image") << firmwareFile(kMagic500, 150) << "Successfully updated" << "";
        QTest::newRow("model 600 image on a model 500")
            << firmwareFile(kMagic600, 150) << "Downloading, please wait..." << "Firmware file has wrong format";
        QTest::newRow("web page instead of a file") << QByteArray("<!DOCTYPE html><html>moved</html>")
                                                    << "Update failed: Server does not have firmware file." << "";
    }

    void uploadsDownloadedFirmware()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, status);
        QFETCH(QString, box);
        m_server.setRoute(QStringLiteral("/getfirmware"),
                          {"<update><VERSION>1.3.0</VERSION><LINK>" + m_server.url(QStringLiteral("/fw.bin")).toEncoded()
                           + "</LINK></update>"});
        m_server.setRoute(QStringLiteral("/fw.bin"), {body, "application/octet-stream"});
        Updater updater;
        updater.firmwareDownloader()->addCaCertificates({m_server.certificate()});
        QSignalSpy answered(&updater, &Updater::newFWAvailable);
        updater.on_checkUpdatesFW(m_hid->serialNumber());
        QVERIFY(answered.wait(20000));
        QVERIFY(updater.firmwareDownloader()->hasDownloadLink());

        BoxCatcher catcher;
        if (!box.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, "firmware image refused: wrong magic for this model");
        UpdateDialog dialog(updater.firmwareDownloader(), true);
        QCOMPARE(statusOf(dialog), QStringLiteral("Downloading, please wait..."));
        dialog.show();
        QTRY_COMPARE_WITH_TIMEOUT(catcher.m_text, box, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(statusOf(dialog), status, kUploadMs);
        if (status == QLatin1String("Successfully updated")) {
            QCOMPARE(bytesOf(m_unit->receivedImage()), body.mid(512));
            verifyReconnected(false);
            return;
        }
        QTest::qWait(300);
        QVERIFY(!unitSawBootTraffic(*m_unit));
        QVERIFY(m_unit->bootloaderFrames().empty());
        QVERIFY(m_hid->isOpen());
    }
};

QTEST_MAIN(TestUpdateDialog)
#include "tst_updatedialog.moc"
