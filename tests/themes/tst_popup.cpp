// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/popup.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace {

// Long enough that a test never sees the fade-out by accident.
constexpr int kNeverMs = 600000;
// Longer than the 150 ms fade-in, so the full opacity lasts a while.
constexpr int kShortShowMs = 500;
// Fade-in, a short show time and the one-second fade-out, with room to spare.
constexpr int kFadeDeadlineMs = 10000;

} // namespace

class TestPopUp : public QObject
{
    Q_OBJECT

private slots:
    void fadesInAndIgnoresHideWhileShown()
    {
        PopUp popup;
        popup.setShowTime(kNeverMs);
        popup.show();
        QVERIFY(popup.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(popup.getPopupOpacity(), 1.0f, kFadeDeadlineMs);
        QCOMPARE(popup.windowOpacity(), 1.0);

        popup.hide();
        QVERIFY(popup.isVisible());
    }

    void fadesOutAfterTheShowTime()
    {
        PopUp popup;
        popup.setShowTime(kShortShowMs);
        popup.show();
        QTRY_COMPARE_WITH_TIMEOUT(popup.getPopupOpacity(), 1.0f, kFadeDeadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(!popup.isVisible(), kFadeDeadlineMs);
        QCOMPARE(popup.getPopupOpacity(), 0.0f);
    }

    void newTextDuringFadeOutFadesInAgain()
    {
        PopUp popup;
        popup.setShowTime(kShortShowMs);
        popup.setPopupText(QStringLiteral("first"));
        QTRY_COMPARE_WITH_TIMEOUT(popup.getPopupOpacity(), 1.0f, kFadeDeadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(popup.getPopupOpacity() < 0.9f, kFadeDeadlineMs);

        popup.setShowTime(kNeverMs);
        popup.setPopupText(QStringLiteral("second"));
        QTRY_COMPARE_WITH_TIMEOUT(popup.getPopupOpacity(), 1.0f, kFadeDeadlineMs);
        QVERIFY(popup.isVisible());
        QCOMPARE(popup.getPopupText(), QStringLiteral("second"));
    }

    void textAppearsBesideThePointer()
    {
        PopUp popup;
        popup.setShowTime(kNeverMs);
        QCursor::setPos(200, 150);
        popup.setPopupText(QStringLiteral("#0: 1.25 V"));
        QCOMPARE(popup.pos(), QCursor::pos() + QPoint(1, 1));
        QCOMPARE(popup.getPopupText(), QStringLiteral("#0: 1.25 V"));
        QVERIFY(popup.isVisible());
    }

    void draggingKeepsTheGrabbedPointUnderThePointer()
    {
        PopUp popup;
        popup.resize(120, 60);
        popup.move(100, 100);
        popup.focusShow();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));

        QTest::mousePress(&popup, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(&popup, QPoint(40, 25));
        QCOMPARE(popup.pos(), QPoint(130, 115));
        QTest::mouseRelease(&popup, Qt::LeftButton, {}, QPoint(10, 10));
    }

    void textColourStyle()
    {
        PopUp popup;
        popup.setTextColour(QStringLiteral("#000000"));
        QCOMPARE(popup.findChild<QLabel*>()->styleSheet(),
                 QStringLiteral("QLabel { color : #000000;margin-top: 6px;margin-bottom: 6px;"
                                "margin-left: 10px;margin-right: 10px; }"));
    }

    void hintColour_data()
    {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QString>("hint");
        QTest::newRow("white chart") << QColor(Qt::white) << "#000000";
        QTest::newRow("black chart") << QColor(Qt::black) << "#ffffff";
        QTest::newRow("mixed") << QColor(0x20, 0x40, 0x60) << "#dfbf9f";
        QTest::newRow("not a colour") << QColor() << "#000000";
    }
    void hintColour()
    {
        QFETCH(QColor, background);
        QFETCH(QString, hint);
        QCOMPARE(PopUp::hintColourFor(background), hint);
    }
};

QTEST_MAIN(TestPopUp)
#include "tst_popup.moc"
