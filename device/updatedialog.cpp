// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/updatedialog.h"

#include "app/helpers.h"
#include "device/hiddevice.h"
#include "updates/downloader.h"
#include "ui_updatedialog.h"

#include <QBuffer>
#include <QFile>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTimer>
#include <QtEndian>

#include <limits>

Q_LOGGING_CATEGORY(lcUpdateDialog, "ampora.updatedialog")

namespace {
constexpr int kStartDelayMs = 100; // let the window show before the upload blocks
const QString kErrorStyle = QStringLiteral("color: #ff8888");
} // namespace

UpdateDialog::UpdateDialog(bool hideUpdate, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::UpdateDialog>())
{
    m_ui->setupUi(this);
    m_ui->updateBtn->setVisible(!hideUpdate);
    m_ui->progressBar->setVisible(true);
    m_ui->statusLabel->setVisible(true);
}

UpdateDialog::UpdateDialog(const QString& path, bool hideUpdate, QWidget* parent)
    : UpdateDialog(hideUpdate, parent)
{
    m_path = path;
    QTimer::singleShot(kStartDelayMs, this, &UpdateDialog::updateFromFile);
}

UpdateDialog::UpdateDialog(Downloader* downloader, bool hideUpdate, QWidget* parent)
    : UpdateDialog(hideUpdate, parent)
{
    m_downloader = downloader;
    // Queued: the upload runs its own waits and must not nest inside the
    // network reply's completion.
    connect(downloader, &Downloader::downloadFileComplete, this,
            &UpdateDialog::on_downloadFileComplete, Qt::QueuedConnection);
    connect(downloader, &Downloader::progress, this, &UpdateDialog::on_percentDownloadChanged);
    setStatusText(tr("Downloading, please wait..."));
    downloader->startDownloadFw();
}

UpdateDialog::~UpdateDialog() = default;

quint32 UpdateDialog::expectedMagic()
{
    if (Helpers::powerMode)
        return kMagic500;
    if (Helpers::power600Mode)
        return kMagic600;
    return kMagicLogger;
}

bool UpdateDialog::hasModelMagic(const QByteArray& header)
{
    if (header.size() < kHeaderSize)
        return false;
    return qFromLittleEndian<quint32>(header.constData()) == expectedMagic();
}

bool UpdateDialog::refuseWrongFormat(const QByteArray& header)
{
    if (hasModelMagic(header))
        return false;
    qCWarning(lcUpdateDialog) << "firmware image refused: wrong magic for this model";
    Helpers::warning(this, tr("Warning"), tr("Firmware file has wrong format"), QMessageBox::Ok,
                     QMessageBox::Ok);
    return true;
}

void UpdateDialog::updateFromFile()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(tr("Can't read firmware file"));
        return;
    }
    if (refuseWrongFormat(file.read(kHeaderSize)))
        return;
    file.seek(kHeaderSize);
    applyUpdate(&file);
}

void UpdateDialog::on_downloadFileComplete()
{
    if (m_closed || !m_downloader)
        return;
    if (!m_downloader->error().isEmpty()) {
        showError(tr("Update failed: ") + m_downloader->error());
        return;
    }
    // A download is held to the same check as a local file: a wrong image
    // never reaches the unit.
    QByteArray image = m_downloader->file();
    if (refuseWrongFormat(image.left(kHeaderSize)))
        return;
    QBuffer buffer(&image);
    if (!buffer.open(QIODevice::ReadOnly)) {
        showError(tr("Can't read buffer"));
        return;
    }
    buffer.seek(kHeaderSize);
    applyUpdate(&buffer);
}

void UpdateDialog::applyUpdate(QIODevice* image)
{
    setStatusText(tr("Updating, please wait..."));
    m_ui->progressBar->setMaximum(100);
    Helpers::isUpdating = true;
    HidDevice* device = HidDevice::device();
    device->stop();
    connectHID();
    device->update(image);
    Helpers::isUpdating = false;
}

void UpdateDialog::setStatusText(const QString& text)
{
    m_ui->statusLabel->setText(text);
}

void UpdateDialog::showError(const QString& text)
{
    m_ui->statusLabel->setStyleSheet(kErrorStyle);
    m_ui->statusLabel->setText(text);
}

void UpdateDialog::on_percentChanged(int percent)
{
    m_ui->progressBar->setValue(percent);
}

void UpdateDialog::on_percentDownloadChanged(qint64 received, qint64 total)
{
    if (received == 0 && total > 0)
        m_ui->progressBar->setMaximum(static_cast<int>(qMin<qint64>(total, std::numeric_limits<int>::max())));
    m_ui->progressBar->setValue(static_cast<int>(qMin<qint64>(received, m_ui->progressBar->maximum())));
}

void UpdateDialog::on_UpdateComplete()
{
    m_ui->statusLabel->setStyleSheet(QString());
    setStatusText(tr("Successfully updated"));
    disconnectHID();
}

void UpdateDialog::on_UpdateFailed(const QString& text)
{
    showError(tr("Update failed: ") + text);
    disconnectHID();
}

void UpdateDialog::on_cancelBtn_clicked()
{
    m_closed = true;
    emit updateFirmwareTerminated();
    // Whoever opened the dialog, Close ends a wait for the bootloader.
    HidDevice::device()->terminateUpdate();
    close();
}

void UpdateDialog::connectHID()
{
    HidDevice* device = HidDevice::device();
    connect(device, &HidDevice::updateCompleted, this, &UpdateDialog::on_UpdateComplete);
    connect(device, &HidDevice::updateFailed, this, &UpdateDialog::on_UpdateFailed);
    connect(device, &HidDevice::updatePercentChanged, this, &UpdateDialog::on_percentChanged);
}

void UpdateDialog::disconnectHID()
{
    HidDevice* device = HidDevice::device();
    disconnect(device, &HidDevice::updateCompleted, this, &UpdateDialog::on_UpdateComplete);
    disconnect(device, &HidDevice::updateFailed, this, &UpdateDialog::on_UpdateFailed);
    disconnect(device, &HidDevice::updatePercentChanged, this, &UpdateDialog::on_percentChanged);
}
