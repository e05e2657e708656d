// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"

#include <QMessageBox>
#include <QPalette>
#include <qcustomplot.h>

namespace {

constexpr int kWarningIconSize = 32;

QColor inverse(const QColor& c)
{
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

QPen withColor(QPen pen, const QColor& c)
{
    pen.setColor(c);
    return pen;
}

} // namespace

QPalette Helpers::darkPalette()
{
    const QColor window(53, 53, 53);
    const QColor disabled(128, 128, 128);
    const QColor link(42, 130, 218);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(25, 25, 25));
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, Qt::white);
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Link, link);
    palette.setColor(QPalette::Highlight, link);
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Light, window);
    return palette;
}

void Helpers::setPlotterColor(QCustomPlot* plot, const QColor& c)
{
    if (!plot || !c.isValid())
        return;
    plot->setBackground(QBrush(c));

    const QColor i = inverse(c);
    QCPAxis* time = plot->xAxis;
    time->setTickLabelColor(i);
    time->setLabelColor(i);
    time->setSubTickPen(withColor(time->subTickPen(), i));
    time->setBasePen(withColor(time->basePen(), i));
    QPen tick = withColor(time->tickPen(), i);
    tick.setWidth(2);
    time->setTickPen(tick);
}

void Helpers::setAxisColor(QCPAxis* axis, const QColor& c)
{
    if (!axis || !c.isValid())
        return;
    axis->setLabelColor(c);
    axis->setTickLabelColor(c);
    axis->setTickPen(withColor(axis->tickPen(), c));
    axis->setSubTickPen(withColor(axis->subTickPen(), c));
    axis->setBasePen(withColor(axis->basePen(), c));
}

int Helpers::warning(QWidget* parent, const QString& title, const QString& text, int buttons,
                     int defaultButton)
{
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    QMessageBox::StandardButtons::fromInt(buttons), parent);
    box.setIconPixmap(QPixmap(QStringLiteral(":/res/warning.png"))
                          .scaled(kWarningIconSize, kWarningIconSize, Qt::KeepAspectRatio,
                                  Qt::SmoothTransformation));
    box.setDefaultButton(static_cast<QMessageBox::StandardButton>(defaultButton));
    return box.exec();
}
