// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/optionsdialogbase.h"

#include <memory>

class Ui_OptionsDialog;
class WaitIndicator;

// The settings dialog for a model 600 and when no model 500 is connected.
// The main window keeps it from its first opening on.
class OptionsDialog : public OptionsDialogBase
{
    Q_OBJECT
public:
    // Long enough for the unit's answer and the block read after it.
    static constexpr int kVtuneTimeoutMs = 5000;

    OptionsDialog(Updater* updater, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    void on_paketReceived(PowerGetPacket& packet) override;
    void on_paketDataReceived(PowerDataPacket& packet) override;
    void adjustTuneControl();
    void startVoltageTune();
    double rememberedVoltage() const { return m_v12Value; }

    // A VTUNE command was sent and its result is awaited; the main window
    // then reads the block as soon as the unit confirms.
    static bool m_waitForVtune;

protected:
    bool modelMode() const override;
    QString exportPrefix() const override { return QStringLiteral("kelvane-power600-"); }
    void preparePacket(PowerGetPacket& block) override;
    void parseModel() override;
    void exportModel(QJsonObject& object) const override;
    void importModel(const QJsonObject& object) override;
    void afterDateFormats() override;
    void retranslateForm() override;

private:
    void setTuneControlsEnabled(bool enabled);
    void endVoltageTune();
    void showTuneTitle();

    std::unique_ptr<Ui_OptionsDialog> ui;
    double m_v12Value = 12.0;
    std::unique_ptr<WaitIndicator> m_waitIndicator;
    QTimer m_vtuneTimer;
};
