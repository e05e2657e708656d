// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/powerpanel.h"

#include "app/helpers.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "plot/glwidget.h"
#include "protocol/channelinfo.h"
#include "protocol/packet.h"
#include "protocol/powerdatapacket.h"
#include "recording/swapfileheader.h"
#include "ui_powerpanel.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcPowerPanel, "ampora.panel")

namespace {
const QString kNoValue = QStringLiteral("--");
const QChar kDegree(0x00B0);
constexpr int kPixmapSize = 32;
constexpr int kRowHeight = 20;
constexpr int kLabelColumnWidth = 150;
const char* const kRates[] = {"10", "20", "50", "100", "200", "500", "1000"};

QPixmap indicator(const QString& path)
{
    return QPixmap(path).scaled(kPixmapSize, kPixmapSize);
}

QString fixed(const QString& format, double value, int decimals)
{
    return format.arg(value, 0, 'f', decimals);
}

// The unit sits before the first comma of a description; no comma, no unit.
QString unitOf(const ChannelInfo& info)
{
    const QString text = info.info();
    const int comma = text.indexOf(QLatin1Char(','));
    return comma < 0 ? QString() : text.left(comma);
}

// The recorded channel numbers of a header: the wide list belongs to model 600 recordings.
QList<int> headerChannels(const SwapFileHeader& header)
{
    const bool wide = Helpers::power600Mode;
    const int listSize = wide ? int(sizeof header.channelList32) : int(sizeof header.channelList);
    const int count = qBound(0, int(header.channelCount), listSize);
    QList<int> channels;
    for (int i = 0; i < count; ++i)
        channels.append(wide ? header.channelList32[i] : header.channelList[i]);
    return channels;
}
} // namespace

PowerPanel::PowerPanel(QWidget* parent)
    : Panel(parent)
    , ui(std::make_unique<Ui_PowerPanel>())
    , m_statusTimer(new QTimer(this))
{
    ui->setupUi(this);
    ui->checkBoxFilter->hide();
    ui->checkBoxTemperature->setText(kDegree + QStringLiteral(", ") + ui->checkBoxTemperature->text());

    m_pixmapOn = indicator(QStringLiteral(":/res/bullet_ball_green.png"));
    m_pixmapOff = indicator(QStringLiteral(":/res/bullet_ball_grey.png"));

    const bool dark = Settings().value(QStringLiteral("Options/dark-color"), false).toBool();

    ui->checkBoxCustom->setChecked(false);
    onCustomToggled(false);

    m_statusTimer->setInterval(kPollPeriodMs);
    connectControls();
    on_changeColorTheme(dark);

    ui->btnCheckPower->setEnabled(false);
    ui->btnStart->setEnabled(false);
    ui->btnStop->setEnabled(true);
    togglePowerIndicator(false);

    QTimer::singleShot(kPollStartDelayMs, m_statusTimer, qOverload<>(&QTimer::start));
}

PowerPanel::~PowerPanel() = default;

void PowerPanel::connectControls()
{
    connect(ui->checkBoxCustom, &QCheckBox::toggled, this, &PowerPanel::onCustomToggled);
    connect(ui->tableWidget, &QTableWidget::itemChanged, this, &PowerPanel::onItemChanged);
    connect(ui->btnStart, &QPushButton::clicked, this, &PowerPanel::onStartClicked);
    connect(ui->btnStop, &QPushButton::clicked, this, &PowerPanel::onStopClicked);
    connect(ui->btnCheckPower, &QPushButton::clicked, this, &PowerPanel::onPowerClicked);
    connect(m_statusTimer, &QTimer::timeout, this, &PowerPanel::onPollTimeout);
    connect(ui->checkBoxTemperature, &QCheckBox::clicked, this, [](bool checked) {
        Helpers::isFahrentheit = checked;
    });
}

bool PowerPanel::isFahrentheit() const
{
    return ui->checkBoxTemperature->isChecked();
}

bool PowerPanel::isCustom() const
{
    return ui->checkBoxCustom->isChecked();
}

QList<int> PowerPanel::channels() const
{
    QList<int> rows;
    for (int row = 0; row < ui->tableWidget->rowCount(); ++row) {
        const QTableWidgetItem* item = ui->tableWidget->item(row, 0);
        if (item && item->checkState() == Qt::Checked)
            rows.append(row);
    }
    return rows;
}

void PowerPanel::onCustomToggled(bool custom)
{
    ui->comboBoxSampleRate->setEnabled(!custom);
    ui->spinBoxSampleRate->setEnabled(custom);
}

void PowerPanel::setChannelsTable()
{
    QTableWidget* table = ui->tableWidget;
    table->setRowCount(0);
    table->setColumnWidth(0, kLabelColumnWidth);
    const ChannelInfo::Table& described = ChannelInfo::channels();
    for (auto it = described.cbegin(); it != described.cend(); ++it) {
        const int channel = it.key();
        auto* label = new QTableWidgetItem(QStringLiteral("#%1: %2").arg(channel).arg(it.value().name()));
        label->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        label->setData(Qt::UserRole, channel);
        label->setCheckState(Qt::Unchecked);
        const int row = table->rowCount();
        table->insertRow(row);
        table->setRowHeight(row, kRowHeight);
        table->setItem(row, 0, label);
        table->setItem(row, 1, new QTableWidgetItem(kNoValue));
    }
    addSampleRateItems();
}

QString PowerPanel::rateItemText(const QString& rate)
{
    return QStringLiteral(" %1 %2").arg(rate, QCoreApplication::translate("MainWindow", "Hz"));
}

void PowerPanel::addSampleRateItems()
{
    ui->comboBoxSampleRate->clear();
    for (const char* rate : kRates) {
        const QString text = QString::fromLatin1(rate);
        ui->comboBoxSampleRate->addItem(rateItemText(text), text);
    }
    ui->comboBoxSampleRate->setCurrentIndex(0);
}

void PowerPanel::onItemChanged(QTableWidgetItem* item)
{
    if (item->column() != 0 || item->checkState() != Qt::Checked)
        return;
    if (channels().size() <= kMaxChannels)
        return;
    const QSignalBlocker blocker(ui->tableWidget);
    item->setCheckState(Qt::Unchecked);
}

QString PowerPanel::startCommand(const QString& rate, const QList<int>& channels) const
{
    QString command = QStringLiteral("LOG") + rate + QLatin1Char('C');
    for (int row : channels)
        command += QString::number(row, 16).toUpper();
    return command + QLatin1Char('\n');
}

void PowerPanel::onStartClicked()
{
    if (Helpers::isMeasuring || !ui->btnStart->isEnabled())
        return;
    const QList<int> rows = channels();
    if (rows.isEmpty())
        return;
    ui->btnStart->setEnabled(false);
    ui->btnCheckPower->setEnabled(false);
    ui->checkBoxTemperature->setEnabled(false);

    const QString rate = isCustom() ? QString::number(ui->spinBoxSampleRate->value())
                                    : ui->comboBoxSampleRate->currentData().toString();
    const QString command = startCommand(rate, rows);
    m_sampleRate = rate;
    m_channels = rows;
    clearValues();
    emit startPowerLog(command);
    Helpers::isMeasuring = true;
}

void PowerPanel::onStopClicked()
{
    emit stopPowerLog(QStringLiteral("LOGSTOP\n"));
    ui->checkBoxTemperature->setEnabled(true);
    stopLog();
}

void PowerPanel::onPowerClicked()
{
    // The indicator follows the unit's next answer, not the click.
    HidDevice::device()->sendCommand(m_powerOn ? QStringLiteral("PSW0\r\n") : QStringLiteral("PSW1\r\n"));
}

void PowerPanel::onPollTimeout()
{
    if (!Helpers::isMeasuring)
        emit requestPowerStatus(QStringLiteral("POWER\n"));
}

void PowerPanel::responsePowerStatus(bool on)
{
    m_powerOn = on;
    ui->btnStart->setEnabled(on);
    ui->btnCheckPower->setEnabled(true);
    togglePowerIndicator(on);
    if (on && !Helpers::isMeasuring)
        HidDevice::device()->sendPacket(PowerPacket::statusRequest());
}

void PowerPanel::logFinished()
{
    ui->btnStart->setEnabled(true);
    ui->btnCheckPower->setEnabled(true);
}

void PowerPanel::logFailed(const QString& text)
{
    ui->btnStart->setEnabled(true);
    ui->btnCheckPower->setEnabled(true);
    Helpers::isMeasuring = false;
    qCDebug(lcPowerPanel).noquote() << "PowerPanel::logFailed:" << text;
}

void PowerPanel::togglePowerIndicator(bool on)
{
    ui->iconPWR->setPixmap(on ? m_pixmapOn : m_pixmapOff);
}

// The unit ends its log on its own; the run's end arrives as logFinished().
void PowerPanel::stopLog()
{
}

// The form keeps the texts of the start-up language.
void PowerPanel::on_translate()
{
}

void PowerPanel::setValueText(int row, const QString& text)
{
    if (row >= ui->tableWidget->rowCount())
        return;
    if (QTableWidgetItem* item = ui->tableWidget->item(row, 1))
        item->setText(text);
    else
        ui->tableWidget->setItem(row, 1, new QTableWidgetItem(text));
}

void PowerPanel::clearValues()
{
    for (int row = 0; row < ui->tableWidget->rowCount(); ++row)
        setValueText(row, kNoValue);
}

void PowerPanel::on_paketDataReceived(const PowerDataPacket& packet)
{
    PowerDataPacket status = packet;
    status.setCelsius(!isFahrentheit());
    const QString volts = QStringLiteral("%1V");
    const QString amps = QStringLiteral("%1A");
    setValueText(0, fixed(volts, status.outputVoltage() / 10.0, 1));
    setValueText(1, fixed(amps, status.outputCurrent() / 10.0, 1));
    setValueText(2, fixed(volts, status.usb1Voltage() / 10.0, 1));
    setValueText(3, fixed(amps, status.usb1Current() / 100.0, 2));
    setValueText(4, status.tout());
    setValueText(5, status.tin());
    setValueText(6, volts.arg(status.mainsVoltage()));
    setValueText(7, fixed(QStringLiteral("%1Hz"), status.mainsFrequency() / 10.0, 1));
    if (!Helpers::power600Mode)
        return;
    setValueText(8, fixed(volts, status.usb2Voltage() / 10.0, 1));
    setValueText(9, fixed(amps, status.usb2Current() / 100.0, 2));
    setValueText(10, fixed(volts, status.usb3Voltage() / 10.0, 1));
    setValueText(11, fixed(amps, status.usb3Current() / 100.0, 2));
    setValueText(12, fixed(volts, status.usb4Voltage() / 10.0, 1));
    setValueText(13, fixed(amps, status.usb4Current() / 100.0, 2));
}

QString PowerPanel::getInstantString(int channel, double value) const
{
    switch (channel) {
    case 0: case 2: case 8: case 10: case 12:
        return fixed(QStringLiteral("%1V"), value, 1);
    case 1: case 3: case 9: case 11: case 13:
        return fixed(QStringLiteral("%1A"), value, 1);
    case 4: case 5:
        return QStringLiteral("%1%2%3").arg(int(value)).arg(kDegree).arg(isFahrentheit() ? 'F' : 'C');
    case 6:
        return QStringLiteral("%1V").arg(int(value));
    case 7:
        return fixed(QStringLiteral("%1Hz"), value, 1);
    default:
        return kNoValue;
    }
}

void PowerPanel::fillInstant(double time, const QList<int>& channels, const QMap<int, QList<double>>& values,
                             QLabel* label, bool dark, GLWidget* widget)
{
    if (!Helpers::isMeasuring)
        return;
    QString text = QStringLiteral("<font color=%1>Time: %2s")
                       .arg(dark ? QStringLiteral("white") : QStringLiteral("black"),
                            QString::number(time, 'g', QLocale::FloatingPointShortest));
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        // The decoder keys by position in the run's list; trust neither side blindly.
        if (it.key() < 0 || it.key() >= channels.size() || it.value().isEmpty())
            continue;
        const int channel = channels.at(it.key());
        const double value = it.value().constLast();
        setValueText(channel, getInstantString(channel, value));
        if (!label)
            continue;
        const ChannelInfo info = ChannelInfo::getChannelInfo(static_cast<unsigned char>(channel));
        if (widget)
            text += QStringLiteral("<font color=%1>").arg(widget->getColor(channel, dark).name());
        text += QStringLiteral(", #%1: %2%3")
                    .arg(channel)
                    .arg(value, 0, 'f', info.precision())
                    .arg(unitOf(info));
    }
    if (label)
        label->setText(text);
}

void PowerPanel::updateControls(const SwapFileHeader& header)
{
    const bool fahrenheit = header.temperatureScale == 1;
    ui->checkBoxTemperature->setChecked(fahrenheit);
    Helpers::isFahrentheit = fahrenheit;
    checkChannels(header);
    selectRate(header);
}

void PowerPanel::checkChannels(const SwapFileHeader& header)
{
    for (int channel : headerChannels(header)) {
        if (channel >= ui->tableWidget->rowCount())
            continue;
        if (QTableWidgetItem* item = ui->tableWidget->item(channel, 0))
            item->setCheckState(Qt::Checked);
    }
}

void PowerPanel::selectRate(const SwapFileHeader& header)
{
    if (header.period <= 0) // no rate to show; a damaged header must not divide by zero
        return;
    const int rate = int(1 / (header.period * 0.0001));
    if (header.customRate == 1) {
        ui->checkBoxCustom->setChecked(true);
        ui->spinBoxSampleRate->setValue(rate);
        return;
    }
    const int index = ui->comboBoxSampleRate->findText(rateItemText(QString::number(rate)));
    if (index >= 0)
        ui->comboBoxSampleRate->setCurrentIndex(index);
}

void PowerPanel::on_changeColorTheme(bool dark)
{
    QIcon stop;
    QIcon start;
    if (dark) {
        stop.addFile(QStringLiteral(":/res/stop-white.png"));
        stop.addFile(QStringLiteral(":/res/stop-gray.png"), QSize(), QIcon::Disabled);
        start.addFile(QStringLiteral(":/res/play-white.png"));
        start.addFile(QStringLiteral(":/res/play-gray.png"), QSize(), QIcon::Disabled);
    } else {
        stop.addFile(QStringLiteral(":/res/stop-black.png"));
        start.addFile(QStringLiteral(":/res/play-black.png"));
    }
    ui->btnStop->setIcon(stop);
    ui->btnStart->setIcon(start);
}

Power600Panel::Power600Panel(QWidget* parent)
    : PowerPanel(parent)
{
}
