// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QLabel>
#include <QList>
#include <QStringList>
#include <QTimer>

class QJsonObject;

// One message of a marquee document.
struct MarqueeString
{
    QString message;
    QString linkto;      // shown as a pointing hand; a click hands it out
    int timeoutafter = 0; // seconds of pause once the text has left the label
    QColor textcolor;    // invalid: the label's own pen
    double size = 100.0; // kept for the document's sake; not drawn
    QStringList keywords; // kept for the document's sake; not used
    int speed = 1;       // pixels per tick

    static MarqueeString fromJson(const QJsonObject& object);
};

// A label that scrolls a list of messages, one after the other, and starts
// over with the first when the last has gone by.
class MarqueeLabel : public QLabel
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 25;

    explicit MarqueeLabel(QWidget* parent = nullptr);

    // The document the main window scrolls when the current is too high.
    static QByteArray overCurrentDocument(const QString& message);

    // Appends the document's messages and starts over; a broken document
    // changes nothing.
    bool load(const QByteArray& json);
    bool load(const QString& path);
    void setStrings(const QList<MarqueeString>& list);
    void addStrings(const QList<MarqueeString>& list);
    QList<MarqueeString> strings() const { return m_strings; }

    void setVisible(bool visible) override;
    void setAlignment(Qt::Alignment alignment);
    void repeate(int unused = 0);

    // Where the scrolling stands: left edge of the text, current message, pause.
    int textPosition() const { return m_x; }
    int currentIndex() const { return m_index; }
    bool isPaused() const { return m_paused; }

    Q_INVOKABLE int speed() const { return m_speed; }

public slots:
    void setSpeed(int speed);
    void setDirection(int direction);
    void next();

signals:
    void clicked(const QString& link);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void updateCoordinates();
    void showString(const MarqueeString& string);
    void restartStrings();
    bool advance();
    void drawText(QPainter& painter);
    bool hasCurrent() const { return m_index >= 0 && m_index < m_strings.size(); }

    int m_x = 0;
    QTimer m_timer;
    Qt::Alignment m_alignment;
    int m_speed = 1;
    int m_direction = 1; // 1: right to left
    int m_textWidth = 0;
    QList<MarqueeString> m_strings;
    int m_index = 0;
    bool m_paused = false;
};
