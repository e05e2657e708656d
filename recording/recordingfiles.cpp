// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's whole-recording actions: save, save all, open, close.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/helpers.h"
#include "app/popup.h"
#include "app/settings.h"
#include "plot/glwidget.h"
#include "plot/powerplot.h"
#include "recording/powerpanel.h"
#include "recording/swapfile.h"
#include "recording/waitindicator.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

namespace {
const char kFileFilter[] = "Kelvane Power (*.ampora )";
const char kExtension[] = ".ampora";

QString folderSetting(const char* key)
{
    return Settings().value(QLatin1String(key), Settings::localDataDir()).toString();
}

void storeFolderOf(const char* key, const QString& file)
{
    Settings().setValue(QLatin1String(key), QFileInfo(file).absolutePath());
}
} // namespace

QString MainWindow::chooseSaveName(int index)
{
    const QString name = ui->tabWidget->tabText(index).remove(QLatin1Char('*'));
    const QString suggestion = QDir(folderSetting("Main/save-path")).absoluteFilePath(name + QLatin1String(kExtension));
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Save file"), suggestion,
                                                        QLatin1String(kFileFilter));
    if (!chosen.isEmpty())
        storeFolderOf("Main/save-path", chosen);
    return chosen;
}

// Makes room for a recording at path; false when an old file stays in the way.
bool MainWindow::replaceFile(const QString& path)
{
    QFile existing(path);
    if (!existing.exists() || existing.remove())
        return true;
    showStatusError(tr("Couldn't save file ") + existing.errorString(), 5000);
    return false;
}

void MainWindow::on_actionSave()
{
    save(ui->tabWidget->currentIndex());
}

bool MainWindow::save(int index)
{
    auto* widget = qobject_cast<GLWidget*>(ui->tabWidget->widget(index));
    if (!widget)
        return false;
    const QString path = chooseSaveName(index);
    if (path.isEmpty() || !replaceFile(path))
        return false;
    bool saved = false;
    {
        WaitIndicator wait;
        saved = widget->swapFile()->rename(path);
    }
    if (!saved) {
        showStatusError(tr("Couldn't save file ") + QFile(path).errorString(), 5000);
        return false;
    }
    showStatusMessage(tr("Saved"), 10000);
    ui->tabWidget->setTabText(index, QFileInfo(path).baseName());
    widget->setSaved(true);
    return true;
}

void MainWindow::saveAll()
{
    for (int index = 0; index < ui->tabWidget->count(); ++index) {
        auto* widget = qobject_cast<GLWidget*>(ui->tabWidget->widget(index));
        if (!widget || widget->isSaved())
            continue;
        const QString path = chooseSaveName(index);
        if (path.isEmpty())
            continue;
        bool saved = QFile(path).exists() ? QFile::remove(path) : true;
        WaitIndicator wait;
        saved = saved && widget->swapFile()->save(path);
        qDebug() << (saved ? "Save SUCCEEDED" : "Save FAILED") << path;
    }
}

void MainWindow::on_actionLoad()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open file"),
                                                      folderSetting("Main/load-path"), QLatin1String(kFileFilter));
    if (path.isEmpty())
        return;
    storeFolderOf("Main/load-path", path);
    loadFile(path);
}

bool MainWindow::loadFile(const QString& path)
{
    const SwapFileHeader header = SwapFile::readHeader(path);
    if (header.deviceKind == SwapFileHeader::kUnreadable) {
        QMessageBox::critical(this, tr("Open file"), tr("The file is corrupted or in the wrong format"));
        return false;
    }
    if (header.deviceKind != SwapFileHeader::kPower500 && header.deviceKind != SwapFileHeader::kPower600) {
        QMessageBox::critical(this, tr("Open file"), tr("The file is in the wrong format"));
        return false;
    }

    GLWidget* widget = addTab();
    widget->setCursor(Qt::WaitCursor);
    const bool model600 = header.deviceKind == SwapFileHeader::kPower600;
    if (widget->data().isEmpty()) {
        if (model600) {
            Helpers::power600Mode = true;
            setPower600Mode();
        } else {
            Helpers::powerMode = true;
            setPowerMode();
        }
        createDefaultsPower();
        QList<int> channels;
        const int count = qBound(0, int(header.channelCount), model600 ? 32 : 8);
        for (int i = 0; i < count; ++i)
            channels << (model600 ? header.channelList32[i] : header.channelList[i]);
        widget->addChannels(channels);
    }
    SwapFile* swap = widget->swapFile();
    const bool ok = swap->read(path, m_viewSpan, widget->data());

    const SwapFileHeader& loaded = swap->header();
    QList<int> channels;
    for (int i = 0; i < qBound(0, int(loaded.channelCount), model600 ? 32 : 8); ++i)
        channels << (model600 ? loaded.channelList32[i] : loaded.channelList[i]);
    adjustAxisName(channels, loaded.temperatureScale == 1);
    requestReplot();
    m_powerPanel->updateControls(loaded);
    widget->setCursor(Qt::ArrowCursor);

    const int index = ui->tabWidget->indexOf(widget);
    if (ok) {
        ui->tabWidget->setTabText(index, QFileInfo(path).baseName());
        m_newTabDue = false;
        showStatusMessage(tr("Loaded"), 10000);
        m_runStart = QDateTime::currentMSecsSinceEpoch();
        adjustRanges(5, 10);
        PowerPlot* plot = widget->plotter();
        plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
        plot->axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
        plot->axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
        on_plottableDoubleClick(nullptr, nullptr);
        widget->addTitle();
    } else if (ui->tabWidget->count() > 1) {
        ui->tabWidget->removeTab(index);
        widget->deleteLater();
    }
    enableToolbar(true, false);
    if (PowerPlot* plot = widget->plotter())
        plot->timeAxis()->setTwoRowLabels(true);
    return ok;
}

void MainWindow::on_closeTab(int index)
{
    auto* widget = qobject_cast<GLWidget*>(ui->tabWidget->widget(index));
    if (!widget)
        return;
    if (Helpers::isMeasuring)
        terminateMeasuring();
    const QString title = tr("Close");
    const QString name = ui->tabWidget->tabText(index);
    bool close = false;
    if (widget->isSaved()) {
        close = Helpers::warning(this, title, QStringLiteral("%1 %2?").arg(title, name),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
                == QMessageBox::Yes;
    } else {
        const auto answer = Helpers::warning(this, title,
                                             tr("%1 is not saved. Want to save it before closing?").arg(name),
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                             QMessageBox::Yes);
        close = answer == QMessageBox::No || (answer == QMessageBox::Yes && save(index));
    }
    if (!close)
        return;
    ui->tabWidget->removeTab(index);
    delete widget;
    finishEmptyTabs();
}

// The last tab closed: an empty one takes its place.
void MainWindow::finishEmptyTabs()
{
    if (ui->tabWidget->count() > 0)
        return;
    addTab()->addChannels({});
    m_newTabDue = true;
    m_readoutLabel->setText(m_readoutFormat.arg(QStringLiteral("#0: --"), QStringLiteral("#1: --"),
                                                QStringLiteral("#2: --"), QStringLiteral(" --")));
    m_popup->setPopupText(QString());
}

void MainWindow::closeTabSilent(int index, bool addEmptyTab)
{
    QWidget* page = ui->tabWidget->widget(index);
    if (!page)
        return;
    if (Helpers::isMeasuring)
        terminateMeasuring();
    ui->tabWidget->removeTab(index);
    delete page;
    if (Helpers::loggerMode() && addEmptyTab)
        finishEmptyTabs();
}

void MainWindow::closeAllTabs()
{
    for (int count = ui->tabWidget->count(); count > 0; --count)
        closeTabSilent(0, false);
}

void MainWindow::on_swapFileError(int code)
{
    const QString message = SwapFile::errorText(code);
    qDebug() << "on_swapFileError" << message;
    showStatusError(message, 5000);
}
