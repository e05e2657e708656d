// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"
#include "settings/powerdisplay.h"
#include "settings/powergetpacket.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
// A status report with a few live values in it.
PowerDataPacket liveStatus()
{
    PowerDataPacket status;
    status.set(status.dataOffset() + 1, static_cast<unsigned char>(138)); // output 13.8 V
    status.set(status.dataOffset() + 2, static_cast<unsigned short>(25)); // output 2.5 A
    return status;
}

QList<int> menuCodes(const PowerDisplay& display)
{
    QList<int> codes;
    for (const QAction* action : display.menu()->actions()) {
        if (!action->isCheckable())
            return {-1};
        codes << PowerDisplay::actionData(action);
    }
    return codes;
}

QAction* entry(const PowerDisplay& display, int code)
{
    for (QAction* action : display.menu()->actions()) {
        if (PowerDisplay::actionData(action) == code)
            return action;
    }
    return nullptr;
}

QList<int> range(int first, int last)
{
    QList<int> codes;
    for (int code = first; code <= last; ++code)
        codes << code;
    return codes;
}

// Picks code from the next menu that pops up, or dismisses it with -1.
void chooseInNextMenu(int code)
{
    QTimer::singleShot(0, [code] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        if (code < 0) {
            menu->close();
            return;
        }
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == code)
                menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
}
} // namespace

class TestPowerDisplay : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void menus_data();
    void menus();
    void usbTextsFollowTheModel();
    void moveRule_data();
    void moveRule();
    void checkMarkFollowsTheField();
    void hitTest_data();
    void hitTest();
    void clickPicksAQuantity();
    void clickOutsideTheFieldsOpensNoMenu_data();
    void clickOutsideTheFieldsOpensNoMenu();
    void fieldsShowLiveValues();
    void hoverNamesTheQuantity();
};

void TestPowerDisplay::cleanup()
{
    Helpers::powerMode = false;
}

void TestPowerDisplay::menus_data()
{
    QTest::addColumn<bool>("model500");
    QTest::addColumn<int>("identifier");
    QTest::addColumn<QList<int>>("codes");
    const QList<int> power{0, 3, 4, 7, 8, 9, 10};
    QTest::newRow("500 total") << true << 2 << range(0, 15);
    QTest::newRow("600 total") << false << 2 << range(0, 13);
    QTest::newRow("500 power") << true << 4 << power;
    QTest::newRow("600 power") << false << 4 << power;
    QTest::newRow("500 aux") << true << 8 << QList<int>{0, 14, 15};
    QTest::newRow("600 aux") << false << 8 << QList<int>{0, 14, 15, 16, 17, 18, 19, 20, 21};
    QTest::newRow("500 site") << true << 128 << range(0, 15);
    QTest::newRow("600 site") << false << 128 << range(0, 13);
    QTest::newRow("slide show bit") << false << 1 << QList<int>{};
    QTest::newRow("usb2 bit") << false << 16 << QList<int>{};
}

void TestPowerDisplay::menus()
{
    QFETCH(bool, model500);
    QFETCH(int, identifier);
    QFETCH(QList<int>, codes);

    Helpers::powerMode = model500;
    PowerDisplay display;
    display.setMenu(identifier);
    display.setMenu(identifier); // refilling never appends
    QCOMPARE(menuCodes(display), codes);
    for (const QAction* action : display.menu()->actions())
        QVERIFY2(!action->text().isEmpty(), qPrintable(QString::number(PowerDisplay::actionData(action))));
}

void TestPowerDisplay::usbTextsFollowTheModel()
{
    Helpers::powerMode = true;
    PowerDisplay model500;
    model500.setMenu(PowerGetPacket::kScreenTotal);
    const QList<QAction*> actions = model500.menu()->actions();
    QCOMPARE(actions.at(actions.size() - 2)->text(), QStringLiteral("USB Output Voltage"));
    QCOMPARE(actions.last()->text(), QStringLiteral("USB Output Current"));

    Helpers::powerMode = false;
    PowerDisplay model600;
    model600.setMenu(PowerGetPacket::kScreenAux);
    QCOMPARE(model600.actionText(14), QStringLiteral("USB1 Output Voltage"));
    QCOMPARE(model600.actionText(21), QStringLiteral("USB4 Output Current"));
    QCOMPARE(model600.actionText(3), QString()); // not on this screen
    QCOMPARE(model600.actionText(0), QStringLiteral("NONE"));
}

void TestPowerDisplay::moveRule_data()
{
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("after");
    QTest::newRow("imported twice, new code") << QList<int>{3, 3, 0} << 1 << 4 << QList<int>{3, 4, 0};
    QTest::newRow("moves from field 1") << QList<int>{3, 4, 0} << 2 << 3 << QList<int>{0, 4, 3};
    QTest::newRow("both copies move") << QList<int>{3, 3, 0} << 2 << 3 << QList<int>{0, 0, 3};
    QTest::newRow("same code stays") << QList<int>{3, 4, 7} << 1 << 4 << QList<int>{3, 4, 7};
    QTest::newRow("none keeps other nones") << QList<int>{0, 5, 0} << 1 << 0 << QList<int>{0, 0, 0};
    QTest::newRow("dismissed") << QList<int>{3, 4, 7} << 0 << -1 << QList<int>{3, 4, 7};
    QTest::newRow("no field") << QList<int>{3, 4, 7} << -1 << 8 << QList<int>{3, 4, 7};
}

void TestPowerDisplay::moveRule()
{
    QFETCH(QList<int>, before);
    QFETCH(int, field);
    QFETCH(int, code);
    QFETCH(QList<int>, after);

    PowerDisplay display;
    display.setMenu(PowerGetPacket::kScreenPower);
    display.applyFields(before);
    display.applyMenu(field, entry(display, code));
    QCOMPARE(display.codes(), after);
}

void TestPowerDisplay::checkMarkFollowsTheField()
{
    PowerDisplay display;
    display.setMenu(PowerGetPacket::kScreenPower);
    display.applyFields({3, 4, 0});
    display.aboutToShowMenu(0);
    display.aboutToShowMenu(1);
    QList<int> checked;
    for (const QAction* action : display.menu()->actions()) {
        if (action->isChecked())
            checked << PowerDisplay::actionData(action);
    }
    QCOMPARE(checked, QList<int>{4});
}

void TestPowerDisplay::hitTest_data()
{
    // A 200 x 160 label shows the picture shifted by (41, 21).
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("field");
    QTest::newRow("field 1 top left") << QPoint(27 + 41, 39 + 21) << 0;
    QTest::newRow("field 1 bottom right") << QPoint(90 + 41, 56 + 21) << 0;
    QTest::newRow("right of field 1") << QPoint(91 + 41, 56 + 21) << -1;
    QTest::newRow("between fields 1 and 2") << QPoint(59 + 41, 58 + 21) << -1;
    QTest::newRow("field 2") << QPoint(59 + 41, 70 + 21) << 1;
    QTest::newRow("field 3 left edge") << QPoint(39 + 41, 82 + 21) << 2;
    QTest::newRow("beside field 3") << QPoint(38 + 41, 88 + 21) << -1;
    QTest::newRow("title") << QPoint(59 + 41, 30 + 21) << -1;
    QTest::newRow("outside the ring") << QPoint(5, 5) << -1;
    QTest::newRow("unshifted field 1") << QPoint(28, 40) << -1;
}

void TestPowerDisplay::hitTest()
{
    QFETCH(QPoint, point);
    QFETCH(int, field);

    PowerDisplay display;
    display.resize(200, 160);
    QCOMPARE(display.field(point), field);
}

void TestPowerDisplay::clickPicksAQuantity()
{
    PowerDisplay display;
    display.resize(120, 120);
    display.setMenu(PowerGetPacket::kScreenPower);
    display.applyFields({3, 4, 0});
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QSignalSpy shown(display.menu(), &QMenu::aboutToShow);

    chooseInNextMenu(3);
    QTest::mouseClick(&display, Qt::LeftButton, {}, QPoint(59, 88)); // field 3
    QCOMPARE(shown.count(), 1);
    QCOMPARE(display.codes(), (QList<int>{0, 4, 3}));

    chooseInNextMenu(-1);
    QTest::mouseClick(&display, Qt::LeftButton, {}, QPoint(59, 48)); // field 1, dismissed
    QCOMPARE(shown.count(), 2);
    QCOMPARE(display.codes(), (QList<int>{0, 4, 3}));
}

void TestPowerDisplay::clickOutsideTheFieldsOpensNoMenu_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::newRow("title") << QPoint(59, 30);
    QTest::newRow("ring") << QPoint(59, 5);
    QTest::newRow("corner") << QPoint(1, 1);
}

void TestPowerDisplay::clickOutsideTheFieldsOpensNoMenu()
{
    QFETCH(QPoint, point);

    PowerDisplay display;
    display.resize(120, 120);
    display.setMenu(PowerGetPacket::kScreenTotal);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QSignalSpy shown(display.menu(), &QMenu::aboutToShow);
    QTest::mouseClick(&display, Qt::LeftButton, {}, point);
    QCOMPARE(shown.count(), 0);
}

void TestPowerDisplay::fieldsShowLiveValues()
{
    PowerDataPacket status = liveStatus();
    PowerDisplay display;
    display.setStatus(&status);
    display.setTitle(QStringLiteral("POWER"));
    display.applyFields({3, 0, 4});

    PowerDisplay expected;
    expected.update({QStringLiteral("POWER"), QStringLiteral("13.8V"), QStringLiteral("NONE"), QStringLiteral("2.5A")});
    QCOMPARE(status.getData(3), QStringLiteral("13.8V"));
    QCOMPARE(display.image(), expected.image());
    QCOMPARE(display.pixmap().size(), QSize(120, 120));

    // Transparent outside the ring, the ring in dark grey, the screen black.
    QCOMPARE(display.image().pixelColor(2, 2).alpha(), 0);
    QCOMPARE(display.image().pixelColor(10, 59), QColor(Qt::darkGray).darker(200));
    QCOMPARE(display.image().pixelColor(25, 59), QColor(Qt::black));

    status.set(status.dataOffset() + 1, static_cast<unsigned char>(120));
    display.adjustFormats();
    QVERIFY(display.image() != expected.image());
}

void TestPowerDisplay::hoverNamesTheQuantity()
{
    PowerDisplay display;
    display.resize(120, 120);
    display.setMenu(PowerGetPacket::kScreenPower);
    display.applyFields({3, 4, 0});
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));

    QTest::mouseMove(&display, QPoint(59, 70));
    QTRY_COMPARE(display.toolTip(), QStringLiteral("Main Output Current"));
    QCOMPARE(display.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&display, QPoint(59, 30));
    QTRY_COMPARE(display.cursor().shape(), Qt::ArrowCursor);
}

QTEST_MAIN(TestPowerDisplay)
#include "tst_powerdisplay.moc"
