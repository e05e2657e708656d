// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/powerdatapacket.h"

#include <QImage>
#include <QLabel>
#include <QList>
#include <QMap>
#include <QRect>

class QAction;
class QMenu;

// A picture of one of the unit's status screens with live values; a click on
// one of its three fields picks the quantity that field shows.
class PowerDisplay : public QLabel
{
    Q_OBJECT

public:
    static constexpr int kFields = 3;

    explicit PowerDisplay(QWidget* parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // Fills the menu for a screen, named by its bit in the screen bitmap.
    void setMenu(int identifier);
    QMenu* menu() const { return m_menu; }
    // The values come from status; the owner keeps it alive.
    void setStatus(PowerDataPacket* status) { m_status = status; }

    void applyFields(const QList<int>& codes);
    QList<int> codes() const { return m_codes; }
    // Redraws the stored codes with the current values and display preferences.
    void adjustFormats();
    using QLabel::update;
    // Draws title, field 1, field 2 and field 3.
    void update(const QList<QString>& texts);
    const QImage& image() const { return m_image; }

    // 0, 1 or 2 for a point over a field, else -1.
    int field(const QPoint& point) const;
    void showMenu(const QPoint& point);
    void aboutToShowMenu(int field);
    void applyMenu(int field, QAction* chosen);
    QString actionText(int code) const;
    static int actionData(const QAction* action);
    // The menu texts, which name the USB outputs by the current model.
    static void initMenu();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    static constexpr int kSide = 120;
    static constexpr int kCentre = 59;

    QString fieldText(int code) const;
    void redraw();
    QRect shifted(const QRect& area) const;

    static QMap<quint16, QString> m_mapMenuItems;

    QString m_title;
    QImage m_image;
    QRect m_titleArea;
    QRect m_fieldAreas[kFields];
    QMenu* m_menu;
    QList<int> m_codes{0, 0, 0};
    PowerDataPacket m_defaultStatus;
    PowerDataPacket* m_status = &m_defaultStatus;
};
