// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPoint>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPropertyAnimation;

// A small frameless note beside the pointer: fades in, stays a while, fades
// out. The plots show the values under the pointer in it.
class PopUp : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float popupOpacity READ getPopupOpacity WRITE setPopupOpacity)

public:
    explicit PopUp(QWidget* parent = nullptr);

    float getPopupOpacity() const { return m_popupOpacity; }
    void setPopupOpacity(float opacity);

    void setBackColour(const QColor& colour);
    void setBorderColour(const QColor& colour);
    void setTextColour(const QString& colourName);
    // Time from showing to the start of the fade-out.
    void setShowTime(int ms) { m_showTime = ms; }

    // The text colour that reads well on a chart of this background: its
    // inverse, as "#rrggbb". Not a colour: as on the default white chart.
    static QString hintColourFor(const QColor& background);

public slots:
    void setPopupText(const QString& text);
    QString getPopupText() const;
    void show();
    // Hides only once the fade-out has reached zero; the end of the fade-in
    // comes here too and must leave the note up.
    void hide();
    void hideAnimation();
    void focusShow() { QWidget::show(); }
    void focusHide() { QWidget::hide(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void applyTextStyle();

    QColor m_backColour{0, 0, 0, 180};
    QColor m_borderColour{255, 155, 255, 180};
    QString m_textColour = QStringLiteral("white");
    QLabel* m_label;
    QPropertyAnimation* m_animation;
    float m_popupOpacity = 0.1f;
    QTimer m_hideTimer;
    bool m_autoHide = true;
    int m_showTime = 2000;
    QPoint m_pressOffset;
};
