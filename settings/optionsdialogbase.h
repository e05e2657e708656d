// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/powerdatapacket.h"
#include "settings/optionscontrols.h"
#include "settings/powergetpacket.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QTimer>

class QJsonObject;
class UpdateDialog;
class Updater;

// What both settings dialogs share: the application's preferences, the
// editor of the unit's settings block, the update page and the About page.
// The model dialogs add their form and what their unit has on its own.
//
// Handlers are plain member functions: the forms' connect-by-name would
// otherwise take every "on_" slot for one of its own.
class OptionsDialogBase : public QDialog
{
    Q_OBJECT
public:
    ~OptionsDialogBase() override;

    // The list is filled once; later calls only select the current language.
    void setLanguages(const QList<QString>& names, int current);
    static QString languageDataFolder();

    void setPowerMode();
    void parsePacket();
    void preparePacket() { preparePacket(m_block); }
    void fillShowOptions();

    // Only a dialog built while a unit was connected edits its settings.
    bool hasSettingsPage() const;
    const PowerGetPacket& workingBlock() const { return m_block; }
    const PowerGetPacket& referenceBlock() const { return m_reference; }
    const PowerDataPacket& status() const { return m_status; }

    void done(int result) override;
    void on_newSWAvailable(bool available);
    void on_newFWAvailable(bool available);
    void fillSWInfo();
    void fillFWInfo();
    virtual void on_paketReceived(PowerGetPacket& packet);
    virtual void on_paketDataReceived(PowerDataPacket& packet);
    void format24hChecked(bool on);
    void on_export();
    void on_import();
    void on_btnBrowse();
    void on_btnCheckUpdateFirm();
    void on_btnCheckUpdateSoft();
    void on_btnUpdateFirm();
    void on_buttonFWUpdate();

    // The sending buttons.
    void on_apply();
    void on_save();
    void on_sync();
    void on_restoreDefaults();

signals:
    void checkFWUpdates();
    void checkSWUpdates();
    void autoFWUpdatesChecked(bool checked);
    void autoSWUpdatesChecked(bool checked);
    void changeColorTheme(bool dark);
    void changeColors();
    void languageChanged(int index);
    void timeFormatChanged();

protected:
    // A status screen: its picker, its switch in the screen bitmap and its
    // three codes in the block.
    struct Screen
    {
        PowerDisplay* picker;
        int identifier; // names the screen to its picker
        QCheckBox* box;
        unsigned char mask;
        PowerGetPacket::Group group;
        QString title;
        QStringList placeholder; // the three field texts shown before any status
    };
    // A switch of the screen bitmap without a picker.
    struct ScreenSwitch
    {
        QCheckBox* box;
        unsigned char mask;
    };

    // A screen's picker with its menu, title and placeholder; mask is its switch.
    static Screen screen(PowerGetPacket::Group group, PowerDisplay* picker, QCheckBox* box, unsigned char mask);

    OptionsDialogBase(Updater* updater, QWidget* parent);
    // Runs the construction steps once the model's form is set up.
    void initialise(const OptionsControls& controls, const QList<Screen>& screens,
                    const QList<ScreenSwitch>& switches);

    // Whether the unit of this dialog's model is the one connected.
    virtual bool modelMode() const = 0;
    virtual QString exportPrefix() const = 0;
    virtual void preparePacket(PowerGetPacket& block);
    // What the model shows beyond the shared controls.
    virtual void parseModel() = 0;
    virtual void exportModel(QJsonObject& object) const;
    virtual void importModel(const QJsonObject& object);
    // Date format stored for the pickers when the list is filled.
    virtual void afterDateFormats() {}
    virtual void retranslateForm() = 0;

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

    bool isConnected() const;
    void send(PowerSetPacket::Command command);
    // Apply, Save and the close prompt need the unit there: says so otherwise.
    bool sendIfConnected(PowerSetPacket::Command command);
    void refreshPickers();
    void sendBlockRequest();

    OptionsControls c{};
    QString m_firmwarePath;
    Updater* m_updater;
    QPointer<UpdateDialog> m_updateDialog;
    PowerGetPacket m_block;
    PowerGetPacket m_reference;
    PowerDataPacket m_status;
    QTimer m_clockTimer;
    bool m_blockReceived = false;

private:
    void connectAppearance();
    void readUpdateKeys();
    void connectUpdatePage();
    void connectSettingsTab();
    void fillTexts();
    void setClockFormats();
    void onDateFormatChosen(int index);
    void runUpdateDialog(UpdateDialog* dialog);
    void showDetails(const QString& title, const QString& text);
    void downloadSoftware();
    bool askToSave();

    QString m_settingsTitle;
    QList<Screen> m_screens;
    QList<ScreenSwitch> m_switches;
    PowerGetPacket m_lastReceived; // the unit's last block, to tell a change from a repeat
    bool m_hasNewSW = false;
    bool m_hasNewFW = false;
};
