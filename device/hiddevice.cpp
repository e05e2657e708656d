// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/hiddevice.h"

#include "app/helpers.h"
#include "protocol/packet.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QIODevice>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>

#include <array>
#include <cstring>

Q_LOGGING_CATEGORY(lcHid, "ampora.hid", QtInfoMsg)

namespace {
const QString kSupportedModels[] = {QStringLiteral("5002"), QStringLiteral("5003")};
constexpr int kAnswerAttempts = 1000;   // about one minute of 60 ms reads
constexpr int kAnswerReadTimeoutMs = 60;
constexpr int kPowerOnDelayMs = 2000;   // the unit needs this long after an upload
constexpr unsigned char kPowerReportId = 0x07;
constexpr int kReleaseDelayMs = 1000;      // the unit notices the closed handle
constexpr int kSearchAttempts = 10;
constexpr int kSearchPauseMs = 200;
constexpr int kEntryDelayMs = 5;
constexpr int kBootloaderPollMs = 100;
constexpr unsigned char kFirstBlock = 3;
constexpr unsigned char kNextBlock = 4;
constexpr unsigned char kEndOfImage = 5;
constexpr unsigned char kCloseBootloader = 6;

// Waits without freezing the window: the update dialog's Close must work.
void pause(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(qMin<qint64>(5, qMax<qint64>(0, deadline.remainingTime())));
    }
}

QString serialOf(const hid_device_info* record)
{
    return record->serial_number ? QString::fromWCharArray(record->serial_number) : QString();
}
} // namespace

HidDevice* HidDevice::m_instance = nullptr;

HidDevice* HidDevice::device(QObject* parent)
{
    if (!m_instance)
        m_instance = new HidDevice(parent);
    return m_instance;
}

HidDevice::HidDevice(QObject* parent)
    : QObject(parent)
{
    m_checkTimer = new QTimer(this);
    connect(m_checkTimer, &QTimer::timeout, this, &HidDevice::checkTimerTick);
    m_readTimer = new QTimer(this);
    connect(m_readTimer, &QTimer::timeout, this, &HidDevice::hidRead);
    startTimers();
}

HidDevice::~HidDevice()
{
    hid_free_enumeration(m_deviceList);
    m_deviceList = nullptr;
    m_checkTimer->stop();
    m_readTimer->stop();
    disconnect();
    disconnectDevice();
    if (m_instance == this)
        m_instance = nullptr;
}

void HidDevice::startTimers()
{
    m_checkTimer->start(kCheckPeriodMs);
    m_readTimer->start(kReadPeriodMs);
}

bool HidDevice::connectDevice(unsigned short vid, unsigned short pid, const wchar_t* serial)
{
    if (m_handle)
        return false;
    m_handle = hid_open(vid, pid, serial);
    if (!m_handle)
        return false;
    hid_set_nonblocking(m_handle, 1);
    return true;
}

bool HidDevice::disconnectDevice()
{
    if (!m_handle)
        return false;
    // Cleared first: a receiver running inside the read step sees the link gone.
    hid_device* handle = m_handle;
    m_handle = nullptr;
    hid_close(handle);
    return true;
}

bool HidDevice::stop()
{
    m_checkTimer->stop();
    m_readTimer->stop();
    return disconnectDevice();
}

bool HidDevice::supported(const QString& serial)
{
    const QString model = serial.left(4);
    for (const QString& code : kSupportedModels) {
        if (model == code)
            return true;
    }
    return false;
}

bool HidDevice::qualifies(const hid_device_info* record) const
{
    if (record->vendor_id != kVendorId)
        return false;
    if (record->product_id == kBootloaderProductId)
        return true;
    return record->product_id == kProductId && supported(serialOf(record));
}

bool HidDevice::openListed(const hid_device_info* record, bool bootloader)
{
    const QString serial = serialOf(record);
    if (!connectDevice(kVendorId, record->product_id, record->serial_number)) {
        // Report a unit that is there but cannot be opened once, not every check.
        if (!bootloader && m_openFailureReported != serial) {
            m_openFailureReported = serial;
            const QString reason = hidError(nullptr);
            qCWarning(lcHid) << "HidDevice::searchDevice() cannot open" << serial << reason;
            emit deviceOpenFailed(serial, reason);
        }
        return true;
    }
    m_openFailureReported.clear();
    m_serialNumber = serial;
    m_modelCode = serial.left(4);
    m_bootloaderMode = bootloader;
    qCDebug(lcHid) << "HidDevice::searchDevice() opened" << serial << (bootloader ? "bootloader" : "");
    if (!bootloader)
        emit deviceConnected();
    return true;
}

bool HidDevice::searchDevice(bool arrival, bool boot)
{
    hid_free_enumeration(m_deviceList);
    m_deviceList = boot ? hid_enumerate(kVendorId, kBootloaderProductId) : hid_enumerate(0, 0);
    if (!m_deviceList) {
        m_openFailureReported.clear();
        if (!arrival && m_handle) {
            emit deviceDisconnected();
            disconnectDevice();
        }
        return false;
    }

    if (arrival) {
        if (m_handle)
            return true;
        for (const hid_device_info* record = m_deviceList; record; record = record->next) {
            if (record->vendor_id != kVendorId)
                continue;
            if (record->product_id == kProductId && supported(serialOf(record)))
                return openListed(record, false);
            if (record->product_id == kBootloaderProductId)
                return openListed(record, true);
        }
        m_openFailureReported.clear();
        return false;
    }

    for (const hid_device_info* record = m_deviceList; record; record = record->next) {
        if (qualifies(record))
            return true;
    }
    emit deviceDisconnected();
    disconnectDevice();
    return false;
}

bool HidDevice::checkTimerTick()
{
    return searchDevice(m_handle == nullptr, false);
}

void HidDevice::hidRead()
{
    if (!m_handle)
        return;
    // A receiver running a nested event loop (a modal box) lets this timer
    // fire inside the hand-over; skip the step instead of locking again.
    if (m_handingOver)
        return;
    std::array<quint8, kReportSize> buffer{};
    while (m_handle && hid_read(m_handle, buffer.data(), kReportSize) > 0) {
        QMutexLocker locker(&m_readLock);
        m_handingOver = true;
        emit packetReceived(buffer.data(), kReportSize);
        m_handingOver = false;
    }
}

void HidDevice::terminateUpdate()
{
    m_terminateRequested = true;
}

int HidDevice::write(const unsigned char* buffer)
{
    if (!m_handle)
        return 0;
    return hid_write(m_handle, buffer, kWriteSize);
}

int HidDevice::sendPacket(const Packet& packet)
{
    std::array<unsigned char, kWriteSize> buffer{};
    // The logger takes an unnumbered report; the power units read the
    // packet's first byte as the report number.
    const int offset = Helpers::loggerMode() ? 1 : 0;
    std::memcpy(buffer.data() + offset, packet.data(), kReportSize);
    return write(buffer.data());
}

int HidDevice::sendPacket(const PowerPacket& packet)
{
    std::array<unsigned char, kWriteSize> buffer{};
    std::memcpy(buffer.data(), packet.data(), kReportSize);
    return write(buffer.data());
}

int HidDevice::sendCommand(const QString& text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() > kMaxCommandLength) {
        qCWarning(lcHid) << "HidDevice::sendCommand() refused, longer than" << kMaxCommandLength << text.left(16);
        return -1;
    }
    std::array<unsigned char, kWriteSize> buffer{};
    const QByteArray latin = text.toLatin1();
    buffer[0] = kPowerReportId;
    buffer[1] = static_cast<unsigned char>(latin.size());
    std::memcpy(buffer.data() + 2, latin.constData(), latin.size());
    return write(buffer.data());
}

bool HidDevice::waitAnswer()
{
    std::array<unsigned char, kWriteSize> buffer{};
    for (int attempt = 0; attempt < kAnswerAttempts; ++attempt) {
        QCoreApplication::processEvents();
        if (!m_handle)
            return false;
        const int result = hid_read_timeout(m_handle, buffer.data(), kWriteSize, kAnswerReadTimeoutMs);
        if (result < 0) // the unit went away: waiting longer cannot help
            return false;
        if (result > 0)
            return buffer[0] == kPowerReportId;
    }
    return false;
}

QString HidDevice::hidError(hid_device* handle)
{
    const wchar_t* text = hid_error(handle);
    return text ? QString::fromWCharArray(text) : QString();
}

void HidDevice::skipUpdating()
{
    m_bootloaderMode = false;
    disconnectDevice();
    startTimers();
    searchDevice(true, false);
}

void HidDevice::postUpdate()
{
    skipUpdating();
    QTimer::singleShot(kPowerOnDelayMs, this, [] {
        if (m_instance)
            m_instance->sendCommand(QStringLiteral("PSW1\r\n"));
    });
}

bool HidDevice::update(QIODevice* image)
{
    m_terminateRequested = false;
    releaseForUpdate();
    for (int attempt = 0; attempt < kSearchAttempts; ++attempt) {
        const bool found = searchDevice(true, false);
        pause(kSearchPauseMs);
        if (found)
            break;
    }
    if (!m_bootloaderMode && !waitForBootloader())
        return false;
    QCoreApplication::processEvents();
    const qint64 size = image->size();
    if (size == 0)
        return failUpload(tr("Firmware file too short."));
    if (!sendImage(image, size))
        return false;
    return finishImage();
}

void HidDevice::releaseForUpdate()
{
    m_checkTimer->stop();
    m_readTimer->stop();
    QCoreApplication::processEvents();
    disconnectDevice();
    QCoreApplication::processEvents();
    pause(kReleaseDelayMs);
    m_bootloaderMode = false;
}

bool HidDevice::waitForBootloader()
{
    if (Helpers::loggerMode())
        sendPacket(BootModePacket());
    else
        sendPacket(BootModePowerPacket());
    pause(kEntryDelayMs);
    QCoreApplication::processEvents();
    disconnectDevice();
    QCoreApplication::processEvents();
    pause(kReleaseDelayMs);

    QElapsedTimer waited;
    waited.start();
    while (!m_bootloaderMode) {
        pause(kBootloaderPollMs);
        searchDevice(true, true);
        QCoreApplication::processEvents();
        if (m_bootloaderMode)
            break;
        if (m_terminateRequested) {
            qCInfo(lcHid) << "HidDevice::update() cancelled while waiting for the bootloader";
            return failUpload(tr("Update cancelled."));
        }
        if (waited.hasExpired(m_bootloaderWaitMs)) {
            qCWarning(lcHid) << "HidDevice::update() no bootloader after" << m_bootloaderWaitMs << "ms";
            return failUpload(tr("The unit did not enter its bootloader."));
        }
    }
    return true;
}

bool HidDevice::sendImage(QIODevice* image, qint64 size)
{
    qint64 blocks = 0;
    while (size > 0) {
        const QByteArray data = image->read(kBlockSize);
        if (data.isEmpty())
            break;
        if (writeFrame(blocks == 0 ? kFirstBlock : kNextBlock, data) <= 0) {
            const QString text = hidError(m_handle);
            qCWarning(lcHid) << "HidDevice::update() write failed" << text;
            return failUpload(text);
        }
        // Percent of the whole file, header included, already sent.
        emit updatePercentChanged(static_cast<int>(blocks * 4800 / size));
        ++blocks;
        QCoreApplication::processEvents();
        if (blocks == 1 && !waitAnswer()) {
            qCWarning(lcHid) << "first read failed";
            postUpdate();
            return failUpload(tr("Bootloader returns ERROR."));
        }
        if (kBlockSize * blocks >= size)
            break;
    }
    return true;
}

bool HidDevice::finishImage()
{
    emit updatePercentChanged(100);
    if (writeFrame(kEndOfImage, QByteArray()) > 0 && waitAnswer()) {
        writeFrame(kCloseBootloader, QByteArray());
        // The bootloader leaves the bus and starts the new firmware; looking
        // for the unit at once would only find the bootloader on its way out.
        disconnectDevice();
        pause(kReleaseDelayMs);
        emit updateCompleted();
        postUpdate();
        skipUpdating();
        return true;
    }
    const QString text = hidError(m_handle);
    emit updatePercentChanged(100);
    emit updateFailed(text);
    postUpdate();
    skipUpdating();
    return false;
}

int HidDevice::writeFrame(unsigned char command, const QByteArray& data)
{
    std::array<unsigned char, kWriteSize> buffer{};
    buffer[1] = command;
    buffer[2] = static_cast<unsigned char>(data.size());
    std::memcpy(buffer.data() + 3, data.constData(), qMin<int>(data.size(), kBlockSize));
    return write(buffer.data());
}

bool HidDevice::failUpload(const QString& text)
{
    emit updatePercentChanged(100);
    emit updateFailed(text);
    skipUpdating();
    return false;
}
