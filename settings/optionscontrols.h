// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class PowerDisplay;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class QWidget;

// The widgets both settings forms have under the same names, so the dialogs
// share one implementation of everything they do alike.
struct OptionsControls
{
    QTabWidget* tabWidget;
    QWidget* tabSettings;
    QRadioButton* radioButtonDark;
    QRadioButton* radioButtonLight;
    QRadioButton* radioButtonTime;
    QRadioButton* radioButtonSeconds;
    QComboBox* comboBoxLanguages;

    QCheckBox* checkBoxLongtouch;
    QCheckBox* checkBoxRestoreOutput;
    QCheckBox* checkBoxAutoSwitchMinutes;
    QDoubleSpinBox* doubleSpinBoxAmpers;
    QSpinBox* spinBoxMinutes;
    QCheckBox* checkBoxAutoSwitchOn;
    QTimeEdit* dateTimeEditOn;
    QCheckBox* checkBoxAutoSwitchOff;
    QTimeEdit* dateTimeEditOff;
    QGroupBox* groupBoxTime;
    QRadioButton* radioButtonClassic;
    QRadioButton* radioButtonDigital;
    QCheckBox* checkBoxF;
    QCheckBox* checkBox24h;
    QComboBox* comboBoxDateFormatPC;
    QCheckBox* checkBoxShowStatusInterval;
    QSpinBox* spinBoxShowInterval;
    QCheckBox* checkBoxShowTotal;
    QCheckBox* checkBoxShowMain;
    QCheckBox* checkBoxShowUser;
    PowerDisplay* labelShowTotal;
    PowerDisplay* labelShowMain;
    PowerDisplay* labelShowUser;
    QGroupBox* groupBoxTune12;
    QDateTimeEdit* dateTimeEditSyncPC;
    QDateTimeEdit* dateTimeEditSyncDevice;
    QPushButton* pushButtonSync;
    QLabel* labelSerial;
    QLabel* labelVersion;
    QPushButton* pushButtonImport;
    QPushButton* pushButtonDefaults;
    QPushButton* pushButtonApply;
    QPushButton* pushButtonSave;
    QPushButton* pushButtonExport;

    QGroupBox* groupBoxFirmware;
    QLabel* modelLabel;
    QLabel* firmwareVersion;
    QLabel* serialLabel;
    QLineEdit* browseLine;
    QPushButton* btnBrowse;
    QPushButton* btnUpdateFirm;
    QCheckBox* checkAutoUpdateFirm;
    QPushButton* btnCheckUpdateFirm;
    QLabel* labelFWVersionAvailable;
    QPushButton* buttonFWDetails;
    QPushButton* buttonFWUpdate;
    QLabel* softwareVersion;
    QCheckBox* checkAutoUpdateSoft;
    QPushButton* btnCheckUpdateSoft;
    QLabel* labelSWVersionAvailable;
    QPushButton* buttonSWDetails;
    QPushButton* buttonSWDownload;

    QLabel* labelFullName;
    QLabel* label_VersionNumber;
    QLabel* labelCopyright;
    QPushButton* btnQt;

    template<class Form>
    static OptionsControls of(const Form* ui)
    {
        return {ui->tabWidget, ui->tab_4, ui->radioButtonDark, ui->radioButtonLight, ui->radioButtonTime,
                ui->radioButtonSeconds, ui->comboBoxLanguages,

                ui->checkBoxLongtouch_2, ui->checkBoxRestoreOutput_2, ui->checkBoxAutoSwitchMinutes_2,
                ui->doubleSpinBoxAmpers_2, ui->spinBoxMinutes_2, ui->checkBoxAutoSwitchOn_2, ui->dateTimeEditOn_2,
                ui->checkBoxAutoSwitchOff_2, ui->dateTimeEditOff_2, ui->groupBoxTime_3, ui->radioButtonClassic_2,
                ui->radioButtonDigital_2, ui->checkBoxF_2, ui->checkBox24h_2, ui->comboBoxDateFormatPC_2,
                ui->checkBoxShowStatusInterval_2, ui->spinBoxShowInterval_2, ui->checkBoxShowTotal_2,
                ui->checkBoxShowMain_2, ui->checkBoxShowUser_2, ui->labelShowTotal_2, ui->labelShowMain_2,
                ui->labelShowUser_2, ui->groupBoxTune12, ui->dateTimeEditSyncPC_2, ui->dateTimeEditSyncDevice_2,
                ui->pushButtonSync_2, ui->labelSerial, ui->labelVersion, ui->pushButtonImport_2,
                ui->pushButtonDefaults_2, ui->pushButtonApply_2, ui->pushButtonSave_2, ui->pushButtonExport_2,

                ui->groupBoxFirmware, ui->modelLabel, ui->firmwareVersion, ui->serialLabel, ui->browseLine,
                ui->btnBrowse, ui->btnUpdateFirm, ui->checkAutoUpdateFirm, ui->btnCheckUpdateFirm,
                ui->labelFWVersionAvailable, ui->buttonFWDetails, ui->buttonFWUpdate, ui->softwareVersion,
                ui->checkAutoUpdateSoft, ui->btnCheckUpdateSoft, ui->labelSWVersionAvailable, ui->buttonSWDetails,
                ui->buttonSWDownload,

                ui->labelFullName, ui->label_VersionNumber, ui->labelCopyright, ui->btnQt};
    }
};
