// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/progressdialog.h"
#include "recording/waitindicator.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

namespace {

// The offscreen platform notes every window it shows; anything else fails.
const QRegularExpression kUnexpectedWarning(QStringLiteral("^(?!This plugin does not support propagateSizeHints).*"));

// Translates the Close button only, enough to see a retranslation.
class CloseTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (QByteArray(context) == "ProgressDialog" && QByteArray(sourceText) == "Close")
            return QStringLiteral("Schliessen");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

template<typename T>
T* child(const QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QLatin1String(name));
}

} // namespace

class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(kUnexpectedWarning); }

    void formAndRange()
    {
        ProgressDialog dialog(5, 50);
        QCOMPARE(dialog.objectName(), QStringLiteral("ProgressDialog"));
        QVERIFY(dialog.windowTitle().isEmpty());
        QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(dialog.windowFlags().testFlag(Qt::Window));
        auto* bar = child<QProgressBar>(dialog, "progressBar");
        auto* info = child<QLabel>(dialog, "labelInfo");
        auto* close = child<QPushButton>(dialog, "closeButton");
        QVERIFY(bar && info && close);
        QCOMPARE(bar->minimumWidth(), 480);
        QCOMPARE(close->text(), QStringLiteral("Close"));
        QVERIFY(info->text().isEmpty());
        QCOMPARE(bar->minimum(), 5);
        QCOMPARE(bar->maximum(), 50);
        QCOMPARE(bar->value(), 5);

        dialog.setMinimum(0);
        dialog.setMaximum(200);
        dialog.setValue(150);
        dialog.setInfo(QStringLiteral("Reading"));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 200);
        QCOMPARE(bar->value(), 150);
        QCOMPARE(info->text(), QStringLiteral("Reading"));
        dialog.setIndeterminate();
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 0);
    }

    void escapeKeepsItOpenAndCloseCancels()
    {
        ProgressDialog dialog(0, 100);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy canceled(&dialog, &ProgressDialog::canceled);

        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(canceled.count(), 0);

        QTest::mouseClick(child<QPushButton>(dialog, "closeButton"), Qt::LeftButton);
        QCOMPARE(canceled.count(), 1);
        QVERIFY(dialog.isVisible()); // the work that showed it hides it
    }

    void retranslatesOnLanguageChange()
    {
        ProgressDialog dialog(0, 100);
        CloseTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QTRY_COMPARE(child<QPushButton>(dialog, "closeButton")->text(), QStringLiteral("Schliessen"));
        QCoreApplication::removeTranslator(&translator);
        QTRY_COMPARE(child<QPushButton>(dialog, "closeButton")->text(), QStringLiteral("Close"));
    }

    void waitCursorLastsForTheScope()
    {
        QVERIFY(!QApplication::overrideCursor());
        {
            WaitIndicator outer;
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QApplication::setOverrideCursor(Qt::CrossCursor);
            {
                WaitIndicator inner;
                QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            }
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
            QApplication::restoreOverrideCursor();
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
