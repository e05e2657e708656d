// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/optionsdialogbase.h"

#include "app/helpers.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "device/updatedialog.h"
#include "protocol/deviceinfo.h"
#include "settings/powerdisplay.h"
#include "updates/downloader.h"
#include "updates/updater.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDebug>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>

#include <algorithm>

namespace {
constexpr int kClockRefreshMs = 10000;
const QChar kDegree(0x00B0);
const QChar kCopyright(0x00A9);

QString timePrefix(bool hours24)
{
    return hours24 ? QStringLiteral("hh:mm ") : QStringLiteral("hh:mm ap ");
}

QString savePath()
{
    return Settings().value(QStringLiteral("Main/save-path"), Settings::localDataDir()).toString();
}

bool sameBytes(const Packet& a, const Packet& b)
{
    return std::equal(a.data(), a.data() + Packet::kSize, b.data());
}

void storeSavePath(const QString& file)
{
    Settings().setValue(QStringLiteral("Main/save-path"), QFileInfo(file).absolutePath());
}
} // namespace

OptionsDialogBase::Screen OptionsDialogBase::screen(PowerGetPacket::Group group, PowerDisplay* picker, QCheckBox* box,
                                                    unsigned char mask)
{
    const QString none = tr("NONE");
    switch (group) {
    case PowerGetPacket::Total:
        return {picker, PowerGetPacket::kScreenTotal, box, mask, group, tr("TOTAL"), {none, none, none}};
    case PowerGetPacket::Power:
        return {picker, PowerGetPacket::kScreenPower, box, mask, group, tr("POWER"), {none, none, tr("LOAD")}};
    case PowerGetPacket::Aux:
        return {picker, PowerGetPacket::kScreenAux, box, mask, group, tr("AUX"), {none, none, tr("USB C")}};
    case PowerGetPacket::Site:
        break;
    }
    return {picker, PowerGetPacket::kScreenSite600, box, mask, group, tr("SITE"), {none, none, none}};
}

OptionsDialogBase::OptionsDialogBase(Updater* updater, QWidget* parent)
    : QDialog(parent)
    , m_updater(updater)
{
}

OptionsDialogBase::~OptionsDialogBase()
{
    Settings settings;
    settings.setValue(QStringLiteral("Update/auto-check-firm"), c.checkAutoUpdateFirm->isChecked());
    settings.setValue(QStringLiteral("Update/auto-check-soft"), c.checkAutoUpdateSoft->isChecked());
    settings.setValue(QStringLiteral("Update/update-path-fw"), m_firmwarePath);
    settings.setValue(QStringLiteral("Options/dark-color"), c.radioButtonDark->isChecked());
    settings.setValue(QStringLiteral("Options/native-time"), c.radioButtonTime->isChecked());
    settings.setValue(QStringLiteral("Options/geometry"), saveGeometry());
}

void OptionsDialogBase::initialise(const OptionsControls& controls, const QList<Screen>& screens,
                                   const QList<ScreenSwitch>& switches)
{
    c = controls;
    m_screens = screens;
    m_switches = switches;
    m_settingsTitle = c.tabWidget->tabText(c.tabWidget->indexOf(c.tabSettings));
    c.tabWidget->removeTab(c.tabWidget->indexOf(c.tabSettings));
    c.tabWidget->setCurrentIndex(0);
    c.groupBoxTune12->setVisible(Helpers::power600Mode);
    c.doubleSpinBoxAmpers->setMaximum(25.5); // the block holds tenths in one byte
    fillSWInfo();
    fillFWInfo();
    fillTexts();
    connectAppearance();
    readUpdateKeys();
    c.groupBoxFirmware->setEnabled(modelMode());
    connectUpdatePage();
    connect(c.comboBoxLanguages, &QComboBox::currentIndexChanged, this, &OptionsDialogBase::languageChanged);
    connect(c.btnQt, &QPushButton::clicked, this, [this] { QMessageBox::aboutQt(this, tr("Qt")); });
    setPowerMode();
}

void OptionsDialogBase::fillTexts()
{
    c.labelFullName->setText(QCoreApplication::applicationName());
    c.label_VersionNumber->setText(
        QStringLiteral("%1 (%2)").arg(QCoreApplication::applicationVersion(), QLatin1String(AMPORA_BUILD_DATE)));
    c.labelCopyright->setText(c.labelCopyright->text().arg(kCopyright));
}

void OptionsDialogBase::connectAppearance()
{
    Settings settings;
    const bool dark = settings.value(QStringLiteral("Options/dark-color"), false).toBool();
    (dark ? c.radioButtonDark : c.radioButtonLight)->setChecked(true);
    emit changeColorTheme(dark);
    emit changeColors();
    const bool native = settings.value(QStringLiteral("Options/native-time"), false).toBool();
    (native ? c.radioButtonTime : c.radioButtonSeconds)->setChecked(true);
    connect(c.radioButtonDark, &QRadioButton::toggled, this, [this](bool on) {
        emit changeColorTheme(on);
        emit changeColors();
    });
    connect(c.radioButtonTime, &QRadioButton::toggled, this, [this](bool on) {
        Helpers::timeFormat = on ? 2 : 1;
        emit timeFormatChanged();
    });
}

void OptionsDialogBase::readUpdateKeys()
{
    Settings settings;
    c.checkAutoUpdateFirm->setChecked(settings.value(QStringLiteral("Update/auto-check-firm"), true).toBool());
    c.checkAutoUpdateSoft->setChecked(settings.value(QStringLiteral("Update/auto-check-soft"), true).toBool());
    m_hasNewSW = settings.value(QStringLiteral("Update/has-new-sw"), false).toBool();
    m_hasNewFW = settings.value(QStringLiteral("Update/has-new-fw"), false).toBool();
    m_firmwarePath = settings.value(QStringLiteral("Update/update-path-fw")).toString();
    c.browseLine->setText(m_firmwarePath.isEmpty() ? tr("Choose file") : m_firmwarePath);
    c.btnUpdateFirm->setEnabled(!m_firmwarePath.isEmpty());
}

void OptionsDialogBase::connectUpdatePage()
{
    connect(c.btnBrowse, &QPushButton::clicked, this, &OptionsDialogBase::on_btnBrowse);
    connect(c.btnUpdateFirm, &QPushButton::clicked, this, &OptionsDialogBase::on_btnUpdateFirm);
    connect(c.btnCheckUpdateFirm, &QPushButton::clicked, this, &OptionsDialogBase::on_btnCheckUpdateFirm);
    connect(c.btnCheckUpdateSoft, &QPushButton::clicked, this, &OptionsDialogBase::on_btnCheckUpdateSoft);
    connect(c.buttonFWUpdate, &QPushButton::clicked, this, &OptionsDialogBase::on_buttonFWUpdate);
    connect(c.checkAutoUpdateFirm, &QCheckBox::toggled, this, [this](bool on) {
        Settings().setValue(QStringLiteral("Update/auto-check-firm"), on);
        emit autoFWUpdatesChecked(on);
    });
    connect(c.checkAutoUpdateSoft, &QCheckBox::toggled, this, [this](bool on) {
        Settings().setValue(QStringLiteral("Update/auto-check-soft"), on);
        emit autoSWUpdatesChecked(on);
    });
    connect(c.buttonFWDetails, &QPushButton::clicked, this, [this] {
        showDetails(tr("Firmware info"), m_updater ? m_updater->firmwareDownloader()->info() : QString());
    });
    connect(c.buttonSWDetails, &QPushButton::clicked, this, [this] {
        showDetails(tr("Software info"), m_updater ? m_updater->softwareDownloader()->info() : QString());
    });
    connect(c.buttonSWDownload, &QPushButton::clicked, this, &OptionsDialogBase::downloadSoftware);
    c.labelSWVersionAvailable->setVisible(m_hasNewSW);
    c.buttonSWDetails->setVisible(m_hasNewSW);
    c.buttonSWDownload->setVisible(m_hasNewSW);
    c.labelFWVersionAvailable->setVisible(m_hasNewFW);
    c.buttonFWDetails->setVisible(m_hasNewFW);
    c.buttonFWUpdate->setVisible(m_hasNewFW);
}

void OptionsDialogBase::setLanguages(const QList<QString>& names, int current)
{
    // Filling or selecting the language in use is no change of language.
    const QSignalBlocker blocker(c.comboBoxLanguages);
    if (c.comboBoxLanguages->count() == 0)
        c.comboBoxLanguages->addItems(names);
    c.comboBoxLanguages->setCurrentIndex(current);
}

QString OptionsDialogBase::languageDataFolder()
{
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).canonicalPath();
}

void OptionsDialogBase::setPowerMode()
{
    if (!isConnected())
        return;
    c.tabWidget->insertTab(1, c.tabSettings, m_settingsTitle);
    c.tabWidget->setCurrentWidget(c.tabSettings);
    m_block.setUtcOffsetHours(PowerGetPacket::utcOffsetHoursOf(QDateTime::currentDateTime()));
    m_clockTimer.start(kClockRefreshMs);
    connect(&m_clockTimer, &QTimer::timeout, this,
            [this] { c.dateTimeEditSyncPC->setDateTime(QDateTime::currentDateTime()); });

    c.checkBoxF->setText(tr("Temperature, %1F").arg(kDegree));
    c.dateTimeEditOn->setDisplayFormat(QStringLiteral("hh:mm"));
    c.dateTimeEditOff->setDisplayFormat(QStringLiteral("hh:mm"));
    c.comboBoxDateFormatPC->addItems(PowerGetPacket::dateFormats());
    c.comboBoxDateFormatPC->setCurrentIndex(1);
    afterDateFormats();
    for (QDateTimeEdit* clock : {c.dateTimeEditSyncPC, c.dateTimeEditSyncDevice}) {
        clock->setDisplayFormat(QStringLiteral("hh:mm MM/dd/yyyy"));
        clock->setDateTime(QDateTime::currentDateTime());
    }
    connectSettingsTab();
    fillShowOptions();

    c.radioButtonDigital->setChecked(true);
    c.checkBox24h->setChecked(true);
    c.checkBoxF->setChecked(false);
    c.doubleSpinBoxAmpers->setValue(0.1);
    c.spinBoxMinutes->setValue(1);
    for (const Screen& screen : std::as_const(m_screens)) {
        screen.picker->setStatus(&m_status);
        screen.picker->update(QStringList{screen.title} + screen.placeholder);
    }
    m_block.init();
}

void OptionsDialogBase::connectSettingsTab()
{
    connect(c.comboBoxDateFormatPC, &QComboBox::currentIndexChanged, this, &OptionsDialogBase::onDateFormatChosen);
    connect(c.checkBox24h, &QCheckBox::toggled, this, &OptionsDialogBase::format24hChecked);
    connect(c.checkBoxF, &QCheckBox::toggled, this, [this](bool fahrenheit) {
        m_status.setCelsius(!fahrenheit);
        refreshPickers();
    });
    connect(c.pushButtonApply, &QPushButton::clicked, this, &OptionsDialogBase::on_apply);
    connect(c.pushButtonSave, &QPushButton::clicked, this, &OptionsDialogBase::on_save);
    connect(c.pushButtonSync, &QPushButton::clicked, this, &OptionsDialogBase::on_sync);
    connect(c.pushButtonDefaults, &QPushButton::clicked, this, &OptionsDialogBase::on_restoreDefaults);
    connect(c.pushButtonExport, &QPushButton::clicked, this, &OptionsDialogBase::on_export);
    connect(c.pushButtonImport, &QPushButton::clicked, this, &OptionsDialogBase::on_import);
}

void OptionsDialogBase::fillShowOptions()
{
    for (const Screen& screen : std::as_const(m_screens)) {
        screen.picker->setMenu(screen.identifier);
        screen.picker->setTitle(screen.title);
    }
}

void OptionsDialogBase::refreshPickers()
{
    for (const Screen& screen : std::as_const(m_screens))
        screen.picker->adjustFormats();
}

void OptionsDialogBase::setClockFormats()
{
    const QString format = timePrefix(c.checkBox24h->isChecked()) + c.comboBoxDateFormatPC->currentText();
    c.dateTimeEditSyncPC->setDisplayFormat(format);
    c.dateTimeEditSyncDevice->setDisplayFormat(format);
}

void OptionsDialogBase::format24hChecked(bool on)
{
    m_status.setHours24(on);
    c.dateTimeEditOn->setDisplayFormat(timePrefix(on));
    c.dateTimeEditOff->setDisplayFormat(timePrefix(on));
    setClockFormats();
    refreshPickers();
}

void OptionsDialogBase::onDateFormatChosen(int index)
{
    m_status.setDateFormat(c.comboBoxDateFormatPC->itemText(index));
    setClockFormats();
    refreshPickers();
}

void OptionsDialogBase::on_paketReceived(PowerGetPacket& packet)
{
    // The unit repeats its block every poll; only a block that changed may
    // replace what the user is editing.
    const bool repeat = m_blockReceived && sameBytes(packet, m_lastReceived);
    m_lastReceived = packet;
    if (repeat)
        return;
    m_block = packet;
    if (!m_blockReceived) {
        m_reference = packet;
        m_blockReceived = true;
    }
    parsePacket();
    m_status.setCelsius(!c.checkBoxF->isChecked());
    refreshPickers();
}

void OptionsDialogBase::on_paketDataReceived(PowerDataPacket& packet)
{
    m_status.set(packet.data(), Packet::kSize); // the display preferences stay
    c.labelSerial->setText(tr("Serial number: ") + HidDevice::device()->serialNumber());
    c.labelVersion->setText(tr("Version: ") + m_status.version());
    c.firmwareVersion->setText(m_status.version());
    // The unit's clock runs on; the first block may come before any status.
    c.dateTimeEditSyncDevice->setDateTime(QDateTime::fromSecsSinceEpoch(m_status.deviceTime()));
    m_status.setCelsius(!c.checkBoxF->isChecked());
    refreshPickers();
    if (!m_blockReceived)
        sendBlockRequest();
}

void OptionsDialogBase::sendBlockRequest()
{
    HidDevice::device()->sendPacket(PowerGetPacket());
}

void OptionsDialogBase::parsePacket()
{
    const PowerGetPacket& b = m_block;
    c.checkBoxLongtouch->setChecked(b.hasBit(1, PowerGetPacket::kLongTouch));
    c.checkBoxRestoreOutput->setChecked(b.hasBit(1, PowerGetPacket::kRestoreOnMains));
    c.checkBoxAutoSwitchMinutes->setChecked(b.hasBit(1, PowerGetPacket::kAutoOffLowCurrent));
    c.checkBoxAutoSwitchOn->setChecked(b.hasBit(1, PowerGetPacket::kAutoOnAtTime));
    c.checkBoxAutoSwitchOff->setChecked(b.hasBit(1, PowerGetPacket::kAutoOffAtTime));
    c.doubleSpinBoxAmpers->setValue(b.autoOffAmpers() / 10.0);
    c.spinBoxMinutes->setValue(b.autoOffAfter());
    c.dateTimeEditOn->setTime(QTime(b.autoOnHours(), b.autoOnMinutes(), 0));
    c.dateTimeEditOff->setTime(QTime(b.autoOffHours(), b.autoOffMinutes(), 0));

    c.groupBoxTime->setChecked(b.hasBit(2, PowerGetPacket::kClockWhenOff));
    c.radioButtonDigital->setChecked(b.hasBit(2, PowerGetPacket::kDigitalClock));
    c.radioButtonClassic->setChecked(!b.hasBit(2, PowerGetPacket::kDigitalClock));
    c.checkBoxF->setChecked(!b.hasBit(2, PowerGetPacket::kCelsius));
    c.checkBox24h->setChecked(b.hasBit(2, PowerGetPacket::kHours24));
    format24hChecked(b.hasBit(2, PowerGetPacket::kHours24));
    c.comboBoxDateFormatPC->setCurrentIndex(b.dateFormat());

    c.checkBoxShowStatusInterval->setChecked(b.hasBit(3, PowerGetPacket::kSlideShow));
    c.spinBoxShowInterval->setValue(b.slideShowSec());
    for (const ScreenSwitch& sw : std::as_const(m_switches))
        sw.box->setChecked(b.hasBit(3, sw.mask));
    for (const Screen& screen : std::as_const(m_screens)) {
        screen.box->setChecked(b.hasBit(3, screen.mask));
        screen.picker->applyFields(b.codes(screen.group));
    }

    c.dateTimeEditSyncPC->setDateTime(QDateTime::currentDateTime());
    c.dateTimeEditSyncDevice->setDateTime(QDateTime::fromSecsSinceEpoch(m_status.deviceTime()));
    parseModel();
}

void OptionsDialogBase::preparePacket(PowerGetPacket& block)
{
    block.init();
    block.setBit(1, PowerGetPacket::kLongTouch, c.checkBoxLongtouch->isChecked());
    block.setBit(1, PowerGetPacket::kRestoreOnMains, c.checkBoxRestoreOutput->isChecked());
    block.setBit(1, PowerGetPacket::kAutoOffLowCurrent, c.checkBoxAutoSwitchMinutes->isChecked());
    block.setBit(1, PowerGetPacket::kAutoOnAtTime, c.checkBoxAutoSwitchOn->isChecked());
    block.setBit(1, PowerGetPacket::kAutoOffAtTime, c.checkBoxAutoSwitchOff->isChecked());
    // The box shows one decimal; rounding keeps 2.3 A from becoming 22 tenths.
    block.setAutoOffAmpers(static_cast<unsigned char>(qRound(c.doubleSpinBoxAmpers->value() * 10)));
    block.setAutoOffAfter(static_cast<unsigned char>(c.spinBoxMinutes->value()));
    const QTime on = c.dateTimeEditOn->time();
    const QTime off = c.dateTimeEditOff->time();
    block.setAutoOnTime(static_cast<unsigned char>(on.hour()), static_cast<unsigned char>(on.minute()));
    block.setAutoOffTime(static_cast<unsigned char>(off.hour()), static_cast<unsigned char>(off.minute()));

    block.setBit(2, PowerGetPacket::kClockWhenOff, c.groupBoxTime->isChecked());
    block.setBit(2, PowerGetPacket::kDigitalClock, c.radioButtonDigital->isChecked());
    block.setBit(2, PowerGetPacket::kCelsius, !c.checkBoxF->isChecked());
    block.setBit(2, PowerGetPacket::kHours24, c.checkBox24h->isChecked());
    block.setDateFormat(static_cast<unsigned char>(qMax(0, c.comboBoxDateFormatPC->currentIndex())));

    block.setBit(3, PowerGetPacket::kSlideShow, c.checkBoxShowStatusInterval->isChecked());
    block.setSlideShowSec(static_cast<unsigned char>(c.spinBoxShowInterval->value()));
    for (const ScreenSwitch& sw : std::as_const(m_switches))
        block.setBit(3, sw.mask, sw.box->isChecked());
    block.setUtcOffsetHours(PowerGetPacket::utcOffsetHoursOf(QDateTime::currentDateTime()));
    for (const Screen& screen : std::as_const(m_screens)) {
        block.setBit(3, screen.mask, screen.box->isChecked());
        block.setCodes(screen.group, screen.picker->codes());
    }
}

bool OptionsDialogBase::hasSettingsPage() const
{
    return c.tabWidget->indexOf(c.tabSettings) >= 0;
}

bool OptionsDialogBase::isConnected() const
{
    return HidDevice::device()->isOpen();
}

void OptionsDialogBase::send(PowerSetPacket::Command command)
{
    PowerSetPacket packet(m_block);
    packet.addCommand(command);
    if (command == PowerSetPacket::kSyncClock)
        packet.syncClock(QDateTime::currentDateTime());
    HidDevice::device()->sendPacket(packet);
}

void OptionsDialogBase::on_apply()
{
    sendIfConnected(PowerSetPacket::kApply);
}

void OptionsDialogBase::on_save()
{
    sendIfConnected(PowerSetPacket::kSave);
}

bool OptionsDialogBase::sendIfConnected(PowerSetPacket::Command command)
{
    if (!isConnected()) {
        Helpers::warning(this, tr("Warning"), tr("Device disconnected"), QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }
    preparePacket();
    send(command);
    return true;
}

void OptionsDialogBase::on_sync()
{
    preparePacket();
    send(PowerSetPacket::kSyncClock);
}

void OptionsDialogBase::on_restoreDefaults()
{
    send(PowerSetPacket::kRestoreDefaults);
}

void OptionsDialogBase::closeEvent(QCloseEvent* event)
{
    // Without a unit there is nothing to save.
    if (hasSettingsPage()) {
        preparePacket();
        if (!sameBytes(m_block, m_reference))
            askToSave();
    }
    event->accept();
    QDialog::closeEvent(event);
}

bool OptionsDialogBase::askToSave()
{
    const int answer = Helpers::warning(this, tr("Close"), tr("Ampora ") + tr("Settings are not saved. Save now?"),
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes && sendIfConnected(PowerSetPacket::kStore);
}

void OptionsDialogBase::done(int result)
{
    Settings().setValue(QStringLiteral("Options/dark-color"), c.radioButtonDark->isChecked());
    QDialog::done(result);
}

void OptionsDialogBase::on_export()
{
    preparePacket();
    QJsonObject object = m_block.toJson();
    exportModel(object);
    const QString name = exportPrefix() + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"))
                         + QStringLiteral(".json");
    const QString path = QFileDialog::getSaveFileName(this, tr("Export settings to JSON"),
                                                      QDir(savePath()).absoluteFilePath(name), QStringLiteral("*.json"));
    if (path.isEmpty())
        return;
    storeSavePath(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

void OptionsDialogBase::on_import()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Import settings from JSON"), savePath(), QStringLiteral("*.json"));
    if (path.isEmpty())
        return;
    storeSavePath(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << "Library::load()" << error.errorString() << error.offset;
        qDebug() << "Library::load" << content;
        return;
    }
    m_block.fromJson(document.object());
    parsePacket();
    importModel(document.object());
}

void OptionsDialogBase::exportModel(QJsonObject&) const
{
}

void OptionsDialogBase::importModel(const QJsonObject&)
{
}

void OptionsDialogBase::fillSWInfo()
{
    c.softwareVersion->setText(QCoreApplication::applicationVersion());
}

void OptionsDialogBase::fillFWInfo()
{
    if (Helpers::powerMode || Helpers::power600Mode) {
        c.modelLabel->setText(Helpers::powerMode ? QStringLiteral("Kelvane Power 500")
                                                 : QStringLiteral("Kelvane Power 600"));
        c.firmwareVersion->setText(m_status.version());
        c.serialLabel->setText(HidDevice::device()->serialNumber());
        return;
    }
    const DeviceInfo& info = DeviceInfo::stored();
    const QString serial = QStringLiteral("%1").arg(info.serialNumber(), 9, 10, QLatin1Char('0'));
    c.modelLabel->setText(serial.startsWith(QLatin1String("5001")) ? QStringLiteral("orvix") : QStringLiteral("other"));
    c.firmwareVersion->setText(info.version());
    c.serialLabel->setText(serial);
}

void OptionsDialogBase::on_newSWAvailable(bool available)
{
    c.labelSWVersionAvailable->setVisible(available);
    c.buttonSWDetails->setVisible(true);
    c.buttonSWDownload->setVisible(true);
    c.btnCheckUpdateSoft->setText(tr("Check"));
}

void OptionsDialogBase::on_newFWAvailable(bool available)
{
    c.labelFWVersionAvailable->setVisible(available);
    c.buttonFWDetails->setVisible(true);
    c.buttonFWUpdate->setVisible(true);
    c.btnCheckUpdateFirm->setText(tr("Check"));
}

void OptionsDialogBase::on_btnCheckUpdateFirm()
{
    c.btnCheckUpdateFirm->setText(tr("Checking"));
    emit checkFWUpdates();
}

void OptionsDialogBase::on_btnCheckUpdateSoft()
{
    c.btnCheckUpdateSoft->setText(tr("Checking"));
    emit checkSWUpdates();
}

void OptionsDialogBase::on_btnBrowse()
{
    m_firmwarePath = QFileDialog::getOpenFileName(this, tr("Open firmware file"), QString(), QStringLiteral("*.bin"));
    c.browseLine->setText(m_firmwarePath.isEmpty() ? tr("Choose file") : m_firmwarePath);
    c.btnUpdateFirm->setEnabled(!m_firmwarePath.isEmpty());
}

void OptionsDialogBase::on_btnUpdateFirm()
{
    auto* dialog = new UpdateDialog(m_firmwarePath, true, this);
    connect(dialog, &UpdateDialog::updateFirmwareTerminated, HidDevice::device(), &HidDevice::terminateUpdate);
    runUpdateDialog(dialog);
}

void OptionsDialogBase::on_buttonFWUpdate()
{
    if (!m_updater)
        return;
    auto* dialog = new UpdateDialog(m_updater->firmwareDownloader(), true, this);
    connect(dialog, &UpdateDialog::updateFirmwareTerminated, this, [] {});
    runUpdateDialog(dialog);
    fillFWInfo();
}

void OptionsDialogBase::runUpdateDialog(UpdateDialog* dialog)
{
    m_updateDialog = dialog;
    dialog->exec();
    dialog->disconnect();
    dialog->deleteLater();
}

void OptionsDialogBase::showDetails(const QString& title, const QString& text)
{
    QMessageBox::information(this, title, text);
}

void OptionsDialogBase::downloadSoftware()
{
    const QString link = m_updater ? m_updater->softwareDownloader()->downloadLink() : QString();
    if (link.isEmpty()) {
        QMessageBox::warning(this, tr("Download SW"), tr("File name is empty. Nothing to download."));
        return;
    }
    const QString file = QUrl(link).fileName();
    if (Updater::openDownloadLink(link))
        QMessageBox::information(this, tr("Download SW"), tr("Default web browser downloads file ") + file);
    else
        QMessageBox::warning(this, tr("Download SW"), tr("Default web browser can't download file ") + file);
}

void OptionsDialogBase::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateForm();
        fillTexts();
        c.checkBoxF->setText(c.checkBoxF->text().arg(kDegree));
        c.labelSerial->setText(tr("Serial number: ") + HidDevice::device()->serialNumber());
        c.labelVersion->setText(tr("Version: ") + m_status.version());
        if (m_firmwarePath.isEmpty())
            c.browseLine->setText(tr("Choose file"));
    }
    QDialog::changeEvent(event);
}
