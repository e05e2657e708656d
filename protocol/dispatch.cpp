// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's device-facing handlers: connection, removal, and the
// routing of every received report by its descriptor.
#include "app/mainwindow.h"

#include "app/helpers.h"
#include "device/hiddevice.h"
#include "protocol/channelinfo.h"
#include "protocol/deviceinfo.h"
#include "protocol/measure.h"
#include "protocol/packet.h"
#include "protocol/powerchannels.h"
#include "protocol/powerdatapacket.h"
#include "recording/overcurrent.h"
#include "recording/powerpanel.h"
#include "settings/optionsdialog.h"
#include "settings/powergetpacket.h"
#include "updates/updater.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

namespace {
const char kModel500[] = "5002";
const char kModel600[] = "5003";
const char kLogStop[] = "LOGSTOP\n";
constexpr char kCarriageReturn = '\r';
} // namespace

void MainWindow::sendPacket(const Packet& packet)
{
    if (Helpers::isUpdating || !HidDevice::device())
        return;
    HidDevice::device()->sendPacket(packet);
}

void MainWindow::sendCommand(const QString& command)
{
    if (Helpers::isUpdating || !HidDevice::device())
        return;
    HidDevice::device()->sendCommand(command);
}

// Requests built here go out even during an upload: the unit is the one
// that asked for them.
void MainWindow::sendPowerRequest(const PowerPacket& request)
{
    HidDevice::device()->sendPacket(request);
}

void MainWindow::on_deviceConnected()
{
    m_deviceFound = true;
    const bool was500 = Helpers::powerMode;
    const bool was600 = Helpers::power600Mode;
    const QString model = HidDevice::device()->modelCode();
    Helpers::powerMode = model == QLatin1String(kModel500);
    Helpers::power600Mode = model == QLatin1String(kModel600);

    if (Helpers::powerMode) {
        if (!was500)
            closeAllTabs();
        setPowerMode();
    } else if (Helpers::power600Mode) {
        if (!was600)
            closeAllTabs();
        setPower600Mode();
    }
    sendPacket(DeviceInfo::stored());
    showStatusMessage(tr("Device connected"), 10000);
    m_updater->on_checkUpdatesFW(HidDevice::device()->serialNumber());
}

void MainWindow::setPowerMode()
{
    m_readoutLabel->show();
    setWindowTitle(QStringLiteral(" Kelvane Power 500 connected"));
    connectPanelOnce();
    createDefaultsPower();
    sendCommand(QLatin1String(kLogStop));
}

void MainWindow::setPower600Mode()
{
    setPowerMode();
    setWindowTitle(QStringLiteral(" Kelvane Power 600 connected"));
}

void MainWindow::createDefaultsPower()
{
    ::createDefaultsPower(Helpers::power600Mode);
    m_powerPanel->setChannelsTable();
}

// Reconnecting a unit must not multiply these: one Stop sends one LOGSTOP.
void MainWindow::connectPanelOnce()
{
    if (m_panelConnected)
        return;
    m_panelConnected = true;
    connect(m_powerPanel, &PowerPanel::startPowerLog, this, &MainWindow::on_startPowerLog);
    connect(m_powerPanel, &PowerPanel::stopPowerLog, this, [this](const QString& command) {
        sendCommand(command);
        m_powerPanel->stopLog();
    });
    connect(m_powerPanel, &PowerPanel::requestPowerStatus, this, &MainWindow::sendCommand);
    connect(this, &MainWindow::paketReceived, m_powerPanel, &PowerPanel::paketReceived);
    connect(this, &MainWindow::paketDataReceived, this, [this](PowerDataPacket& packet) {
        m_powerPanel->on_paketDataReceived(packet);
        emit m_powerPanel->paketDataReceived(packet);
    });
}

void MainWindow::on_deviceDisconnected()
{
    // Whatever the unit sent before it went away belongs in the file: finish
    // the run as if it had been stopped, instead of leaving the newest
    // seconds only in memory.
    if (Helpers::isMeasuring && plotter()) {
        m_powerPanel->logFinished();
        on_stopPowerMeasurement(QString());
    }
    setWindowTitle(QCoreApplication::applicationName() + tr(" - no device connected"));
    HidDevice::device()->disconnectDevice();
    m_powerPanel->togglePowerIndicator(false);
    ChannelInfo::removeChannels();
    Helpers::isMeasuring = false;
    enableToolbar(false, true);
    showStatusError(tr("Device disconnected"));
}

void MainWindow::on_deviceOpenFailed(const QString& serial, const QString& reason)
{
    setWindowTitle(QCoreApplication::applicationName() + tr(" - unit found but cannot be opened"));
    const QString text = tr("A unit (serial number %1) is attached but cannot be opened: %2. "
                            "Install the udev rule: sudo install -m 644 packaging/60-kelvane-power.rules "
                            "/etc/udev/rules.d/ && sudo udevadm control --reload && sudo udevadm trigger, "
                            "then plug the unit in again.")
                             .arg(serial, reason.isEmpty() ? tr("access denied") : reason);
    showStatusError(text);
    // The status bar cuts a text this long; the fix must be readable. The
    // link reports a failed open once per attachment, so this box does not pile up.
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Unit cannot be opened"), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setModal(false);
    box->show();
}

void MainWindow::on_packetReceived(unsigned char* data, int length)
{
    const Packet packet(data, length);
    switch (packet.descriptor()) {
    case Descriptors::kDeviceInfo:
        DeviceInfo::stored() = DeviceInfo(packet);
        if (Helpers::loggerMode()) {
            ChannelInfo::removeChannels();
            sendPacket(ChannelsRequest());
        }
        emit deviceInfoReceved();
        break;
    case Descriptors::kDeviceControl: {
        const DeviceControl answer(packet);
        if (answer.errorCode() != 0)
            showStatusError(tr("FAILED to start measuring: ") + QString::number(answer.errorCode()));
        else if (answer.command() == DeviceControl::kCommandStop)
            statusBar()->clearMessage();
        else
            showStatusMessage(tr("Measuring..."));
        break;
    }
    case Descriptors::kChannelInfo:
        if (!Helpers::loggerMode())
            break;
        ChannelInfo::addChannelInfo(ChannelInfo(packet));
        if (ChannelInfo::channelCount() == DeviceInfo::stored().channelCount())
            emit enableMeasurement();
        break;
    case Descriptors::kMeasureAll:
        if (!Helpers::isMeasuring)
            break;
        addPacket(MeasureAll(packet));
        if (OverCurrent::instance()->isOver())
            showStatusWarning();
        break;
    case Descriptors::kPower: {
        PowerPacket power(packet);
        power.init();
        on_packetPowerReceived(power);
        break;
    }
    default: // status responses and unknown descriptors are not ours to answer
        break;
    }
}

void MainWindow::on_packetPowerReceived(PowerPacket& packet)
{
    const unsigned char descriptor = packet.at(2);
    if (Descriptors::isPowerText(descriptor)) {
        routeTextAnswer(packet);
        return;
    }
    switch (descriptor) {
    case Descriptors::kPowerLogEnded:
        m_powerPanel->logFinished();
        on_stopPowerMeasurement(QString());
        break;
    case Descriptors::kPowerGet: {
        PowerGetPacket block(packet);
        emit paketReceived(block);
        if (!OptionsDialog::m_waitForVtune)
            sendPowerRequest(PowerPacket::statusRequest());
        break;
    }
    case Descriptors::kPowerData: {
        PowerDataPacket status(packet);
        emit paketDataReceived(status);
        break;
    }
    case Descriptors::kPowerSet:
        sendPowerRequest(PowerPacket::settingsRequest());
        break;
    default:
        if (Helpers::isMeasuring) {
            addPacket(MeasurePower(packet));
            requestReplot();
        } else {
            sendCommand(QLatin1String(kLogStop));
        }
        break;
    }
}

void MainWindow::routeTextAnswer(const PowerPacket& packet)
{
    // Answers end with a carriage return; one without it is no answer we know.
    const QByteArray bytes(reinterpret_cast<const char*>(packet.data()) + 2, Packet::kSize - 2);
    const int end = bytes.indexOf(kCarriageReturn);
    if (end < 0) {
        m_powerPanel->logFailed(QString::fromLatin1(bytes.left(bytes.indexOf('\0'))).trimmed());
        return;
    }
    const QString text = QString::fromLatin1(bytes.left(end)).trimmed();
    if (OptionsDialog::m_waitForVtune && text.contains(QLatin1String("OK"))) {
        sendPowerRequest(PowerPacket::settingsRequest());
        return;
    }
    if (text == QLatin1String("ON") || text == QLatin1String("OFF")) {
        m_powerPanel->responsePowerStatus(text == QLatin1String("ON"));
        sendPowerRequest(PowerPacket::settingsRequest());
        return;
    }
    m_powerPanel->logFailed(text);
}
