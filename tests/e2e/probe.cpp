// SPDX-License-Identifier: GPL-3.0-or-later
// A test probe preloaded into the real ampora binary (LD_PRELOAD) so that
// end-to-end tests can work the window as a user would and read what it
// shows. It never ships; the product knows nothing of it.
//
// Commands are lines appended to $AMPORA_PROBE_IN, each "<id> <command>";
// answers are lines "<id> <answer>" appended to $AMPORA_PROBE_OUT.
//   title                         the main window's title
//   status                        the status bar's message and its style sheet
//   click <object>                clicks a button (or triggers an action) by object or action text;
//                                 answers at once, so a modal dialog it opens can be worked next
//   answer <button text>          presses a button of the open message box
//   filedialog <path>             chooses path in the open file dialog and accepts it
//   graph <i>                     points of graph i of the current tab: count, first and last time
//   points <i> <n>                the first n points of graph i as time:value
//   closetab <i>                  asks to close tab i, as its close button does
//   dragtime <pixels>             drags the time axis of the current tab by pixels to the right
//   text <object>                 the text of a label or button, the title of a group
//   enabled <object>              1 or 0
//   cell <table> <row> <column>   a table item's text
//   tick <table> <row> <0|1>      sets a table row's check box
//   combo <object> <index>        picks a combo box item as the user would
//   pixel <object> <x> <y>        #rrggbb of the widget as drawn at (x, y)
//   grab <path>                   the main window as a PNG file
//   tabs                          the tab count and texts
//   key <sequence>                sends a key press to the main window
//   palette                       the application's window colour
//   size                          the main window's width x height
//   visible <object>              1 or 0
//   geometry <object>             x,y widthxheight relative to its parent
//   rows <table>                  a table's row count
//   dockarea                      the control dock's area (1 left, 2 right)
//   dock <left|right>             moves the control dock
//   close                         closes the main window as the user would
//
// While a dialog of the window is open, object names are looked up in it first.
//   value <object> [number]       a spin box's value, set first when a number is given
//   checked <object>              1 or 0 for a check box, radio button or checkable group
//   items <object>                a combo box's item count and texts
//   title dialog                  the open dialog's window title
//   format <object>               a date-time field's display format
//   tab <object> <index>          shows a page of a tab widget
//   grabdialog <path>             the open dialog as a PNG file
//   closedialog                   closes the open dialog as its title bar's close button does
//   menu <object> <dx> <dy> <n>   clicks the widget at (dx, dy) from its centre and picks the
//                                 entry whose data is n from the menu that opens
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QMenu>
#include <QSpinBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <qcustomplot.h>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

QMainWindow* mainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget))
            return window;
    }
    return nullptr;
}

// The open dialog of the window that is not a message or file box.
QDialog* openDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog->isVisible() && !qobject_cast<QMessageBox*>(dialog) && !qobject_cast<QFileDialog*>(dialog))
            return dialog;
    }
    return nullptr;
}

template<typename T>
T* find(const QString& name)
{
    if (QDialog* dialog = openDialog()) {
        if (T* child = dialog->findChild<T*>(name))
            return child;
    }
    QMainWindow* window = mainWindow();
    return window ? window->findChild<T*>(name) : nullptr;
}

QString value(const QStringList& args)
{
    if (auto* box = find<QDoubleSpinBox>(args.value(0))) {
        if (args.size() > 1)
            box->setValue(args.value(1).toDouble());
        return QString::number(box->value());
    }
    if (auto* box = find<QSpinBox>(args.value(0))) {
        if (args.size() > 1)
            box->setValue(args.value(1).toInt());
        return QString::number(box->value());
    }
    return QStringLiteral("error no spin box");
}

QString checked(const QString& name)
{
    if (auto* button = find<QAbstractButton>(name))
        return QString::number(button->isChecked());
    if (auto* group = find<QGroupBox>(name))
        return QString::number(group->isChecked());
    return QStringLiteral("error no widget ") + name;
}

QString items(const QString& name)
{
    auto* box = find<QComboBox>(name);
    if (!box)
        return QStringLiteral("error no combo");
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return QString::number(box->count()) + QLatin1Char(' ') + texts.join(QLatin1Char('|'));
}

QString pickFromMenu(const QStringList& args)
{
    auto* widget = find<QWidget>(args.value(0));
    if (!widget)
        return QStringLiteral("error no widget");
    const QPoint at = widget->rect().center() + QPoint(args.value(1).toInt(), args.value(2).toInt());
    const int wanted = args.value(3).toInt();
    // The menu runs its own loop: pick from it once it is up.
    QTimer::singleShot(300, [wanted] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == wanted) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
    });
    QTimer::singleShot(0, widget, [widget, at] { QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at); });
    return QStringLiteral("ok");
}

QString click(const QString& name)
{
    if (auto* button = find<QAbstractButton>(name)) {
        QTimer::singleShot(0, button, &QAbstractButton::click);
        return QStringLiteral("ok");
    }
    QMainWindow* window = mainWindow();
    if (!window)
        return QStringLiteral("error no window");
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->objectName() == name || action->text() == name) {
            QTimer::singleShot(0, action, &QAction::trigger);
            return QStringLiteral("ok");
        }
    }
    return QStringLiteral("error no button ") + name;
}

QString answerBox(const QString& text)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
        return QStringLiteral("error no message box");
    for (QAbstractButton* button : box->buttons()) {
        if (button->text().remove(QLatin1Char('&')) == text) {
            QTimer::singleShot(0, button, &QAbstractButton::click);
            return box->text();
        }
    }
    return QStringLiteral("error no button ") + text;
}

QString chooseFile(const QString& path)
{
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog)
        return QStringLiteral("error no file dialog");
    // Typed into the name field, as a user would; the dialog resolves the path.
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    else
        dialog->selectFile(path);
    QTimer::singleShot(0, dialog, &QDialog::accept);
    return QStringLiteral("ok");
}

QCustomPlot* currentPlot()
{
    auto* tabs = find<QTabWidget>(QStringLiteral("tabWidget"));
    return tabs && tabs->currentWidget() ? tabs->currentWidget()->findChild<QCustomPlot*>() : nullptr;
}

QString graph(const QStringList& args)
{
    QCustomPlot* plot = currentPlot();
    const int index = args.value(0).toInt();
    if (!plot || index >= plot->graphCount())
        return QStringLiteral("error no graph");
    const auto data = plot->graph(index)->data();
    if (data->isEmpty())
        return QStringLiteral("0");
    return QStringLiteral("%1 %2 %3")
        .arg(data->size())
        .arg(data->constBegin()->key, 0, 'f', 4)
        .arg((data->constEnd() - 1)->key, 0, 'f', 4);
}

QString points(const QStringList& args)
{
    QCustomPlot* plot = currentPlot();
    const int index = args.value(0).toInt();
    if (!plot || index >= plot->graphCount())
        return QStringLiteral("error no graph");
    const auto data = plot->graph(index)->data();
    QStringList out;
    for (auto it = data->constBegin(); it != data->constEnd() && out.size() < args.value(1).toInt(); ++it)
        out << QStringLiteral("%1:%2").arg(it->key, 0, 'f', 4).arg(it->value, 0, 'g', 10);
    return out.join(QLatin1Char(' '));
}

QString dragTime(int pixels)
{
    QCustomPlot* plot = currentPlot();
    if (!plot)
        return QStringLiteral("error no plot");
    const QRect rect = plot->axisRect()->rect();
    const QPoint from(rect.center().x(), rect.bottom() + 8); // on the time axis
    const QPoint to = from + QPoint(pixels, 0);
    QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(plot, from + QPoint(pixels * step / 10, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, to);
    return QStringLiteral("ok");
}

QString text(const QString& name)
{
    if (auto* label = find<QLabel>(name))
        return label->text();
    if (auto* button = find<QAbstractButton>(name))
        return button->text();
    if (auto* group = find<QGroupBox>(name))
        return group->title();
    return QStringLiteral("error no widget ") + name;
}

QString cell(const QStringList& args)
{
    auto* table = find<QTableWidget>(args.value(0));
    if (!table)
        return QStringLiteral("error no table");
    QTableWidgetItem* item = table->item(args.value(1).toInt(), args.value(2).toInt());
    return item ? item->text() : QStringLiteral("error no item");
}

QString tick(const QStringList& args)
{
    auto* table = find<QTableWidget>(args.value(0));
    QTableWidgetItem* item = table ? table->item(args.value(1).toInt(), 0) : nullptr;
    if (!item)
        return QStringLiteral("error no item");
    item->setCheckState(args.value(2) == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
    return item->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString combo(const QStringList& args)
{
    auto* box = find<QComboBox>(args.value(0));
    if (!box)
        return QStringLiteral("error no combo");
    const int index = args.value(1).toInt();
    box->setCurrentIndex(index);
    emit box->activated(index);
    return box->currentText();
}

QString pixel(const QStringList& args)
{
    auto* widget = find<QWidget>(args.value(0));
    if (!widget)
        return QStringLiteral("error no widget");
    const QImage image = widget->grab().toImage();
    return image.pixelColor(args.value(1).toInt(), args.value(2).toInt()).name();
}

QString tabs()
{
    auto* tabWidget = find<QTabWidget>(QStringLiteral("tabWidget"));
    if (!tabWidget)
        return QStringLiteral("error no tabs");
    QStringList texts;
    for (int i = 0; i < tabWidget->count(); ++i)
        texts << tabWidget->tabText(i);
    return QString::number(tabWidget->count()) + QLatin1Char(' ') + texts.join(QLatin1Char('|'));
}

QString answer(const QString& command, const QStringList& args)
{
    QMainWindow* window = mainWindow();
    if (command == QLatin1String("title") && args.value(0) == QLatin1String("dialog")) {
        QDialog* dialog = openDialog();
        return dialog ? dialog->windowTitle() : QStringLiteral("error no dialog");
    }
    if (command == QLatin1String("title"))
        return window ? window->windowTitle() : QStringLiteral("error no window");
    if (command == QLatin1String("value"))
        return value(args);
    if (command == QLatin1String("checked"))
        return checked(args.value(0));
    if (command == QLatin1String("items"))
        return items(args.value(0));
    if (command == QLatin1String("menu"))
        return pickFromMenu(args);
    if (command == QLatin1String("format")) {
        auto* edit = find<QDateTimeEdit>(args.value(0));
        return edit ? edit->displayFormat() : QStringLiteral("error no date-time field");
    }
    if (command == QLatin1String("tab")) {
        auto* tabWidget = find<QTabWidget>(args.value(0));
        if (!tabWidget)
            return QStringLiteral("error no tabs");
        tabWidget->setCurrentIndex(args.value(1).toInt());
        return tabWidget->tabText(tabWidget->currentIndex());
    }
    if (command == QLatin1String("grabdialog")) {
        QDialog* dialog = openDialog();
        return dialog && dialog->grab().save(args.join(QLatin1Char(' '))) ? QStringLiteral("ok") : QStringLiteral("error");
    }
    if (command == QLatin1String("closedialog")) {
        QDialog* dialog = openDialog();
        if (!dialog)
            return QStringLiteral("error no dialog");
        QTimer::singleShot(0, dialog, &QWidget::close);
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("status"))
        return window ? window->statusBar()->currentMessage() + QStringLiteral(" | ") + window->statusBar()->styleSheet()
                      : QStringLiteral("error no window");
    if (command == QLatin1String("click"))
        return click(args.join(QLatin1Char(' ')));
    if (command == QLatin1String("answer"))
        return answerBox(args.join(QLatin1Char(' ')));
    if (command == QLatin1String("filedialog"))
        return chooseFile(args.join(QLatin1Char(' ')));
    if (command == QLatin1String("graph"))
        return graph(args);
    if (command == QLatin1String("points"))
        return points(args);
    if (command == QLatin1String("closetab")) {
        auto* tabWidget = find<QTabWidget>(QStringLiteral("tabWidget"));
        if (!tabWidget)
            return QStringLiteral("error no tabs");
        const int index = args.value(0).toInt();
        QTimer::singleShot(0, tabWidget, [tabWidget, index] { emit tabWidget->tabCloseRequested(index); });
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("dragtime"))
        return dragTime(args.value(0).toInt());
    if (command == QLatin1String("text"))
        return text(args.value(0));
    if (command == QLatin1String("enabled")) {
        auto* widget = find<QWidget>(args.value(0));
        return widget ? QString::number(widget->isEnabled()) : QStringLiteral("error no widget");
    }
    if (command == QLatin1String("cell"))
        return cell(args);
    if (command == QLatin1String("tick"))
        return tick(args);
    if (command == QLatin1String("combo"))
        return combo(args);
    if (command == QLatin1String("pixel"))
        return pixel(args);
    if (command == QLatin1String("tabs"))
        return tabs();
    if (command == QLatin1String("grab"))
        return window && window->grab().save(args.join(QLatin1Char(' '))) ? QStringLiteral("ok") : QStringLiteral("error");
    if (command == QLatin1String("key")) {
        if (!window)
            return QStringLiteral("error no window");
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        const QKeyCombination key = QKeySequence(args.join(QLatin1Char(' ')))[0];
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        return QStringLiteral("ok");
    }
    if (command == QLatin1String("palette"))
        return QApplication::palette().color(QPalette::Window).name();
    if (command == QLatin1String("size"))
        return window ? QStringLiteral("%1x%2").arg(window->width()).arg(window->height()) : QStringLiteral("error");
    if (command == QLatin1String("visible")) {
        auto* widget = find<QWidget>(args.value(0));
        return widget ? QString::number(widget->isVisible()) : QStringLiteral("error no widget");
    }
    if (command == QLatin1String("geometry")) {
        auto* widget = find<QWidget>(args.value(0));
        if (!widget)
            return QStringLiteral("error no widget");
        const QRect r = widget->geometry();
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    if (command == QLatin1String("rows")) {
        auto* table = find<QTableWidget>(args.value(0));
        return table ? QString::number(table->rowCount()) : QStringLiteral("error no table");
    }
    auto* dock = find<QDockWidget>(QStringLiteral("dockControl"));
    if (command == QLatin1String("dockarea"))
        return window && dock ? QString::number(int(window->dockWidgetArea(dock))) : QStringLiteral("error");
    if (command == QLatin1String("dock") && window && dock) {
        window->addDockWidget(args.value(0) == QLatin1String("right") ? Qt::RightDockWidgetArea : Qt::LeftDockWidgetArea,
                              dock);
        return QString::number(int(window->dockWidgetArea(dock)));
    }
    if (command == QLatin1String("close") && window) {
        QTimer::singleShot(0, window, &QWidget::close);
        return QStringLiteral("ok");
    }
    return QStringLiteral("error unknown command");
}

class Probe : public QObject
{
public:
    Probe(const QString& in, const QString& out, QObject* parent)
        : QObject(parent)
        , m_in(in)
        , m_out(out)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &Probe::poll);
        timer->start(50);
    }

private:
    void poll()
    {
        QFile in(m_in);
        if (!in.open(QIODevice::ReadOnly) || in.size() <= m_offset)
            return;
        in.seek(m_offset);
        const QByteArray chunk = in.readAll();
        const int complete = chunk.lastIndexOf('\n') + 1; // only whole lines
        m_offset += complete;
        for (const QByteArray& raw : chunk.left(complete).split('\n')) {
            QStringList words = QString::fromUtf8(raw).trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (words.size() < 2)
                continue;
            const QString id = words.takeFirst();
            const QString command = words.takeFirst();
            respond(id, answer(command, words));
        }
    }

    void respond(const QString& id, QString text)
    {
        QFile out(m_out);
        if (out.open(QIODevice::Append)) {
            text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
            out.write((id + QLatin1Char(' ') + text + QLatin1Char('\n')).toUtf8());
        }
    }

    const QString m_in;
    const QString m_out;
    qint64 m_offset = 0;
};

// Waits, as an application-wide event filter, until the application object
// is complete and its event loop delivers events; then starts the probe.
class Starter : public QObject
{
public:
    Starter(const QString& in, const QString& out)
        : QObject(QCoreApplication::instance())
        , m_in(in)
        , m_out(out)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        if (!m_started && qobject_cast<QApplication*>(QCoreApplication::instance()) && mainWindow()) {
            m_started = true;
            new Probe(m_in, m_out, QCoreApplication::instance());
        }
        return false;
    }

private:
    const QString m_in;
    const QString m_out;
    bool m_started = false;
};

void startProbe()
{
    const QString in = qEnvironmentVariable("AMPORA_PROBE_IN");
    const QString out = qEnvironmentVariable("AMPORA_PROBE_OUT");
    if (!in.isEmpty() && !out.isEmpty())
        new Starter(in, out);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startProbe)
