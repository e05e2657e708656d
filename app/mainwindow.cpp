// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/colorsagent.h"
#include "app/helpers.h"
#include "app/popup.h"
#include "app/settings.h"
#include "device/hiddevice.h"
#include "plot/glwidget.h"
#include "protocol/deviceinfo.h"
#include "protocol/packet.h"
#include "recording/marqueelabel.h"
#include "recording/overcurrent.h"
#include "recording/powerpanel.h"
#include "settings/optionsdialog.h"
#include "settings/optionsdialog500.h"
#include "updates/updater.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QWidgetAction>
#include <qcustomplot.h>

namespace {
constexpr int kFlushPeriodMs = 10;
constexpr int kReplotPeriodMs = 33; // about 30 frames a second, whatever the sample rate
constexpr qint64 kNoticeIntervalMs = 86400000; // one day
constexpr int kCustomTimeItem = 4;
constexpr int kNoTimeLimit = -1;
const char kDockStyleDark[] = "QDockWidget {border: 1px; titlebar-normal-icon: url(:/res/float-white.png);}";
const char kDockStyleLight[] = "QDockWidget {border: 1px; titlebar-normal-icon: url(:/res/float-black.png);}";

QWidget* spacer(QSizePolicy::Policy horizontal, int width, int height)
{
    auto* widget = new QWidget;
    widget->setSizePolicy(horizontal, QSizePolicy::Preferred);
    widget->resize(width, height);
    widget->setMinimumWidth(horizontal == QSizePolicy::Fixed ? width : 0);
    widget->show();
    return widget;
}
} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    m_popup = new PopUp(this);
    ui = new Ui_MainWindow;
    setWindowFlags(windowFlags() | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);

    // The light theme returns to this palette, so take it after "fusion".
    QApplication::setStyle(QStringLiteral("fusion"));
    m_defaultPalette = QApplication::palette();

    ui->setupUi(this);
    setWindowTitle(QCoreApplication::applicationName() + tr(" - no device connected"));
    createDock();
    setWindowTitle(QCoreApplication::applicationName());

    connect(ui->tabWidget, &QTabWidget::currentChanged, this, &MainWindow::on_currentTabChanged);
    auto* escape = new QShortcut(QKeySequence(QStringLiteral("Esc")), this);
    connect(escape, &QShortcut::activated, this, &MainWindow::on_stopButton);
    m_translator = new QTranslator;

    QTabBar* tabBar = ui->tabWidget->tabBar();
    connect(ui->tabWidget, &QTabWidget::tabCloseRequested, this, &MainWindow::on_closeTab);
    tabBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tabBar, &QWidget::customContextMenuRequested, this, &MainWindow::on_contextMenuRequested);
    connect(tabBar, &QTabBar::tabBarDoubleClicked, this, &MainWindow::on_closeTab);

    Settings settings;
    QApplication::setStyle(QStringLiteral("Windows"));

    HidDevice* hid = HidDevice::device(this);
    connect(hid, &HidDevice::deviceConnected, this, &MainWindow::on_deviceConnected);
    connect(hid, &HidDevice::deviceDisconnected, this, &MainWindow::on_deviceDisconnected);
    connect(hid, &HidDevice::packetReceived, this, &MainWindow::on_packetReceived);
    connect(hid, &HidDevice::deviceOpenFailed, this, &MainWindow::on_deviceOpenFailed);

    connect(this, &MainWindow::stopMeasurement, this, &MainWindow::on_stopMeasurement);
    connect(this, &MainWindow::changeColorTheme, this, &MainWindow::on_changeColorTheme);

    createStatusRow();
    m_popup->setBackColour(QColor(0, 0, 0, 0));
    m_popup->setBorderColour(QColor(0, 0, 0, 0));
    setBriefHintColor();

    m_dockControl->hide();
    m_marquee->hide();
    m_readoutLabel->hide();
    m_popup->hide();

    createToolbar();
    statusBar()->addPermanentWidget(m_marquee->parentWidget(), 0);

    connect(&m_flushTimer, &QTimer::timeout, this, &MainWindow::reRangeX);
    m_flushTimer.start(kFlushPeriodMs);
    m_replotTimer.setSingleShot(true);
    m_replotTimer.setInterval(kReplotPeriodMs);
    connect(&m_replotTimer, &QTimer::timeout, this, &MainWindow::replotNow);

    settings.beginGroup(QStringLiteral("Options"));
    const bool dark = settings.value(QStringLiteral("dark-color"), false).toBool();
    m_language = settings.value(QStringLiteral("language"), 0).toInt();
    const bool nativeTime = settings.value(QStringLiteral("native-time"), false).toBool();
    settings.endGroup();
    Helpers::timeFormat = nativeTime ? 2 : 1;
    loadLanguage(Settings::languageCodes().value(m_language, Settings::languageCodes().first()));

    restoreLayout();

    emit changeColorTheme(dark);
    on_changeColors();

    m_updater = new Updater(this);
    connect(m_updater, &Updater::newSWAvailable, this, &MainWindow::on_newSWAvailable);
    connect(m_updater, &Updater::newFWAvailable, this, &MainWindow::on_newFWAvailable);
    connect(this, &MainWindow::enableMeasurement, this, [this] { m_updater->on_deviceConnected(storedSerial()); });
    repaint();
}

MainWindow::~MainWindow()
{
    on_stopButton();
    delete HidDevice::device();
    delete m_optionsDialog;
    storeLayout();
    disconnect();
    delete ui;
    delete m_translator;
}

void MainWindow::createDock()
{
    m_dockControl = new QDockWidget(tr("Control"), this);
    m_dockControl->setObjectName(QStringLiteral("dockControl"));
    // Made without a parent: the dock's layout then adopts it as a child,
    // dropping the panel's own tool-window type.
    m_powerPanel = new PowerPanel;
    m_dockControl->setWidget(m_powerPanel);
    m_dockControl->setWindowTitle(QString());
    m_dockControl->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_dockControl->setFeatures(m_dockControl->features() & ~QDockWidget::DockWidgetClosable);
    addDockWidget(Qt::RightDockWidgetArea, m_dockControl);
    m_dockControl->hide();
    setDockNestingEnabled(true);
}

void MainWindow::createStatusRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    m_marquee = new MarqueeLabel(row);
    QFont marqueeFont;
    marqueeFont.setPointSize(14);
    m_marquee->setFont(marqueeFont);
    m_marquee->hide();
    layout->addWidget(m_marquee);

    m_warningButton = new QPushButton(QIcon(QStringLiteral(":/res/warning.png")), QString(), row);
    m_warningButton->hide();
    connect(m_warningButton, &QPushButton::clicked, this, &MainWindow::hideStatusWarning);
    layout->addWidget(m_warningButton);

    m_readoutLabel = new QLabel(row);
    QFont readoutFont = m_readoutLabel->font();
    readoutFont.setPointSize(10);
    m_readoutLabel->setFont(readoutFont);
    m_readoutLabel->setStyleSheet(QStringLiteral("QLabel {border: 0; }"));
    layout->addWidget(m_readoutLabel);
    layout->addSpacing(300);
    layout->addStrut(0);

    QByteArray document = MarqueeLabel::overCurrentDocument(tr("Attention! The current has exceeded 1A."));
    m_marquee->load(document);
}

void MainWindow::restoreLayout()
{
    Settings settings;
    restoreGeometry(settings.value(QStringLiteral("Main/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("Main/state")).toByteArray());

    settings.beginGroup(QStringLiteral("Control"));
    const auto area = static_cast<Qt::DockWidgetArea>(
        settings.value(QStringLiteral("dock-area"), int(Qt::LeftDockWidgetArea)).toInt());
    const bool floating = settings.value(QStringLiteral("floating"), false).toBool();
    const QRect geometry = settings.value(QStringLiteral("dock-geometry"), QRect()).toRect();
    const bool visible = settings.value(QStringLiteral("visible"), true).toBool();
    settings.endGroup();

    addDockWidget(area == Qt::RightDockWidgetArea ? Qt::RightDockWidgetArea : Qt::LeftDockWidgetArea,
                  m_dockControl);
    m_dockControl->setFloating(floating);
    if (floating)
        m_dockControl->setGeometry(geometry);
    m_dockControl->setVisible(visible);
}

void MainWindow::storeLayout()
{
    Settings settings;
    settings.setValue(QStringLiteral("Main/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("Main/state"), saveState());
    settings.beginGroup(QStringLiteral("Control"));
    settings.setValue(QStringLiteral("dock-area"), int(dockWidgetArea(m_dockControl)));
    settings.setValue(QStringLiteral("dock-geometry"), m_dockControl->geometry());
    settings.setValue(QStringLiteral("floating"), m_dockControl->isFloating());
    settings.endGroup();
    settings.setValue(QStringLiteral("Options/language"), m_language);
}

void MainWindow::createToolbar()
{
    Settings settings;
    const int timeIndex = settings.value(QStringLiteral("Options/time-length-index"), 1).toInt();
    const int customSeconds = settings.value(QStringLiteral("Options/serie-length-sec"), 10).toInt();

    m_actionSave = ui->toolBar->addAction(tr("Save"));
    connect(m_actionSave, &QAction::triggered, this, &MainWindow::on_actionSave);
    m_actionOpen = ui->toolBar->addAction(tr("Open"));
    connect(m_actionOpen, &QAction::triggered, this, &MainWindow::on_actionLoad);

    m_viewMenu = new QMenu(tr("View"), this);
    auto* viewButton = new QToolButton(this);
    viewButton->setMenu(m_viewMenu);
    viewButton->setPopupMode(QToolButton::InstantPopup);
    viewButton->setText(tr("View"));
    m_viewAction = new QWidgetAction(this);
    m_viewAction->setDefaultWidget(viewButton);
    m_viewAction->setText(tr("View"));
    ui->toolBar->addAction(m_viewAction);

    m_actionSettings = ui->toolBar->addAction(tr("Settings"));
    connect(m_actionSettings, &QAction::triggered, this, &MainWindow::on_actionSettings);

    ui->toolBar->addWidget(spacer(QSizePolicy::Expanding, 0, 0));
    ui->toolBar->addWidget(spacer(QSizePolicy::Fixed, 8, 32));
    ui->toolBar->addWidget(spacer(QSizePolicy::Expanding, 8, 32));
    ui->toolBar->addWidget(spacer(QSizePolicy::Expanding, 164, 32));

    const QString timeTip = tr("Stop measurements after the specified number of seconds");
    m_timeLabel = new QLabel(tr("Measuring time,sec "), this);
    m_timeLabelAction = ui->toolBar->addWidget(m_timeLabel);
    m_timeLabelAction->setToolTip(timeTip);

    m_timeCombo = new QComboBox(this);
    m_timeCombo->addItem(QStringLiteral("10"), 10);
    m_timeCombo->addItem(QStringLiteral("100"), 100);
    m_timeCombo->addItem(QStringLiteral("1000"), 1000);
    m_timeCombo->addItem(QString(QChar(0x221E)), kNoTimeLimit);
    m_timeCombo->addItem(tr("Custom: ") + QString::number(customSeconds), customSeconds);
    m_timeCombo->setCurrentIndex(qBound(0, timeIndex, m_timeCombo->count() - 1));
    m_timeCombo->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_timeCombo->setMinimumWidth(100);
    m_timeCombo->setToolTip(timeTip);
    m_timeLimit = m_timeCombo->currentData().toInt();
    connect(m_timeCombo, &QComboBox::activated, this, &MainWindow::on_comboboxTimeAcivated);
    ui->toolBar->addWidget(m_timeCombo);

    ui->toolBar->addWidget(spacer(QSizePolicy::Expanding, 164, 32));
    auto* zoom = new QToolButton(this);
    zoom->setText(QStringLiteral("Zoom 1:1"));
    connect(zoom, &QToolButton::clicked, this, &MainWindow::on_zoom);
    ui->toolBar->addWidget(zoom);
    ui->toolBar->addWidget(spacer(QSizePolicy::Expanding, 64, 32));
}

void MainWindow::on_comboboxTimeAcivated(int index)
{
    if (index == kCustomTimeItem) {
        bool confirmed = false;
        const int value = QInputDialog::getInt(this, tr("Enter value"), tr("Measuring time,sec "),
                                               m_timeCombo->itemData(index).toInt(), 1, 2147483647, 1,
                                               &confirmed);
        if (confirmed) {
            m_timeLimit = value;
            Settings().setValue(QStringLiteral("Options/serie-length-sec"), value);
            m_timeCombo->setItemData(index, value);
            m_timeCombo->setItemText(index, tr("Custom: ") + QString::number(value));
        }
    } else {
        m_timeLimit = m_timeCombo->itemData(index).toInt();
    }
    Settings().setValue(QStringLiteral("Options/time-length-index"), index);
}

GLWidget* MainWindow::currentWidget() const
{
    return qobject_cast<GLWidget*>(ui->tabWidget->currentWidget());
}

QCustomPlot* MainWindow::plotter() const
{
    GLWidget* widget = currentWidget();
    return widget ? widget->plotter() : nullptr;
}

void MainWindow::on_currentTabChanged(int index)
{
    // A run never continues in a tab that is not shown.
    if (Helpers::isMeasuring)
        terminateMeasuring();
    if (index != -1)
        on_timeFormatChanged();
}

void MainWindow::on_contextMenuRequested(const QPoint& pos)
{
    QTabBar* tabBar = ui->tabWidget->tabBar();
    const int under = tabBar->tabAt(pos);
    QMenu menu(this);
    QAction* left = menu.addAction(tr("Close tabs to the left"));
    QAction* right = menu.addAction(tr("Close tabs to the right"));
    QAction* all = menu.addAction(tr("Close all tabs"));
    QAction* chosen = menu.exec(tabBar->mapToGlobal(pos));
    if (chosen == left) {
        for (int i = 0; i < under; ++i)
            closeTabSilent(0, true);
    } else if (chosen == right) {
        while (under + 1 < ui->tabWidget->count())
            closeTabSilent(ui->tabWidget->count() - 1, true);
    } else if (chosen == all) {
        closeAllTabs();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    terminateMeasuring();
    for (int i = 0; i < ui->tabWidget->count(); ++i) {
        auto* widget = qobject_cast<GLWidget*>(ui->tabWidget->widget(i));
        if (!widget || widget->isSaved())
            continue;
        const auto answer = Helpers::warning(this, tr("Save"),
                                             tr("Not all measurements are saved. Do you want to save them?"),
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                             QMessageBox::NoButton);
        if (answer == QMessageBox::Cancel) {
            event->ignore();
            return;
        }
        if (answer == QMessageBox::Yes)
            saveAll();
        break;
    }
    event->accept();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        const QString name = QLocale::system().name();
        loadLanguage(name.left(name.lastIndexOf(QLatin1Char('_'))));
    } else if (event->type() == QEvent::LanguageChange) {
        ui->toolBar->setWindowTitle(tr("toolBar"));
    }
}

QString MainWindow::storedSerial()
{
    return QStringLiteral("%1").arg(DeviceInfo::stored().serialNumber(), 9, 10, QLatin1Char('0'));
}

bool MainWindow::loadLanguage(const QString& code)
{
    const QString title = windowTitle();
    const bool loaded = m_translator->load(QStringLiteral("QtLanguage_") + code, OptionsDialogBase::languageDataFolder(),
                                           QString(), QString());
    QCoreApplication::installTranslator(m_translator);
    retranslate();
    setWindowTitle(title);
    m_dockControl->setWindowTitle(tr("Control"));
    m_powerPanel->on_translate();
    on_changeColors();
    return loaded;
}

void MainWindow::retranslate()
{
    ui->toolBar->setWindowTitle(tr("toolBar"));
    if (!m_actionSave)
        return;
    m_actionSave->setText(tr("Save"));
    m_actionOpen->setText(tr("Open"));
    m_actionSettings->setText(tr("Settings"));
    m_viewMenu->setTitle(tr("View"));
    m_viewAction->setText(tr("View"));
    m_timeLabel->setText(tr("Measuring time,sec "));
    m_timeCombo->setItemText(kCustomTimeItem,
                             tr("Custom: ") + QString::number(m_timeCombo->itemData(kCustomTimeItem).toInt()));
    if (QCustomPlot* plot = plotter())
        plot->xAxis->setLabel(Helpers::timeFormat == 2 ? tr("Time: ") : tr("Time, sec: "));
}

void MainWindow::showStatus(const QString& text, int timeoutMs, const char* lightColor, const char* darkColor)
{
    QStatusBar* bar = statusBar();
    if (!bar)
        return;
    bar->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(m_darkColor ? darkColor : lightColor)));
    bar->showMessage(text, timeoutMs);
}

void MainWindow::showStatusMessage(const QString& text, int timeoutMs)
{
    showStatus(text, timeoutMs, "black", "white");
}

void MainWindow::showStatusError(const QString& text, int timeoutMs)
{
    showStatus(text, timeoutMs, "red", "#ff4444");
}

void MainWindow::showNoticeOncePerDay(const char* key, const QString& text)
{
    Settings settings;
    const QString path = QStringLiteral("Update/") + QLatin1String(key);
    const qint64 last = settings.value(path, 0).toLongLong();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - last <= kNoticeIntervalMs)
        return;
    showStatusError(text, 10000);
    settings.setValue(path, now);
}

void MainWindow::on_newSWAvailable(bool _available)
{
    if (_available)
        showNoticeOncePerDay("sw_notify_time", tr("A new software version is available. Go to Settings to update."));
}

void MainWindow::on_newFWAvailable(bool _available)
{
    if (_available)
        showNoticeOncePerDay("fw_notify_time", tr("A new firmware version is available. Go to Settings to update."));
}

void MainWindow::on_timeFormatChanged()
{
    QCustomPlot* plot = plotter();
    if (!plot)
        return;
    plot->xAxis->setLabel(Helpers::timeFormat == 2 ? tr("Time") : tr("Time, sec"));
    if (Helpers::loggerMode())
        plot->replot(QCustomPlot::rpQueuedReplot);
}

void MainWindow::on_actionSettings()
{
    if (Helpers::isMeasuring)
        return;
    if (Helpers::powerMode) {
        on_actionSettings500();
        return;
    }
    // A dialog kept from before the unit was plugged in has no page for it.
    if (m_optionsDialog && !m_optionsDialog->hasSettingsPage() && HidDevice::device()->isOpen()) {
        delete m_optionsDialog;
        m_optionsDialog = nullptr;
    }
    if (!m_optionsDialog) {
        m_optionsDialog = new OptionsDialog(m_updater, this);
        connectOptionsDialog(m_optionsDialog);
    }
    // This dialog asks for the block itself once the status shows the unit answers.
    runOptionsDialog(m_optionsDialog, PowerPacket::statusRequest());
}

void MainWindow::on_actionSettings500()
{
    if (Helpers::isMeasuring)
        return;
    // One dialog per opening; its connections go with it.
    OptionsDialog500 dialog(m_updater, this);
    connectOptionsDialog(&dialog);
    runOptionsDialog(&dialog, PowerPacket::settingsRequest());
}

void MainWindow::connectOptionsDialog(OptionsDialogBase* dialog)
{
    connect(dialog, &OptionsDialogBase::languageChanged, this, [this](int index) {
        m_language = index;
        loadLanguage(Settings::languageCodes().value(index, Settings::languageCodes().first()));
    });
    connect(dialog, &OptionsDialogBase::timeFormatChanged, this, &MainWindow::on_timeFormatChanged);
    connect(dialog, &OptionsDialogBase::changeColorTheme, this, &MainWindow::on_changeColorTheme);
    connect(dialog, &OptionsDialogBase::changeColors, this, &MainWindow::on_changeColors);
    connect(this, &MainWindow::deviceInfoReceved, dialog, &OptionsDialogBase::fillFWInfo);
    connect(dialog, &OptionsDialogBase::checkSWUpdates, m_updater, &Updater::on_checkUpdatesSW);
    connect(dialog, &OptionsDialogBase::checkFWUpdates, this, [this] { m_updater->on_checkUpdatesFW(storedSerial()); });
    connect(m_updater, &Updater::newSWAvailable, dialog, &OptionsDialogBase::on_newSWAvailable);
    connect(m_updater, &Updater::newFWAvailable, dialog, &OptionsDialogBase::on_newFWAvailable);
    connect(m_powerPanel, &PowerPanel::paketReceived, dialog, &OptionsDialogBase::on_paketReceived);
    connect(m_powerPanel, &PowerPanel::paketDataReceived, dialog, &OptionsDialogBase::on_paketDataReceived);
}

void MainWindow::runOptionsDialog(OptionsDialogBase* dialog, const PowerPacket& request)
{
    dialog->setLanguages(Settings::languageNames(), m_language);
    sendPowerRequest(request);
    dialog->exec();
    Settings().sync();
    if (QCustomPlot* plot = plotter())
        plot->replot(QCustomPlot::rpQueuedReplot);
}

void MainWindow::on_changeColorTheme(bool dark)
{
    m_darkColor = dark;
    if (dark) {
        QApplication::setPalette(Helpers::darkPalette());
        qApp->setStyleSheet(QLatin1String(kDockStyleDark));
    } else {
        QApplication::setPalette(m_defaultPalette);
        qApp->setStyleSheet(QLatin1String(kDockStyleLight));
    }
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar::item { border: 0px; } QStatusBar::QLabel { border: 0px; } "));
    m_powerPanel->on_changeColorTheme(dark);
}

void MainWindow::on_changeColors()
{
    ColorsAgent agent(m_darkColor);
    const ColorsTable& mouse = agent.table().at(2);
    const QString font = QStringLiteral("<font color=%1>");
    m_readoutFormat = font.arg(mouse.color(0).name()) + QStringLiteral("%1 ")
                      + font.arg(mouse.color(1).name()) + QStringLiteral("%2 ")
                      + font.arg(mouse.color(2).name()) + QStringLiteral("%3 ")
                      + font.arg(QLatin1String(m_darkColor ? "white" : "black")) + QStringLiteral("Time: %4 ");
    if (!Helpers::isMeasuring) {
        m_readoutLabel->setText(m_readoutFormat.arg(QStringLiteral("#0: --"), QStringLiteral("#1: --"),
                                                    QStringLiteral("#2: --"), QStringLiteral(" --")));
    }
    QCustomPlot* plot = plotter();
    if (!plot)
        return;
    Helpers::setPlotterColor(plot, agent.background());
    const ColorsTable& channels = agent.table().at(0);
    for (int i = 0; i < plot->graphCount(); ++i) {
        const QColor color = channels.color(i % 3);
        plot->graph(i)->setPen(QPen(color));
        Helpers::setAxisColor(plot->graph(i)->valueAxis(), color);
    }
    currentWidget()->update();
}

void MainWindow::setBriefHintColor()
{
    if (!m_popup)
        return;
    const QColor background(Settings().value(QStringLiteral("Settings/chart-background"), QStringLiteral("#ffffff")).toString());
    m_popup->setTextColour(PopUp::hintColourFor(background));
}

void MainWindow::showStatusWarning()
{
    m_marquee->show();
    m_warningButton->show();
}

void MainWindow::hideStatusWarning()
{
    QList<MarqueeString> none;
    m_marquee->setStrings(none);
    m_marquee->hide();
    m_warningButton->hide();
    OverCurrent::instance()->hideOverCurrent();
}

void MainWindow::enableToolbar(bool enable, bool keepOpenAndSettings)
{
    m_actionSave->setEnabled(enable);
    m_actionOpen->setEnabled(enable || keepOpenAndSettings);
    m_actionSettings->setEnabled(enable || keepOpenAndSettings);
    m_timeLabelAction->setEnabled(enable);
    m_timeLabel->setEnabled(enable);
    m_timeCombo->setEnabled(enable);
}
