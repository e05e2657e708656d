// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/hiddevice.h"

#include "app/helpers.h"
#include "protocol/packet.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMutexLocker>
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
