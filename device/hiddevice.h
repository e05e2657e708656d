// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

#include <hidapi.h>

class Packet;
class PowerPacket;
class QIODevice;
class QTimer;

// The one USB HID link of the application: finds a supported unit, polls its
// input reports and writes packets and text commands in the unit's framing.
// Everything runs on the main thread, driven by two timers.
class HidDevice : public QObject
{
    Q_OBJECT
public:
    static constexpr unsigned short kVendorId = 0x0483;
    static constexpr unsigned short kProductId = 0xA1DE;
    static constexpr unsigned short kBootloaderProductId = 0xA1DA;
    static constexpr int kCheckPeriodMs = 2000;
    static constexpr int kReadPeriodMs = 1;
    static constexpr int kReportSize = 64;
    static constexpr int kWriteSize = 65;
    static constexpr int kMaxCommandLength = 63;
    // A unit reboots into its bootloader within a few seconds; one that has
    // not appeared by then never will without the user's help.
    static constexpr int kBootloaderWaitMs = 30000;
    static constexpr int kBlockSize = 48; // image bytes per bootloader frame

    static HidDevice* device(QObject* parent = nullptr);
    ~HidDevice() override;

    bool connectDevice(unsigned short vid, unsigned short pid, const wchar_t* serial);
    bool disconnectDevice();
    bool stop();
    static bool supported(const QString& serial);

    int sendPacket(const Packet& packet);
    int sendPacket(const PowerPacket& packet);
    int sendCommand(const QString& text);

    bool waitAnswer();
    // Streams the image (positioned after its header) through the unit's
    // bootloader. Blocks, processing events; reports through the update signals.
    bool update(QIODevice* image);
    void setBootloaderWaitMs(int milliseconds) { m_bootloaderWaitMs = milliseconds; }
    static QString hidError(hid_device* handle);
    void postUpdate();
    void skipUpdating();

    bool isOpen() const { return m_handle != nullptr; }
    QString serialNumber() const { return m_serialNumber; }
    QString modelCode() const { return m_modelCode; }
    bool bootloaderMode() const { return m_bootloaderMode; }

public slots:
    bool searchDevice(bool arrival, bool boot = false);
    bool checkTimerTick();
    void hidRead();
    void terminateUpdate();

signals:
    void deviceConnected();
    void deviceDisconnected();
    void packetReceived(quint8* _packet, int _length);
    void updatePercentChanged(int percent);
    void updateFailed(const QString& text);
    void updateCompleted();
    // A supported unit is attached but could not be opened (most often the
    // user may not open its device node). Once per attachment.
    void deviceOpenFailed(const QString& serial, const QString& reason);

private:
    explicit HidDevice(QObject* parent);

    int write(const unsigned char* buffer);
    bool openListed(const hid_device_info* record, bool bootloader);
    bool qualifies(const hid_device_info* record) const;
    void startTimers();
    void releaseForUpdate();
    bool waitForBootloader();
    bool sendImage(QIODevice* image, qint64 size);
    bool finishImage();
    int writeFrame(unsigned char command, const QByteArray& data);
    bool failUpload(const QString& text);

    hid_device* m_handle = nullptr;
    QTimer* m_checkTimer = nullptr;
    QTimer* m_readTimer = nullptr;
    QMutex m_readLock;
    hid_device_info* m_deviceList = nullptr;
    QString m_serialNumber;
    QString m_modelCode;
    bool m_bootloaderMode = false;
    bool m_terminateRequested = false;
    int m_bootloaderWaitMs = kBootloaderWaitMs;
    bool m_handingOver = false; // inside packetReceived; main thread only
    QString m_openFailureReported; // serial whose failed open was already signalled

    static HidDevice* m_instance;
};
