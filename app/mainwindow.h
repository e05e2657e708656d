// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPalette>
#include <QTimer>
#include <qcustomplot.h>

#include "recording/series.h"

class DeviceControl;
class GLWidget;
class MeasureAll;
class MeasurePower;
class QCPAbstractPlottable;
class QCPRange;
class QMouseEvent;
class QWheelEvent;
class MarqueeLabel;
class Packet;
class PopUp;
class OptionsDialog;
class OptionsDialogBase;
class PowerDataPacket;
class PowerGetPacket;
class PowerPacket;
class PowerPanel;
class PowerPlot;
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

    // Tabs.
    GLWidget* addTab();
    GLWidget* addPowerTab();
    void adjustAxisName(const QList<int>& channels, bool fahrenheit);

    // Runs.
    void on_startPowerLog(const QString& command);
    void on_startPowerMeasurement(const QString& command);
    void on_stopPowerMeasurement(const QString& command);
    void on_stopMeasurement(DeviceControl& control);
    void addPacket(const MeasurePower& packet);
    void addPacket(const MeasureAll& packet);
    quint64 sampleIndex(quint64 counter, int count, double periodMs);
    void on_stopButton();
    void terminateMeasuring();
    void enableToolbar(bool enable, bool keepOpenAndSettings);
    void on_channelsAdded();
    // Coalesces the many replot requests of a run to the display rate.
    void requestReplot();
    void replotNow();

    // Navigation and readout.
    void reRangeX();
    void on_rangeChanged(const QCPRange& newRange, const QCPRange& oldRange, QCPAxis* _axis);
    void on_rangeBorderReached(double new_lo, double new_up);
    void on_mouseRelease(QMouseEvent* event);
    void adjustRanges(double centre, double width);
    void on_mouseWheel(QWheelEvent* event);
    void on_axisDoubleClick(QCPAxis* axis, QCPAxis::SelectablePart part, QMouseEvent* event);
    void on_plottableDoubleClick(QCPAbstractPlottable* plottable, QMouseEvent* event);
    void on_zoom();
    void on_mouseMove(QMouseEvent* event);
    void on_axisUnitChanged(QCPAxis* axis, int _upper, QList<double>& mTickVector,
                            QList<QString>& tickVectorLabels);

    // Saving, loading and closing.
    void on_actionSave();
    bool save(int index);
    void saveAll();
    void on_actionLoad();
    bool loadFile(const QString& path);
    void on_closeTab(int index);
    void closeTabSilent(int index, bool addEmptyTab);
    void closeAllTabs();
    void on_swapFileError(int code);

    int viewSpan() const { return m_viewSpan; }

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
    static QString storedSerial();
    void connectOptionsDialog(OptionsDialogBase* dialog);
    void runOptionsDialog(OptionsDialogBase* dialog, const PowerPacket& request);
    void connectPlot(GLWidget* widget);
    void finishEmptyTabs();
    QString chooseSaveName(int index);
    bool replaceFile(const QString& path);
    void resetChannelAxes(int count);
    void centreTimeWindow(double t);
    void showReadout(double time, const QList<double>& values);
    void appendToSwapFile(GLWidget* widget, const SeriesList& series, bool deleteAfter);

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
    OptionsDialog* m_optionsDialog = nullptr;
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

    qint64 m_runStart = 0;
    quint64 m_sampleBase = 0;
    quint64 m_lastCounter = 0;
    bool m_newTabDue = true;
    const int m_viewSpan = 10;
    int m_timePrecision = 2;
    bool m_borderReached = false;
    double m_borderLow = 0;
    double m_borderHigh = 0;
    QTimer m_flushTimer;
    bool m_readoutDue = false;
    double m_readoutTime = 0;
    QMap<int, QList<double>> m_readoutValues;
    QTimer m_replotTimer;
};
