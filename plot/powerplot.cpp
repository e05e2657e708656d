// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/powerplot.h"

#include "plot/plotaxis.h"
#include "plot/poweraxisrect.h"

#include <QRubberBand>

PowerPlot::PowerPlot(QWidget* parent)
    : QCustomPlot(parent)
    , m_axisRect(new PowerAxisRect(this))
{
    // The library starts with a plain axis rect and plain axes. Swap in ours
    // before anything refers to them; removing the old rect also clears
    // xAxis and its siblings, which our axes then take over.
    QCPAxisRect* library = axisRect();
    library->insetLayout()->take(legend);
    plotLayout()->remove(library);
    plotLayout()->addElement(0, 0, m_axisRect);
    m_axisRect->setLayer(QStringLiteral("background"));
    m_axisRect->addDefaultAxes();
    m_axisRect->insetLayout()->addElement(legend, Qt::AlignRight | Qt::AlignTop);
    m_axisRect->insetLayout()->setMargins(QMargins(12, 12, 12, 12));
}

PlotAxis* PowerPlot::timeAxis() const
{
    return qobject_cast<PlotAxis*>(xAxis);
}

PlotAxis* PowerPlot::axisAt(const QPointF& pos) const
{
    for (QCPAxis* axis : m_axisRect->axes()) {
        if (axis->visible() && axis->getPartAt(pos) != QCPAxis::spNone)
            return qobject_cast<PlotAxis*>(axis);
    }
    return nullptr;
}

QRubberBand* PowerPlot::rubberBand()
{
    if (!m_rubberBand)
        m_rubberBand = new QRubberBand(QRubberBand::Rectangle, this);
    return m_rubberBand;
}

bool PowerPlot::rubberBandShown() const
{
    return m_rubberBand && m_rubberBand->isVisibleTo(this);
}

void PowerPlot::mousePressEvent(QMouseEvent* event)
{
    m_pressedAxis = axisAt(event->position());
    QCustomPlot::mousePressEvent(event);
}

void PowerPlot::mouseMoveEvent(QMouseEvent* event)
{
    if (!rubberBandShown())
        m_axisRect->updatePointer(event);
    QCustomPlot::mouseMoveEvent(event);
}

void PowerPlot::mouseReleaseEvent(QMouseEvent* event)
{
    QCustomPlot::mouseReleaseEvent(event);
    m_pressedAxis = nullptr;
}

void PowerPlot::wheelEvent(QWheelEvent* event)
{
    emit mouseWheel(event);
    event->accept();
}
