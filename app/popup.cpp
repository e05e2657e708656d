// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/popup.h"

#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {

constexpr int kFadeInMs = 150;
constexpr int kFadeOutMs = 1000;

} // namespace

PopUp::PopUp(QWidget* parent)
    : QWidget(parent)
    , m_label(new QLabel(this))
    , m_animation(new QPropertyAnimation(this, "popupOpacity", this))
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    applyTextStyle();

    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &PopUp::hideAnimation);
    connect(m_animation, &QAbstractAnimation::finished, this, &PopUp::hide);
}

void PopUp::setPopupOpacity(float opacity)
{
    m_popupOpacity = opacity;
    setWindowOpacity(opacity);
}

void PopUp::setBackColour(const QColor& colour)
{
    m_backColour = colour;
    update();
}

void PopUp::setBorderColour(const QColor& colour)
{
    m_borderColour = colour;
    update();
}

void PopUp::setTextColour(const QString& colourName)
{
    m_textColour = colourName;
    applyTextStyle();
}

QString PopUp::hintColourFor(const QColor& background)
{
    const QColor c = background.isValid() ? background : QColor(Qt::white);
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()).name();
}

void PopUp::applyTextStyle()
{
    m_label->setStyleSheet(QStringLiteral("QLabel { color : ") + m_textColour
                           + QStringLiteral(";margin-top: 6px;margin-bottom: 6px;"
                                            "margin-left: 10px;margin-right: 10px; }"));
}

void PopUp::setPopupText(const QString& text)
{
    move(QCursor::pos() + QPoint(1, 1));
    m_label->setText(text);
    adjustSize();
    show();
}

QString PopUp::getPopupText() const
{
    return m_label->text();
}

void PopUp::show()
{
    // A running fade would ignore start(); begin the fade-in afresh.
    m_animation->stop();
    setWindowOpacity(0.0);
    m_animation->setDuration(kFadeInMs);
    m_animation->setStartValue(0.0f);
    m_animation->setEndValue(1.0f);
    QWidget::show();
    m_animation->start();
    if (m_autoHide)
        m_hideTimer.start(m_showTime);
}

void PopUp::hide()
{
    if (m_popupOpacity == 0.0f)
        QWidget::hide();
}

void PopUp::hideAnimation()
{
    m_hideTimer.stop();
    m_animation->stop();
    m_animation->setDuration(kFadeOutMs);
    m_animation->setStartValue(1.0f);
    m_animation->setEndValue(0.0f);
    m_animation->start();
}

void PopUp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QBrush(m_backColour));
    painter.setPen(m_borderColour);
    painter.drawRoundedRect(QRect(5, 5, width() - 10, height() - 10), 5, 5);
}

void PopUp::mousePressEvent(QMouseEvent* event)
{
    m_pressOffset = event->position().toPoint();
}

void PopUp::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton)
        move(event->globalPosition().toPoint() - m_pressOffset);
}
