// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPalette>

class DeviceControl;
class GLWidget;
class MarqueeLabel;
class Packet;
class PopUp;
class PowerDataPacket;
class PowerGetPacket;
class PowerPacket;
class PowerPanel;
class QCustomPlot;
class QComboBox;
class QDockWidget;
class QLabel;
class QPushButton;
class QTranslator;
class QWidgetAction;
class Updater;
class Ui_MainWindow;

// The application's one window: the recording tabs, the control panel in a
// dock, the status bar, and the hub between the HID link and everything that
// consumes device data.
//
// Handlers are plain member functions rather than slots: the form's
// connect-by-name would otherwise take every "on_" name for one of its own.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    bool loadLanguage(const QString& code);
    void showStatusMessage(const QString& text, int timeoutMs = 0);
    void showStatusError(const QString& text, int timeoutMs = 0);

    GLWidget* currentWidget() const;
    QCustomPlot* plotter() const;
    PowerPanel* powerPanel() const { return m_powerPanel; }
    int timeLimit() const { return m_timeLimit; }
    bool darkColor() const { return m_darkColor; }

    // Device handlers and the conversation with the unit.
    void on_deviceConnected();
    void on_deviceDisconnected();
    void on_deviceOpenFailed(const QString& serial, const QString& reason);
    void on_packetReceived(unsigned char* data, int length);
    void on_packetPowerReceived(PowerPacket& packet);
    void sendPacket(const Packet& packet);
    void sendCommand(const QString& command);
    void setPowerMode();
    void setPower600Mode();
    void createDefaultsPower();

    void on_actionSettings();
    void on_actionSettings500();
    void on_newSWAvailable(bool _available);
    void on_newFWAvailable(bool _available);
    void on_timeFormatChanged();
    void on_changeColorTheme(bool dark);
    void on_changeColors();
    void setBriefHintColor();
    void showStatusWarning();
    void hideStatusWarning();

    void on_comboboxTimeAcivated(int index);
    void on_currentTabChanged(int index);
    void on_contextMenuRequested(const QPoint& pos);

    // Runs and tabs.
    void on_startPowerMeasurement(const QString& command);
    void on_stopButton();
    void on_stopMeasurement(DeviceControl& control);
    void terminateMeasuring();
    void enableToolbar(bool enable, bool keepOpenAndSettings);
    void on_closeTab(int index);
    void closeTabSilent(int index, bool removeUnsaved);
    void closeAllTabs();

signals:
    void enableMeasurement();
    void disableMeasurement();
    void stopMeasurement(DeviceControl& control);
    void changeColorTheme(bool dark);
    void deviceInfoReceved();
    void paketReceived(PowerGetPacket& packet);
    void paketDataReceived(PowerDataPacket& packet);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createDock();
    void createStatusRow();
    void createToolbar();
    void restoreLayout();
    void storeLayout();
    void connectPanelOnce();
    void retranslate();
    void showNoticeOncePerDay(const char* key, const QString& text);
    void showStatus(const QString& text, int timeoutMs, const char* lightColor, const char* darkColor);
    void routeTextAnswer(const PowerPacket& packet);
    void sendPowerRequest(const PowerPacket& request);
    static QString languageDataFolder();

    Ui_MainWindow* ui = nullptr;
    QPalette m_defaultPalette;
    bool m_darkColor = false;
    int m_language = 0;
    QTranslator* m_translator = nullptr;
    QDockWidget* m_dockControl = nullptr;
    PowerPanel* m_powerPanel = nullptr;
    MarqueeLabel* m_marquee = nullptr;
    QPushButton* m_warningButton = nullptr;
    QLabel* m_readoutLabel = nullptr;
    PopUp* m_popup = nullptr;
    Updater* m_updater = nullptr;
    QString m_readoutFormat;
    bool m_panelConnected = false;
    bool m_deviceFound = false; // a unit is attached, whether or not it could be opened

    QAction* m_actionSave = nullptr;
    QAction* m_actionOpen = nullptr;
    QMenu* m_viewMenu = nullptr;
    QWidgetAction* m_viewAction = nullptr;
    QAction* m_actionSettings = nullptr;
    QLabel* m_timeLabel = nullptr;
    QAction* m_timeLabelAction = nullptr;
    QComboBox* m_timeCombo = nullptr;
    int m_timeLimit = 10;
};
