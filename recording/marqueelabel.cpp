// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/marqueelabel.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>

Q_LOGGING_CATEGORY(lcMarquee, "ampora.marquee")

namespace {
constexpr int kMaxPauseSeconds = 24 * 3600; // keeps the pause in milliseconds within an int

// "dddd00" stands for "#dddd00"; colour names pass as they are.
QColor colourOf(const QString& text)
{
    if (text.isEmpty())
        return QColor();
    if (!text.startsWith(QLatin1Char('#'))) {
        const QColor hex(QLatin1Char('#') + text);
        if (hex.isValid())
            return hex;
    }
    return QColor(text);
}

QString jsonEscaped(QString text)
{
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
}
} // namespace

MarqueeString MarqueeString::fromJson(const QJsonObject& object)
{
    MarqueeString string;
    string.message = object.value(QLatin1String("message")).toString();
    string.linkto = object.value(QLatin1String("linkto")).toString();
    string.timeoutafter = qBound(0, object.value(QLatin1String("timeoutafter")).toInt(string.timeoutafter), kMaxPauseSeconds);
    string.textcolor = colourOf(object.value(QLatin1String("textcolor")).toString());
    string.size = object.value(QLatin1String("size")).toDouble(string.size);
    const QString keywords = object.value(QLatin1String("keywords")).toString();
    if (!keywords.isEmpty())
        string.keywords = keywords.split(QLatin1Char(','));
    string.speed = object.value(QLatin1String("speed")).toInt(string.speed);
    return string;
}

MarqueeLabel::MarqueeLabel(QWidget* parent)
    : QLabel(parent)
{
    connect(&m_timer, &QTimer::timeout, this, qOverload<>(&QWidget::repaint));
}

QByteArray MarqueeLabel::overCurrentDocument(const QString& message)
{
    // The blanks keep the text clear of the label's edges while it scrolls.
    const QString document = QStringLiteral("{\"messages\": [{\"message\": \"     %1     \",").arg(jsonEscaped(message))
                             + QStringLiteral("\"timeoutafter\": 0,") + QStringLiteral("\"textcolor\": \"dddd00\",")
                             + QStringLiteral("\"speed\": 2,\"enddate\": \"21211231\"}]}");
    return document.toUtf8();
}

bool MarqueeLabel::load(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        qCDebug(lcMarquee) << "MarqueeLabel::load()" << error.errorString() << error.offset;
        return false;
    }
    const QJsonArray messages = document.object().value(QLatin1String("messages")).toArray();
    for (const QJsonValue& message : messages)
        m_strings.append(MarqueeString::fromJson(message.toObject()));
    repeate(0);
    return true;
}

bool MarqueeLabel::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return load(file.readAll());
}

void MarqueeLabel::setStrings(const QList<MarqueeString>& list)
{
    m_strings = list;
    restartStrings();
}

void MarqueeLabel::addStrings(const QList<MarqueeString>& list)
{
    m_strings.append(list);
    restartStrings();
}

void MarqueeLabel::restartStrings()
{
    m_timer.stop();
    clear();
    m_index = 0;
    if (m_strings.isEmpty())
        return;
    setText(m_strings.constFirst().message);
    updateCoordinates();
    setDirection(m_direction);
    m_timer.start(kTickMs);
}

void MarqueeLabel::setVisible(bool visible)
{
    QLabel::setVisible(visible);
    if (visible)
        m_timer.start(kTickMs);
    else
        m_timer.stop();
}

void MarqueeLabel::setSpeed(int speed)
{
    m_speed = speed;
}

void MarqueeLabel::setDirection(int direction)
{
    m_direction = direction;
    m_x = direction == 1 ? width() : 0;
}

void MarqueeLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    updateCoordinates();
    QLabel::setAlignment(alignment);
}

void MarqueeLabel::updateCoordinates()
{
    m_textWidth = fontMetrics().horizontalAdvance(text());
}

void MarqueeLabel::showString(const MarqueeString& string)
{
    setText(string.message);
    m_speed = string.speed;
    updateCoordinates();
    setCursor(string.linkto.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void MarqueeLabel::repeate(int)
{
    if (m_strings.isEmpty()) {
        m_timer.stop();
        return;
    }
    m_index = 0;
    showString(m_strings.constFirst());
    // A new round always enters from the right edge.
    m_x = width();
    m_timer.start(kTickMs);
    m_paused = false;
}

void MarqueeLabel::next()
{
    ++m_index;
    if (!hasCurrent()) {
        m_timer.stop();
        repeate(0);
        return;
    }
    showString(m_strings.at(m_index));
    m_x = m_direction == 1 ? width() : 0;
    m_timer.start(kTickMs);
    m_paused = false;
}

// One step; true when the text has just left the label.
bool MarqueeLabel::advance()
{
    if (m_direction == 1) {
        m_x -= m_speed;
        return m_x <= -m_textWidth;
    }
    m_x += m_speed;
    return m_x > width() - 1;
}

void MarqueeLabel::drawText(QPainter& painter)
{
    painter.drawText(QRect(QPoint(m_x, 0), rect().bottomRight()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

void MarqueeLabel::paintEvent(QPaintEvent* event)
{
    if (m_strings.isEmpty() || m_paused) {
        QLabel::paintEvent(event);
        return;
    }
    if (!hasCurrent())
        m_index = 0;
    const MarqueeString& current = m_strings.at(m_index);
    QPainter painter(this);
    if (current.textcolor.isValid() && current.textcolor.alpha() != 0)
        painter.setPen(current.textcolor);
    if (advance()) {
        m_paused = true;
        m_timer.stop();
        QTimer::singleShot(current.timeoutafter * 1000, this, &MarqueeLabel::next);
    }
    drawText(painter);
}

void MarqueeLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateCoordinates();
}

void MarqueeLabel::mousePressEvent(QMouseEvent* event)
{
    if (!m_paused && hasCurrent() && !m_strings.at(m_index).linkto.isEmpty())
        emit clicked(m_strings.at(m_index).linkto);
    QLabel::mousePressEvent(event);
}
