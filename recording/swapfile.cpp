// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/swapfile.h"

#include "app/helpers.h"
#include "recording/progressdialog.h"
#include "recording/waitindicator.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

Q_LOGGING_CATEGORY(lcSwapFile, "ampora.swapfile")

namespace {

constexpr int kPeriodsPerSecond = 10000;      // the period is stored in 100 us units
constexpr qint64 kWriteChunkBytes = 256 * 1024;
// Times such as 49.9 s are not exact in binary; without this slack the
// first record of a window could be computed one too early.
constexpr double kIndexSlack = 1e-6;

quint8 deviceKindOfModeFlags(quint8 current)
{
    if (Helpers::power600Mode)
        return SwapFileHeader::kPower600;
    if (Helpers::powerMode)
        return SwapFileHeader::kPower500;
    return current;
}

bool isPowerKind(quint8 kind)
{
    return kind == SwapFileHeader::kPower500 || kind == SwapFileHeader::kPower600;
}

QList<int> channelsOfMask(quint32 mask, int bits)
{
    QList<int> channels;
    for (int i = 0; i < bits; ++i) {
        if (mask & (quint32(1) << i))
            channels.append(i);
    }
    return channels;
}

bool listEntriesBelow(const quint8* list, int count, int limit)
{
    return std::all_of(list, list + count, [limit](quint8 channel) { return channel < limit; });
}

// Everything a reader relies on, except a version above the current one:
// that is reported as a wrong version, not as a broken file.
bool isTrusted(const SwapFileHeader& h)
{
    if (h.version < 1 || h.headerSize != SwapFileHeader::kSize || h.period <= 0)
        return false;
    int maxChannels = 0;
    if (isPowerKind(h.deviceKind))
        maxChannels = SwapFile::kMaxPowerChannels;
    else if (h.deviceKind == SwapFileHeader::kLogger)
        maxChannels = SwapFile::kMaxLoggerChannels;
    if (h.channelCount < 1 || h.channelCount > maxChannels)
        return false;
    // The main window builds its channels from these lists.
    return h.deviceKind == SwapFileHeader::kPower600
               ? listEntriesBelow(h.channelList32, h.channelCount, 32)
               : listEntriesBelow(h.channelList, h.channelCount, 8);
}

double doubleAt(const uchar* p)
{
    double value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// The dialog is window-modal but not blocking; it goes away with the pointer.
std::unique_ptr<ProgressDialog> showProgress(SwapFile* swapFile, bool shown)
{
    if (!shown)
        return nullptr;
    auto dialog = std::make_unique<ProgressDialog>(0, 100);
    QObject::connect(dialog.get(), &ProgressDialog::canceled, swapFile, [swapFile] {
        qCDebug(lcSwapFile) << "on_actionLoad canceled";
        swapFile->terminate();
    });
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    QCoreApplication::processEvents();
    return dialog;
}

} // namespace

SwapFile::SwapFile(QObject* parent)
    : QObject(parent)
{
}

SwapFile::~SwapFile()
{
    close();
}

QString SwapFile::errorText(int code)
{
    switch (code) {
    case WrongVersion: return tr("Wrong file version");
    case CorruptFile: return tr("The file is corrupted or in the wrong format");
    case CreateFailed: return tr("Can't create output file");
    case SaveFailed: return tr("Can't save file");
    case RemoveFailed: return tr("Can't remove file");
    case WriteFailed: return tr("Failed to write to file");
    case ReadFailed: return tr("Failed to read file");
    case WrongLength: return tr("Wrong read length");
    case MappingFailed: return tr("File mapping error");
    default: return tr("Internal file error");
    }
}

bool SwapFile::create(const QString& path)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        emit swapFileError(CreateFailed);
        return false;
    }
    m_header.deviceKind = deviceKindOfModeFlags(m_header.deviceKind);
    QByteArray block(kBlockSize, '\0');
    block.replace(0, SwapFileHeader::kSize, m_header.toBytes());
    const bool written = m_file.write(block) == block.size();
    m_file.close();
    if (!written) {
        emit swapFileError(CreateFailed);
        return false;
    }
    qCDebug(lcSwapFile) << "SwapFile::create()" << path;
    return true;
}

void SwapFile::setHeader(signed char channelCount, unsigned mask, bool custom, short period, bool fahrenheit)
{
    SwapFileHeader header;
    header.channelCount = channelCount;
    if (Helpers::power600Mode)
        header.channelMask32 = mask;
    else
        header.channelMask = quint8(mask);
    header.period = period;
    header.temperatureScale = fahrenheit ? 1 : 0;
    header.customRate = custom ? 1 : 0;
    setHeader(header);
}

void SwapFile::setHeader(const SwapFileHeader& header)
{
    m_header = header;
    m_header.deviceKind = deviceKindOfModeFlags(m_header.deviceKind);
    const bool wide = Helpers::power600Mode;
    rebuildChannelOrder(wide);
    quint8* list = wide ? m_header.channelList32 : m_header.channelList;
    for (int i = 0; i < m_channelOrder.size(); ++i)
        list[i] = quint8(m_channelOrder.at(i));
    m_startTime = QDateTime::currentMSecsSinceEpoch();

    close();
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        emit swapFileError(MappingFailed);
        return;
    }
    uchar* block = mapRegion(0, kBlockSize);
    if (!block) {
        m_file.close();
        emit swapFileError(MappingFailed);
        return;
    }
    std::memcpy(block, &m_header, SwapFileHeader::kSize);
    std::memcpy(block + kStartTimeOffset, &m_startTime, sizeof m_startTime);
    m_file.unmap(block);
    m_file.close();
}

void SwapFile::rebuildChannelOrder(bool wide)
{
    m_channelOrder = wide ? channelsOfMask(m_header.channelMask32, 32) : channelsOfMask(m_header.channelMask, 8);
}

bool SwapFile::append(double from, double to, const SeriesList& series, bool deleteAfter)
{
    if (!Helpers::loggerMode())
        return appendPower(from, to, series, deleteAfter);
    return appendIndexed(series, deleteAfter, Indexing::ByChannel);
}

bool SwapFile::appendPower(double /*from*/, double /*to*/, const SeriesList& series, bool deleteAfter)
{
    return appendIndexed(series, deleteAfter, Indexing::ByPosition);
}

bool SwapFile::appendIndexed(const SeriesList& series, bool deleteAfter, Indexing indexing)
{
    QMutexLocker lock(&m_writeMutex);
    const bool ok = openForAppending() && writeRecords(series, indexing);
    // The caller moved these points out of the plot for us; they end here.
    if (deleteAfter) {
        for (const Series& s : series)
            if (s)
                s->clear();
    }
    return ok;
}

bool SwapFile::openForAppending()
{
    if (m_file.isOpen() && m_file.isWritable())
        return true;
    m_file.close();
    if (m_file.open(QIODevice::ReadWrite | QIODevice::Append))
        return true;
    qCInfo(lcSwapFile) << "SwapFile::append FAILED to open file";
    emit swapFileError(WriteFailed);
    return false;
}

// The series records are built from, in record order; none when one of
// them is missing.
QList<const QCPGraphDataContainer*> SwapFile::recordedSeries(const SeriesList& series, Indexing indexing) const
{
    const int walked = std::min<int>(std::max<int>(m_header.channelCount, 0), int(m_channelOrder.size()));
    QList<const QCPGraphDataContainer*> recorded;
    for (int k = 0; k < walked; ++k) {
        const int index = indexing == Indexing::ByPosition ? k : m_channelOrder.at(k);
        if (index >= series.size() || !series.at(index))
            return {};
        recorded.append(series.at(index).get());
    }
    return recorded;
}

// Called with m_writeMutex held.
bool SwapFile::writeRecords(const SeriesList& series, Indexing indexing)
{
    const QList<const QCPGraphDataContainer*> recorded = recordedSeries(series, indexing);
    int rows = recorded.isEmpty() ? 0 : std::numeric_limits<int>::max();
    for (const QCPGraphDataContainer* s : recorded)
        rows = std::min(rows, s->size());
    if (rows == 0)
        return true;

    // A record always has channelCount values, so the file stays readable
    // even when the mask names fewer channels; missing values stay zero.
    const int values = m_header.channelCount;
    const int walked = int(recorded.size());
    const int doubles = values + 1;
    const qint64 bytesPerRecord = qint64(doubles) * qint64(sizeof(double));
    const int chunkRecords = int(std::max<qint64>(1, kWriteChunkBytes / bytesPerRecord));
    std::vector<double> chunk(size_t(chunkRecords) * size_t(doubles), 0.0);
    bool ok = true;
    int filled = 0;
    for (int row = 0; row < rows; ++row) {
        double* record = chunk.data() + size_t(filled) * size_t(doubles);
        record[0] = (recorded.first()->constBegin() + row)->key;
        for (int k = 0; k < walked; ++k)
            record[k + 1] = (recorded.at(k)->constBegin() + row)->value;
        if (++filled == chunkRecords || row == rows - 1) {
            const qint64 bytes = filled * bytesPerRecord;
            if (m_file.write(reinterpret_cast<const char*>(chunk.data()), bytes) != bytes)
                ok = false;
            filled = 0;
        }
    }
    if (!m_file.flush())
        ok = false;
    if (!ok)
        emit swapFileError(WriteFailed);
    return ok;
}

bool SwapFile::stop()
{
    close();
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    if (!readHeader()) {
        close();
        return false;
    }
    const bool ok = readEndTime();
    close();
    if (!ok)
        emit swapFileError(MappingFailed);
    return ok;
}

bool SwapFile::readHeader()
{
    if (m_terminate) {
        m_aborted = true;
        return false;
    }
    uchar* block = mapRegion(0, kBlockSize);
    if (!block) {
        emit swapFileError(MappingFailed);
        return false;
    }
    SwapFileHeader header;
    std::memcpy(&header, block, SwapFileHeader::kSize);
    qint64 startTime;
    std::memcpy(&startTime, block + kStartTimeOffset, sizeof startTime);
    m_file.unmap(block);

    if (header.version > SwapFileHeader::kVersion) {
        emit swapFileError(WrongVersion);
        return false;
    }
    // A refused header leaves m_header as it was, so every later read still
    // works on sizes it can trust.
    if (!isTrusted(header)) {
        emit swapFileError(CorruptFile);
        return false;
    }
    m_header = header;
    m_startTime = startTime;
    // The file's own kind decides, not the mode flags: a model 500
    // recording opened while the model 600 flag is set keeps its 8-bit mask.
    rebuildChannelOrder(header.deviceKind == SwapFileHeader::kPower600);
    return true;
}

SwapFileHeader SwapFile::readHeader(const QString& path)
{
    SwapFileHeader unreadable;
    unreadable.deviceKind = SwapFileHeader::kUnreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kBlockSize)
        return unreadable;
    uchar* block = file.map(0, kBlockSize);
    if (!block)
        return unreadable;
    SwapFileHeader header;
    std::memcpy(&header, block, SwapFileHeader::kSize);
    file.unmap(block);
    return isTrusted(header) ? header : unreadable;
}

bool SwapFile::save(const QString& path)
{
    return rename(path);
}

bool SwapFile::rename(const QString& path)
{
    close();
    if (!m_file.rename(path)) {
        qCDebug(lcSwapFile) << "SwapFile::save" << m_file.errorString();
        emit swapFileError(SaveFailed);
        return false;
    }
    return true;
}

bool SwapFile::remove()
{
    qCDebug(lcSwapFile) << "SwapFile::remove()" << m_file.fileName();
    close();
    if (!m_file.remove()) {
        qCDebug(lcSwapFile) << "SwapFile::remove" << m_file.errorString();
        emit swapFileError(RemoveFailed);
        return false;
    }
    return true;
}

void SwapFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}

void SwapFile::terminate()
{
    m_terminate = true;
}

bool SwapFile::openForReading(const QString& path)
{
    close();
    m_file.setFileName(path);
    if (m_file.open(QIODevice::ReadOnly))
        return true;
    emit swapFileError(ReadFailed);
    return false;
}

bool SwapFile::read(const QString& path, int seconds, const SeriesList& series, ProgressDialog* dialog)
{
    // Cleared before the dialog takes events, so a Close click it gets counts.
    m_terminate = false;
    auto progress = showProgress(this, m_progressShown);
    if (!openForReading(path))
        return false;
    const bool ok = readHeader();
    close();
    if (!ok)
        return false;
    progress.reset();
    switch (m_header.deviceKind) {
    case SwapFileHeader::kPower500:
        Helpers::powerMode = true;
        return readPower(path, seconds, series, dialog);
    case SwapFileHeader::kPower600:
        Helpers::power600Mode = true;
        return readPower600(path, seconds, series, dialog);
    default:
        emit swapFileError(CorruptFile);
        return false;
    }
}

bool SwapFile::readPower600(const QString& path, int seconds, const SeriesList& series, ProgressDialog* dialog)
{
    return readPower(path, seconds, series, dialog);
}

bool SwapFile::readPower(const QString& path, int seconds, const SeriesList& series, ProgressDialog* /*dialog*/)
{
    m_terminate = false;
    auto progress = showProgress(this, m_progressShown);
    if (!openForReading(path))
        return false;
    const bool ok = readHeader() && loadPower(seconds, series, progress.get());
    close();
    return ok;
}

// Called on the open file with a trusted header.
bool SwapFile::loadPower(int seconds, const SeriesList& series, ProgressDialog* progress)
{
    if (!readEndTime()) {
        emit swapFileError(MappingFailed);
        return false;
    }
    const qint64 rec = recordBytes();
    const qint64 wanted = qint64(seconds) * rec * kPeriodsPerSecond / m_header.period;
    const qint64 count = std::min(wanted, recordCount() * rec) / rec;
    uchar* data = mapRegion(kBlockSize, count * rec);
    if (!data) {
        emit swapFileError(MappingFailed);
        return false;
    }
    const bool ok = insertRecords(data, count, std::numeric_limits<double>::infinity(), series,
                                  Indexing::ByPosition, progress);
    m_file.unmap(data);
    return ok;
}

bool SwapFile::readRange(double center, double width, const SeriesList& series)
{
    if (isPowerKind(m_header.deviceKind))
        return readRangePower(center, width, series);
    return readRangeIndexed(center, width, series, Indexing::ByChannel);
}

bool SwapFile::readRangePower(double center, double width, const SeriesList& series)
{
    return readRangeIndexed(center, width, series, Indexing::ByPosition);
}

bool SwapFile::readRangeIndexed(double center, double width, const SeriesList& series, Indexing indexing)
{
    WaitIndicator wait;
    m_terminate = false;
    close();
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    const bool ok = readWindow(center, width, series, indexing);
    close();
    return ok;
}

// Called on the open file. Maps only the window's records, so the cost does
// not grow with the file.
bool SwapFile::readWindow(double center, double width, const SeriesList& series, Indexing indexing)
{
    if (!std::isfinite(center) || !std::isfinite(width) || width < 0) {
        emit swapFileError(WrongLength);
        return false;
    }
    // The file may have grown since the end time was last read; a file
    // without a whole record has no end time and nothing to read.
    if (!readEndTime()) {
        emit swapFileError(MappingFailed);
        return false;
    }
    double start = std::max(0.0, center - width / 2);
    double end = start + width;
    if (end > m_endTime) {
        start = std::max(0.0, m_endTime - width);
        end = m_endTime;
    }
    if (end < start) {
        emit swapFileError(WrongLength);
        return false;
    }
    const qint64 count = recordCount();
    const double perSecond = double(kPeriodsPerSecond) / m_header.period;
    // Clamped as doubles first: a huge time must not overflow the cast.
    const auto recordsIn = [count](double records) {
        return qint64(std::clamp(std::floor(records + kIndexSlack), 0.0, double(count)));
    };
    const qint64 first = std::min(recordsIn(start * perSecond), count - 1);
    // One more than the length covers a record lying exactly on the end.
    const qint64 last = std::clamp(first + recordsIn((end - start) * perSecond) + 1, first + 1, count);
    const qint64 rec = recordBytes();
    uchar* data = mapRegion(kBlockSize + first * rec, (last - first) * rec);
    if (!data) {
        emit swapFileError(MappingFailed);
        return false;
    }
    const bool ok = insertRecords(data, last - first, end, series, indexing, nullptr);
    m_file.unmap(data);
    return ok;
}

// QFile maps past the end of a file without complaint, and touching such a
// page kills the process; a region must lie inside the file.
uchar* SwapFile::mapRegion(qint64 offset, qint64 size)
{
    if (offset < 0 || size <= 0 || offset + size > m_file.size())
        return nullptr;
    return m_file.map(offset, size);
}

qint64 SwapFile::recordBytes() const
{
    return qint64(sizeof(double)) * (std::max<int>(m_header.channelCount, 0) + 1);
}

// Every whole record counts: nothing follows the last one, so a trailing
// partial record is the only thing left out.
qint64 SwapFile::recordCount() const
{
    return std::max<qint64>(0, (m_file.size() - kBlockSize) / recordBytes());
}

// The time of the last whole record; false when there is none or it is not a
// usable number.
bool SwapFile::readEndTime()
{
    const qint64 count = recordCount();
    if (count < 1)
        return false;
    uchar* last = mapRegion(kBlockSize + (count - 1) * recordBytes(), sizeof(double));
    if (!last)
        return false;
    const double time = doubleAt(last);
    m_file.unmap(last);
    if (!std::isfinite(time))
        return false;
    m_endTime = time;
    return true;
}

bool SwapFile::insertRecords(const uchar* data, qint64 count, double endTime, const SeriesList& series,
                             Indexing indexing, ProgressDialog* progress)
{
    const qint64 rec = recordBytes();
    const int values = std::min<int>(m_header.channelCount, int(m_channelOrder.size()));
    for (qint64 i = 0; i < count; ++i) {
        if (m_terminate) {
            m_aborted = true;
            return false;
        }
        const uchar* record = data + i * rec;
        const double time = doubleAt(record);
        if (time > endTime)
            break;
        // A broken time would unsort the series; such a record is skipped.
        if (!std::isfinite(time))
            continue;
        for (int k = 0; k < values; ++k) {
            const int index = indexing == Indexing::ByPosition ? k : m_channelOrder.at(k);
            if (index < series.size() && series.at(index))
                insertPoint(*series.at(index), time, doubleAt(record + (k + 1) * sizeof(double)));
        }
        if (progress && i % 10 == 0)
            progress->setValue(int(i * 100 / count));
    }
    return true;
}
