// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/optionsdialogbase.h"

#include <memory>

class Ui_OptionsDialog500;

// The settings dialog while a model 500 is connected; one per opening.
class OptionsDialog500 : public OptionsDialogBase
{
    Q_OBJECT
public:
    OptionsDialog500(Updater* updater, QWidget* parent = nullptr);
    ~OptionsDialog500() override;

protected:
    bool modelMode() const override;
    QString exportPrefix() const override { return QStringLiteral("kelvane-power500-"); }
    void preparePacket(PowerGetPacket& block) override;
    void parseModel() override;
    void retranslateForm() override;

private:
    std::unique_ptr<Ui_OptionsDialog500> ui;
};
