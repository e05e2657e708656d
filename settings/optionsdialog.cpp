// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/optionsdialog.h"

#include "app/helpers.h"
#include "device/hiddevice.h"
#include "recording/waitindicator.h"
#include "ui_optionsdialog.h"

#include <QJsonObject>
#include <QMessageBox>

bool OptionsDialog::m_waitForVtune = false;

OptionsDialog::OptionsDialog(Updater* updater, QWidget* parent)
    : OptionsDialogBase(updater, parent)
    , ui(std::make_unique<Ui_OptionsDialog>())
{
    ui->setupUi(this);
    const QList<Screen> screens{
        screen(PowerGetPacket::Total, ui->labelShowTotal_2, ui->checkBoxShowTotal_2, PowerGetPacket::kScreenTotal),
        screen(PowerGetPacket::Power, ui->labelShowMain_2, ui->checkBoxShowMain_2, PowerGetPacket::kScreenPower),
        screen(PowerGetPacket::Site, ui->labelShowUser_2, ui->checkBoxShowUser_2, PowerGetPacket::kScreenSite600),
    };
    const QList<ScreenSwitch> usb{{ui->checkBoxUSB1, PowerGetPacket::kScreenAux},
                                  {ui->checkBoxUSB2, PowerGetPacket::kScreenUsb2},
                                  {ui->checkBoxUSB3, PowerGetPacket::kScreenUsb3},
                                  {ui->checkBoxUSB4, PowerGetPacket::kScreenUsb4}};
    initialise(OptionsControls::of(ui.get()), screens, usb);

    m_vtuneTimer.setSingleShot(true);
    m_vtuneTimer.setInterval(kVtuneTimeoutMs);
    connect(&m_vtuneTimer, &QTimer::timeout, this, [this] {
        endVoltageTune();
        QMessageBox::warning(this, tr("Tune/Trim 12V"),
                             tr("The unit did not confirm the 12 V trim. Check the connection and try again."));
    });
    if (Helpers::power600Mode) {
        ui->radioButtonVoltage->setChecked(true);
        adjustTuneControl();
        // Only a change of mode: clicking the mode already chosen would store
        // the raw position as the voltage or reset the voltage being typed.
        connect(ui->radioButtonVoltage, &QRadioButton::toggled, this, &OptionsDialog::adjustTuneControl);
        connect(ui->pushButtonVtune, &QPushButton::clicked, this, &OptionsDialog::startVoltageTune);
    }
}

OptionsDialog::~OptionsDialog()
{
    m_waitForVtune = false;
}

bool OptionsDialog::modelMode() const
{
    return Helpers::power600Mode;
}

void OptionsDialog::afterDateFormats()
{
    m_status.setDateFormat(c.comboBoxDateFormatPC->currentText());
}

void OptionsDialog::adjustTuneControl()
{
    QDoubleSpinBox* box = ui->doubleSpinBoxTune12_3;
    if (ui->radioButtonVoltage->isChecked()) {
        box->setDecimals(1);
        box->setSingleStep(0.1);
        box->setRange(12.0, 15.0);
        box->setValue(m_v12Value);
        ui->pushButtonVtune->setEnabled(true);
        return;
    }
    m_v12Value = box->value();
    box->setDecimals(0);
    box->setSingleStep(1);
    box->setRange(0, 255);
    box->setValue(m_block.tune12());
    ui->pushButtonVtune->setEnabled(false);
}

void OptionsDialog::setTuneControlsEnabled(bool enabled)
{
    const QList<QWidget*> controls{ui->pushButtonVtune, ui->pushButtonApply_2, ui->pushButtonSave_2,
                                   ui->radioButtonVoltage, ui->radioButtonDigipot};
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

void OptionsDialog::startVoltageTune()
{
    setTuneControlsEnabled(false);
    m_waitForVtune = true;
    // The box holds one decimal: 13.8 V is sent as 138.
    const int tenths = qRound(ui->doubleSpinBoxTune12_3->value() * 10);
    HidDevice::device()->sendCommand(QStringLiteral("VTUNE%1\n").arg(tenths));
    m_waitIndicator = std::make_unique<WaitIndicator>();
    m_vtuneTimer.start();
}

void OptionsDialog::endVoltageTune()
{
    m_vtuneTimer.stop();
    m_waitForVtune = false;
    m_waitIndicator.reset();
    setTuneControlsEnabled(true);
}

void OptionsDialog::on_paketReceived(PowerGetPacket& packet)
{
    if (m_waitForVtune) {
        m_block.setTune12(packet.tune12());
        endVoltageTune();
        return;
    }
    const bool first = !m_blockReceived;
    OptionsDialogBase::on_paketReceived(packet);
    if (first && ui->radioButtonVoltage->isChecked())
        ui->doubleSpinBoxTune12_3->setValue(m_status.outputVoltage() / 10.0);
}

void OptionsDialog::on_paketDataReceived(PowerDataPacket& packet)
{
    OptionsDialogBase::on_paketDataReceived(packet);
    showTuneTitle();
}

void OptionsDialog::showTuneTitle()
{
    ui->groupBoxTune12->setTitle(
        tr("Tune/Trim 12V (%1)").arg(QStringLiteral("%1V").arg(m_status.outputVoltage() / 10.0, 0, 'f', 1)));
}

void OptionsDialog::preparePacket(PowerGetPacket& block)
{
    // In voltage mode the unit's own position goes back unchanged.
    const unsigned char tune12 = ui->radioButtonDigipot->isChecked()
                                     ? static_cast<unsigned char>(qRound(ui->doubleSpinBoxTune12_3->value()))
                                     : block.tune12();
    OptionsDialogBase::preparePacket(block);
    block.setTune12(tune12);
}

void OptionsDialog::parseModel()
{
    showTuneTitle();
}

void OptionsDialog::exportModel(QJsonObject& object) const
{
    // In voltage mode the box shows the target the user means to keep.
    const bool voltageMode = ui->radioButtonVoltage->isChecked();
    object.insert(QStringLiteral("v12Value"), voltageMode ? ui->doubleSpinBoxTune12_3->value() : m_v12Value);
}

void OptionsDialog::importModel(const QJsonObject& object)
{
    const QJsonValue value = object.value(QStringLiteral("v12Value"));
    m_v12Value = value.isDouble() ? value.toDouble() : 12.0;
    // The file carries no trim position: in raw mode the box keeps its own,
    // and the voltage shows on the way back.
    if (ui->radioButtonVoltage->isChecked())
        adjustTuneControl();
}

void OptionsDialog::retranslateForm()
{
    ui->retranslateUi(this);
    showTuneTitle();
}
