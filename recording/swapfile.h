// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recording/series.h"
#include "recording/swapfileheader.h"

#include <QFile>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

class ProgressDialog;

// The recording file of one tab: a 512-byte header block followed by
// fixed-length records of (time, value of each recorded channel) doubles.
// During a run it is the swap file in the temporary folder; saving renames it.
class SwapFile : public QObject
{
    Q_OBJECT
public:
    enum ErrorCode {
        WrongVersion = 1,
        CorruptFile = 2,
        CreateFailed = 3,
        SaveFailed = 4,
        RemoveFailed = 5,
        WriteFailed = 6,
        ReadFailed = 7,
        WrongLength = 8,
        MappingFailed = 9,
    };

    static constexpr int kBlockSize = 512;        // header block; records follow
    static constexpr int kStartTimeOffset = 504;  // qint64 ms since 1970 UTC
    static constexpr int kMaxPowerChannels = 8;   // records of at most 9 doubles
    static constexpr int kMaxLoggerChannels = 3;  // records of at most 4 doubles

    explicit SwapFile(QObject* parent = nullptr);
    ~SwapFile() override;

    // Translated message of an error code.
    static QString errorText(int code);

    bool create(const QString& path);
    // Header of a power run; the mode flags choose the mask pair.
    void setHeader(signed char channelCount, unsigned mask, bool custom, short period, bool fahrenheit);
    void setHeader(const SwapFileHeader& header);

    // Writes one record per point of the first series while every recorded
    // series still has a point. deleteAfter empties every given series.
    bool append(double from, double to, const SeriesList& series, bool deleteAfter);
    bool appendPower(double from, double to, const SeriesList& series, bool deleteAfter);
    // After the last append: reads back the header and the end time.
    bool stop();

    bool readHeader();
    // Header of a file without opening a SwapFile; deviceKind is
    // SwapFileHeader::kUnreadable when the file cannot be read or trusted.
    static SwapFileHeader readHeader(const QString& path);

    bool save(const QString& path);
    bool rename(const QString& path);
    bool remove();
    void close();

    // Loads the first seconds of a power recording into series.
    bool read(const QString& path, int seconds, const SeriesList& series, ProgressDialog* dialog = nullptr);
    bool readPower(const QString& path, int seconds, const SeriesList& series, ProgressDialog* dialog = nullptr);
    bool readPower600(const QString& path, int seconds, const SeriesList& series,
                      ProgressDialog* dialog = nullptr);
    // Merges the window of width seconds around center into series.
    bool readRange(double center, double width, const SeriesList& series);
    bool readRangePower(double center, double width, const SeriesList& series);
    // A running read stops at its next record.
    void terminate();

    // Loads show a progress dialog unless switched off (tests, batch use).
    void setProgressShown(bool shown) { m_progressShown = shown; }

    const SwapFileHeader& header() const { return m_header; }
    double endTime() const { return m_endTime; }
    qint64 startTime() const { return m_startTime; }
    const QList<int>& channelOrder() const { return m_channelOrder; }
    QString fileName() const { return m_file.fileName(); }
    bool aborted() const { return m_aborted; }

signals:
    void swapFileError(int code);

private:
    enum class Indexing { ByPosition, ByChannel };

    bool appendIndexed(const SeriesList& series, bool deleteAfter, Indexing indexing);
    bool openForAppending();
    QList<const QCPGraphDataContainer*> recordedSeries(const SeriesList& series, Indexing indexing) const;
    bool writeRecords(const SeriesList& series, Indexing indexing);
    bool readRangeIndexed(double center, double width, const SeriesList& series, Indexing indexing);
    bool loadPower(int seconds, const SeriesList& series, ProgressDialog* progress);
    bool readWindow(double center, double width, const SeriesList& series, Indexing indexing);
    bool openForReading(const QString& path);
    bool readEndTime();
    uchar* mapRegion(qint64 offset, qint64 size);
    qint64 recordBytes() const;
    qint64 recordCount() const;
    bool insertRecords(const uchar* data, qint64 count, double endTime, const SeriesList& series,
                       Indexing indexing, ProgressDialog* progress);
    void rebuildChannelOrder(bool wide);

    SwapFileHeader m_header;
    QFile m_file;
    double m_endTime = 0.0;
    qint64 m_startTime = 0;
    QList<int> m_channelOrder;
    QMutex m_writeMutex;
    bool m_terminate = false;
    bool m_aborted = false;
    bool m_progressShown = true;
};
