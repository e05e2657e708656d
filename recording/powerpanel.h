// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recording/panel.h"

#include <QList>
#include <QMap>
#include <QPixmap>
#include <QString>

#include <memory>

class GLWidget;
class PowerDataPacket;
class PowerGetPacket;
class QLabel;
class QTableWidgetItem;
class QTimer;
class Ui_PowerPanel;
struct SwapFileHeader;

// The dock panel of a power unit: output state and switch, temperature scale,
// sample rate, one row per unit quantity with its current value, and the
// start and stop of the unit's log. Text commands leave through signals;
// only the output switch and the status request go to the link directly.
class PowerPanel : public Panel
{
    Q_OBJECT
public:
    static constexpr int kMaxChannels = 5;       // the unit logs at most five quantities
    static constexpr int kPollPeriodMs = 2000;
    static constexpr int kPollStartDelayMs = 500; // leaves the link time to open first

    explicit PowerPanel(QWidget* parent = nullptr);
    ~PowerPanel() override;

    bool isFahrentheit() const;
    bool isCustom() const;
    // Rows whose box is ticked, in row order.
    QList<int> channels() const;
    // What the last start command asked for; the run reads them back.
    QString sampleRate() const { return m_sampleRate; }
    QList<int> recordedChannels() const { return m_channels; }

    virtual void setChannelsTable();
    void addSampleRateItems();
    QString getInstantString(int channel, double value) const;
    void fillInstant(double time, const QList<int>& channels, const QMap<int, QList<double>>& values,
                     QLabel* label, bool dark, GLWidget* widget);
    void updateControls(const SwapFileHeader& header);

public slots:
    void on_paketDataReceived(const PowerDataPacket& packet);
    void on_changeColorTheme(bool dark);
    void responsePowerStatus(bool on);
    void logFinished();
    void logFailed(const QString& text);
    void togglePowerIndicator(bool on);
    void stopLog();
    void on_translate();

signals:
    void startPowerLog(const QString& command);
    void stopPowerLog(const QString& command);
    void requestPowerStatus(const QString& command);
    void paketReceived(PowerGetPacket& packet);
    void paketDataReceived(PowerDataPacket& packet);

private:
    void connectControls();
    void onCustomToggled(bool custom);
    void onItemChanged(QTableWidgetItem* item);
    void onStartClicked();
    void onStopClicked();
    void onPowerClicked();
    void onPollTimeout();
    QString startCommand(const QString& rate, const QList<int>& channels) const;
    void setValueText(int row, const QString& text);
    void clearValues();
    void checkChannels(const SwapFileHeader& header);
    void selectRate(const SwapFileHeader& header);
    static QString rateItemText(const QString& rate);

    std::unique_ptr<Ui_PowerPanel> ui;
    QPixmap m_pixmapOn;
    QPixmap m_pixmapOff;
    QTimer* m_statusTimer;
    QString m_sampleRate;
    QList<int> m_channels;
    bool m_powerOn = false;
};

// The model 600 uses the same panel; the class keeps the two apart for
// callers that care.
class Power600Panel : public PowerPanel
{
    Q_OBJECT
public:
    explicit Power600Panel(QWidget* parent = nullptr);
};
