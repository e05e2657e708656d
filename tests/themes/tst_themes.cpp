// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <qcustomplot.h>

namespace {

// Everything setAxisColor or setPlotterColor may touch on one axis.
struct AxisColors
{
    QColor label, tickLabel, tick, subTick, base;
    qreal tickWidth;

    explicit AxisColors(const QCPAxis* a)
        : label(a->labelColor())
        , tickLabel(a->tickLabelColor())
        , tick(a->tickPen().color())
        , subTick(a->subTickPen().color())
        , base(a->basePen().color())
        , tickWidth(a->tickPen().widthF())
    {
    }
    bool operator==(const AxisColors& o) const
    {
        return label == o.label && tickLabel == o.tickLabel && tick == o.tick && subTick == o.subTick
               && base == o.base && tickWidth == o.tickWidth;
    }
};

QColor backgroundOf(QCustomPlot& plot)
{
    return plot.toPixmap(100, 100).toImage().pixelColor(1, 1);
}

} // namespace

class TestThemes : public QObject
{
    Q_OBJECT

private slots:
    void setPlotterColor_data()
    {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("axis");
        QTest::newRow("white") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("mixed") << QColor(0x20, 0x40, 0x60) << QColor(0xdf, 0xbf, 0x9f);
    }
    void setPlotterColor()
    {
        QFETCH(QColor, background);
        QFETCH(QColor, axis);
        QCustomPlot plot;
        const AxisColors valueAxis(plot.yAxis);

        Helpers::setPlotterColor(&plot, background);

        QCOMPARE(backgroundOf(plot), background);
        const AxisColors time(plot.xAxis);
        QCOMPARE(time.label, axis);
        QCOMPARE(time.tickLabel, axis);
        QCOMPARE(time.tick, axis);
        QCOMPARE(time.subTick, axis);
        QCOMPARE(time.base, axis);
        QCOMPARE(time.tickWidth, 2.0);
        QVERIFY(AxisColors(plot.yAxis) == valueAxis);
    }

    void setPlotterColorIgnoresInvalidColor()
    {
        QCustomPlot plot;
        Helpers::setPlotterColor(&plot, QColor(0x20, 0x40, 0x60));
        const AxisColors before(plot.xAxis);
        const QColor background = backgroundOf(plot);

        Helpers::setPlotterColor(&plot, QColor());
        Helpers::setPlotterColor(nullptr, Qt::red);

        QVERIFY(AxisColors(plot.xAxis) == before);
        QCOMPARE(backgroundOf(plot), background);
    }

    void setAxisColor()
    {
        QCustomPlot plot;
        QCPAxis* axis = plot.axisRect()->axis(QCPAxis::atRight);
        const qreal width = axis->tickPen().widthF();

        Helpers::setAxisColor(axis, QColor(0x12, 0x34, 0x56));
        const AxisColors after(axis);
        for (const QColor& c : {after.label, after.tickLabel, after.tick, after.subTick, after.base})
            QCOMPARE(c, QColor(0x12, 0x34, 0x56));
        QCOMPARE(after.tickWidth, width);

        Helpers::setAxisColor(axis, QColor());
        Helpers::setAxisColor(nullptr, Qt::red);
        QVERIFY(AxisColors(axis) == after);
    }

    void darkPalette_data()
    {
        QTest::addColumn<QPalette::ColorRole>("role");
        QTest::addColumn<QColor>("normal");    // active and inactive; invalid: not set
        QTest::addColumn<QColor>("disabled");

        const QColor window(53, 53, 53), grey(128, 128, 128), link(42, 130, 218);
        const QColor white(Qt::white), black(Qt::black);
        QTest::newRow("Window") << QPalette::Window << window << window;
        QTest::newRow("WindowText") << QPalette::WindowText << white << grey;
        QTest::newRow("Base") << QPalette::Base << QColor(25, 25, 25) << QColor(25, 25, 25);
        QTest::newRow("AlternateBase") << QPalette::AlternateBase << window << window;
        QTest::newRow("ToolTipBase") << QPalette::ToolTipBase << white << white;
        QTest::newRow("ToolTipText") << QPalette::ToolTipText << black << black;
        QTest::newRow("Text") << QPalette::Text << white << grey;
        QTest::newRow("Button") << QPalette::Button << window << window;
        QTest::newRow("ButtonText") << QPalette::ButtonText << white << grey;
        QTest::newRow("BrightText") << QPalette::BrightText << QColor(Qt::red) << QColor(Qt::red);
        QTest::newRow("Link") << QPalette::Link << link << link;
        QTest::newRow("Highlight") << QPalette::Highlight << link << link;
        QTest::newRow("HighlightedText") << QPalette::HighlightedText << black << black;
        QTest::newRow("Light") << QPalette::Light << QColor() << window;
    }
    void darkPalette()
    {
        QFETCH(QPalette::ColorRole, role);
        QFETCH(QColor, normal);
        QFETCH(QColor, disabled);
        const QPalette palette = Helpers::darkPalette();

        if (normal.isValid()) {
            QCOMPARE(palette.color(QPalette::Active, role), normal);
            QCOMPARE(palette.color(QPalette::Inactive, role), normal);
            QCOMPARE(palette.brush(QPalette::Active, role).style(), Qt::SolidPattern);
        }
        QCOMPARE(palette.color(QPalette::Disabled, role), disabled);
        QCOMPARE(palette.brush(QPalette::Disabled, role).style(), Qt::SolidPattern);
    }

    void lightThemeRestoresTheFusionPalette()
    {
        QApplication::setStyle(QStringLiteral("fusion"));
        const QPalette fusion = QApplication::palette();

        QApplication::setPalette(Helpers::darkPalette());
        QCOMPARE(QWidget().palette().color(QPalette::Window), QColor(53, 53, 53));
        QApplication::setPalette(fusion);

        QCOMPARE(QApplication::palette(), fusion);
        QCOMPARE(QWidget().palette(), fusion);
        QCOMPARE(fusion, QApplication::style()->standardPalette());
    }

    void resources_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("app icon") << ":/res/ampora.png" << QSize(256, 256);
        QTest::newRow("warning") << ":/res/warning.png" << QSize(64, 64);
        for (const char* name : {"play-black", "play-white", "play-gray", "stop-black", "stop-white",
                                 "stop-gray", "bullet_ball_green", "bullet_ball_grey"})
            QTest::newRow(name) << QStringLiteral(":/res/%1.png").arg(QLatin1String(name)) << QSize(32, 32);
        for (const char* name : {"float-black", "float-white"})
            QTest::newRow(name) << QStringLiteral(":/res/%1.png").arg(QLatin1String(name)) << QSize(16, 16);
    }
    void resources()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QCOMPARE(image.size(), size);
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);  // icons sit on a transparent corner
    }

    void warningBox()
    {
        QSize iconSize;
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QTimer inspector;
        connect(&inspector, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            inspector.stop();
            iconSize = box->iconPixmap().size();
            title = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            box->defaultButton()->click();
        });
        inspector.start(10);

        const int pressed = Helpers::warning(nullptr, QStringLiteral("Save"), QStringLiteral("Save them?"),
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                             QMessageBox::No);

        QCOMPARE(pressed, int(QMessageBox::No));
        QCOMPARE(iconSize, QSize(32, 32));
        QCOMPARE(title, QStringLiteral("Save"));
        QCOMPARE(text, QStringLiteral("Save them?"));
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
};

QTEST_MAIN(TestThemes)
#include "tst_themes.moc"
