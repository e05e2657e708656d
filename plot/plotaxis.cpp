// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plotaxis.h"

#include "app/helpers.h"

#include <cmath>

namespace {

// Spans narrower than this are refused by scaleRange.
constexpr double kMinimumSpan = 0.001;

// Draws the tick labels of a horizontal axis in two rows when the axis asks
// for it: offsets in the first row, thinned so they never overlap, and the
// major texts below them. Everything else is the library's drawing.
class TwoRowAxisPainter : public QCPAxisPainterPrivate
{
public:
    TwoRowAxisPainter(const PlotAxis* axis, const QCPAxisPainterPrivate& from);

    void draw(QCPPainter* painter) override;
    int size() override;

protected:
    void placeTickLabel(QCPPainter* painter, double position, int distanceToAxis, const QString& text,
                        QSize* tickLabelsSize) override;

private:
    bool twoRows() const;
    int secondRowHeight() const;
    void drawSecondRow(QCPPainter* painter) const;
    void copyProperties(const QCPAxisPainterPrivate& from);

    const PlotAxis* m_axis;
    // First-row state of the current draw.
    bool m_placedAny = false;
    double m_lastPosition = 0;
    int m_widest = 0;
    int m_firstRowHeight = 0;
    int m_distanceToAxis = 0;
};

TwoRowAxisPainter::TwoRowAxisPainter(const PlotAxis* axis, const QCPAxisPainterPrivate& from)
    : QCPAxisPainterPrivate(axis->parentPlot())
    , m_axis(axis)
{
    copyProperties(from);
}

// QCPAxis's constructor has already configured its own painter through its
// setters; the replacement starts from the same settings.
void TwoRowAxisPainter::copyProperties(const QCPAxisPainterPrivate& from)
{
    type = from.type;
    basePen = from.basePen;
    lowerEnding = from.lowerEnding;
    upperEnding = from.upperEnding;
    labelPadding = from.labelPadding;
    labelFont = from.labelFont;
    labelColor = from.labelColor;
    label = from.label;
    tickLabelPadding = from.tickLabelPadding;
    tickLabelRotation = from.tickLabelRotation;
    tickLabelSide = from.tickLabelSide;
    substituteExponent = from.substituteExponent;
    numberMultiplyCross = from.numberMultiplyCross;
    tickLengthIn = from.tickLengthIn;
    tickLengthOut = from.tickLengthOut;
    subTickLengthIn = from.subTickLengthIn;
    subTickLengthOut = from.subTickLengthOut;
    tickPen = from.tickPen;
    subTickPen = from.subTickPen;
    tickLabelFont = from.tickLabelFont;
    tickLabelColor = from.tickLabelColor;
    axisRect = from.axisRect;
    viewportRect = from.viewportRect;
    offset = from.offset;
    abbreviateDecimalPowers = from.abbreviateDecimalPowers;
    reversedEndings = from.reversedEndings;
}

bool TwoRowAxisPainter::twoRows() const
{
    return m_axis->twoRowLabels() && QCPAxis::orientation(type) == Qt::Horizontal
           && tickLabelSide == QCPAxis::lsOutside;
}

int TwoRowAxisPainter::secondRowHeight() const
{
    return QFontMetrics(labelFont).height();
}

void TwoRowAxisPainter::draw(QCPPainter* painter)
{
    m_placedAny = false;
    m_lastPosition = 0;
    m_widest = 0;
    m_firstRowHeight = 0;
    m_distanceToAxis = 0;
    QCPAxisPainterPrivate::draw(painter);
    if (twoRows() && m_placedAny)
        drawSecondRow(painter);
}

int TwoRowAxisPainter::size()
{
    const int oneRow = QCPAxisPainterPrivate::size();
    return twoRows() && !tickLabels.isEmpty() ? oneRow + secondRowHeight() : oneRow;
}

void TwoRowAxisPainter::placeTickLabel(QCPPainter* painter, double position, int distanceToAxis,
                                       const QString& text, QSize* tickLabelsSize)
{
    if (!twoRows()) {
        QCPAxisPainterPrivate::placeTickLabel(painter, position, distanceToAxis, text, tickLabelsSize);
        return;
    }
    // Skipped labels leave a gap rather than overlap; empty ones still count.
    if (m_placedAny && position <= m_lastPosition + m_widest)
        return;
    m_placedAny = true;
    m_lastPosition = position;
    m_distanceToAxis = distanceToAxis;
    QSize own(0, 0);
    QCPAxisPainterPrivate::placeTickLabel(painter, position, distanceToAxis, text, &own);
    m_widest = qMax(m_widest, own.width());
    m_firstRowHeight = qMax(m_firstRowHeight, own.height());
    // The library puts the axis label below the labels; keep it below both rows.
    tickLabelsSize->setWidth(qMax(tickLabelsSize->width(), own.width()));
    tickLabelsSize->setHeight(m_firstRowHeight + secondRowHeight());
}

void TwoRowAxisPainter::drawSecondRow(QCPPainter* painter) const
{
    const QMap<int, QString>& majors = m_axis->majorLabels();
    if (majors.isEmpty())
        return;
    const QFontMetrics metrics(labelFont);
    const int height = metrics.height();
    const int y = type == QCPAxis::atBottom
                      ? axisRect.bottom() + offset + m_distanceToAxis + m_firstRowHeight
                      : axisRect.top() - offset - m_distanceToAxis - m_firstRowHeight - height;
    painter->setFont(labelFont);
    painter->setPen(QPen(labelColor));
    const auto drawAt = [&](double x, const QString& text) {
        const int width = metrics.horizontalAdvance(text);
        painter->drawText(QRectF(x, y, width, height), Qt::AlignLeft | Qt::AlignTop, text);
        return width;
    };

    const double left = axisRect.left();
    int widest = 0;
    auto it = majors.constBegin();
    if (it.key() == -1) {
        widest = drawAt(left, it.value());
        ++it;
    }
    for (; it != majors.constEnd(); ++it) {
        const int t = it.key();
        if (t < 0 || t >= tickPositions.size())
            continue;
        const double x = tickPositions.at(t);
        if (x > left + widest)
            widest = qMax(widest, drawAt(x, it.value()));
    }
}

} // namespace

PlotTicker::PlotTicker(PlotAxis* axis)
    : m_axis(axis)
{
}

void PlotTicker::generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                          QVector<double>& ticks, QVector<double>* subTicks, QVector<QString>* tickLabels)
{
    QCPAxisTicker::generate(range, locale, formatChar, precision, ticks, subTicks, tickLabels);
    if (tickLabels)
        emit m_axis->axisUnitChanged(m_axis, m_divider, ticks, *tickLabels);
}

int PlotTicker::getSubTickCount(double tickStep)
{
    return m_subTickCount >= 0 ? m_subTickCount : QCPAxisTicker::getSubTickCount(tickStep);
}

QVector<QString> PlotTicker::createLabelVector(const QVector<double>& ticks, const QLocale& locale, QChar,
                                               int)
{
    // The library has already dropped the ticks outside the range.
    m_divider = ticks.isEmpty() ? 1 : Helpers::divider(ticks.last());
    QVector<QString> labels;
    labels.reserve(ticks.size());
    for (double x : ticks)
        labels.append(numberLabel(x, m_divider, locale));
    return labels;
}

QString PlotTicker::numberLabel(double x, int divider, const QLocale& locale)
{
    const double f = x / divider;
    QString text;
    if (f > 999999)
        text = locale.toString(f / 10, 'g', 6) + QString::number(int(std::fmod(std::trunc(f), 10)));
    else
        text = locale.toString(f, 'g', 6);
    groupDigits(text, locale.decimalPoint());
    return text;
}

void PlotTicker::groupDigits(QString& text, const QString& decimalPoint)
{
    const int begin = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    int end = begin;
    while (end < text.size() && text.at(end).isDigit())
        ++end;
    // Exponent forms ("1e+07") are left alone.
    if (end < text.size() && !QStringView(text).mid(end).startsWith(decimalPoint))
        return;
    if (end - begin > 6)
        text.insert(end - 6, QLatin1Char(' '));
    end = begin;
    while (end < text.size() && !QStringView(text).mid(end).startsWith(decimalPoint))
        ++end;
    if (end - begin > 3)
        text.insert(end - 3, QLatin1Char(' '));
}

PlotAxis::PlotAxis(QCPAxisRect* parent, AxisType type)
    : QCPAxis(parent, type)
    , m_ticker(new PlotTicker(this))
{
    setTicker(QSharedPointer<QCPAxisTicker>(m_ticker));
    QCPAxisPainterPrivate* library = mAxisPainter;
    mAxisPainter = new TwoRowAxisPainter(this, *library);
    delete library;
}

void PlotAxis::setRange(double lower, double upper)
{
    if (lower == mRange.lower && upper == mRange.upper)
        return;
    if (lower < m_rangeMin) {
        QCPAxis::setRange(QCPRange(m_rangeMin, upper));
        return;
    }
    if (upper > m_rangeMax) {
        mRange.upper = m_rangeMax;
        mRange.normalize();
        return;
    }
    QCPAxis::setRange(lower, upper);
}

void PlotAxis::setRange(const QCPRange& range)
{
    if (range == mRange)
        return;
    if (range.lower < m_rangeMin) {
        mRange.lower = m_rangeMin;
        mRange.normalize();
        return;
    }
    if (range.upper > m_rangeMax) {
        mRange.upper = m_rangeMax;
        mRange.normalize();
        return;
    }
    QCPAxis::setRange(range);
}

void PlotAxis::scaleRange(double factor, double center)
{
    const double lower = center + (mRange.lower - center) * factor;
    const double upper = center + (mRange.upper - center) * factor;
    if (lower + kMinimumSpan > upper)
        return;
    QCPAxis::setRange(QCPRange(qBound(m_rangeMin, lower, m_rangeMax), qBound(m_rangeMin, upper, m_rangeMax)));
}

void PlotAxis::setTwoRowLabels(bool on)
{
    if (m_twoRowLabels == on)
        return;
    m_twoRowLabels = on;
    mCachedMarginValid = false;
}

void PlotAxis::mousePressEvent(QMouseEvent* event, const QVariant&)
{
    event->ignore();
}
