// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/optionsdialog500.h"

#include "app/helpers.h"
#include "ui_optionsdialog500.h"

OptionsDialog500::OptionsDialog500(Updater* updater, QWidget* parent)
    : OptionsDialogBase(updater, parent)
    , ui(std::make_unique<Ui_OptionsDialog500>())
{
    ui->setupUi(this);
    const QList<Screen> screens{
        screen(PowerGetPacket::Total, ui->labelShowTotal_2, ui->checkBoxShowTotal_2, PowerGetPacket::kScreenTotal),
        screen(PowerGetPacket::Power, ui->labelShowMain_2, ui->checkBoxShowMain_2, PowerGetPacket::kScreenPower),
        screen(PowerGetPacket::Aux, ui->labelShowAux_2, ui->checkBoxShowAux_2, PowerGetPacket::kScreenAux),
        screen(PowerGetPacket::Site, ui->labelShowUser_2, ui->checkBoxShowUser_2,
               PowerGetPacket::siteMask(Helpers::powerMode)),
    };
    initialise(OptionsControls::of(ui.get()), screens, {});
}

OptionsDialog500::~OptionsDialog500() = default;

bool OptionsDialog500::modelMode() const
{
    return Helpers::powerMode;
}

void OptionsDialog500::preparePacket(PowerGetPacket& block)
{
    OptionsDialogBase::preparePacket(block);
    // Only a model 600 has the 12 V trim; the byte is 0 otherwise.
    block.setTune12(Helpers::power600Mode ? static_cast<unsigned char>(ui->spinBoxTune12->value()) : 0);
}

void OptionsDialog500::parseModel()
{
    const quint8 volts[] = {m_status.usb1Voltage(), m_status.usb2Voltage(), m_status.usb3Voltage(),
                            m_status.usb4Voltage()};
    QLabel* labels[] = {ui->labelUSB1, ui->labelUSB2, ui->labelUSB3, ui->labelUSB4};
    for (int i = 0; i < 4; ++i)
        labels[i]->setText(QStringLiteral("USB%1 %2V").arg(i + 1).arg(volts[i] / 10.0, 0, 'f', 1));
    if (Helpers::power600Mode)
        ui->spinBoxTune12->setValue(m_block.tune12());
}

void OptionsDialog500::retranslateForm()
{
    ui->retranslateUi(this);
}
