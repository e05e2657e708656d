// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class Downloader;
class QIODevice;

namespace Ui {
class UpdateDialog;
}

// The modal window of a firmware upload, from a local file or from a
// download: checks the image belongs to the connected model, then shows the
// upload's progress and outcome.
class UpdateDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHeaderSize = 512;
    static constexpr quint32 kMagic500 = 0x20230710;
    static constexpr quint32 kMagic600 = 0x20240104;
    static constexpr quint32 kMagicLogger = 0xA9BACBDC;

    UpdateDialog(const QString& path, bool hideUpdate, QWidget* parent = nullptr);
    UpdateDialog(Downloader* downloader, bool hideUpdate, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    static quint32 expectedMagic();
    static bool hasModelMagic(const QByteArray& header);

    void applyUpdate(QIODevice* image);
    void setStatusText(const QString& text);
    void showError(const QString& text);

public slots:
    void on_percentChanged(int percent);
    void on_percentDownloadChanged(qint64 received, qint64 total);
    void on_UpdateComplete();
    void on_UpdateFailed(const QString& text);
    void on_downloadFileComplete();
    void on_cancelBtn_clicked();

signals:
    void updateFirmwareTerminated();

private:
    explicit UpdateDialog(bool hideUpdate, QWidget* parent);
    void updateFromFile();
    bool refuseWrongFormat(const QByteArray& header);
    void connectHID();
    void disconnectHID();

    std::unique_ptr<Ui::UpdateDialog> m_ui;
    QPointer<Downloader> m_downloader;
    QString m_path;
    bool m_closed = false; // Close pressed: a download finishing later flashes nothing
};
