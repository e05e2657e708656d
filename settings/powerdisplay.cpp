// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/powerdisplay.h"

#include "app/helpers.h"
#include "settings/powergetpacket.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

QMap<quint16, QString> PowerDisplay::m_mapMenuItems;

namespace {
// Areas around the image centre, as offsets from it (both ends inside).
QRect around(int centre, int left, int top, int right, int bottom)
{
    return QRect(QPoint(centre + left, centre + top), QPoint(centre + right, centre + bottom));
}

QList<int> codesOf(int identifier)
{
    const bool model500 = Helpers::powerMode;
    QList<int> codes;
    switch (identifier) {
    case PowerGetPacket::kScreenTotal:
    case PowerGetPacket::kScreenSite600:
        for (int code = 0; code <= (model500 ? 15 : 13); ++code)
            codes << code;
        break;
    case PowerGetPacket::kScreenPower:
        codes = {0, 3, 4, 7, 8, 9, 10};
        break;
    case PowerGetPacket::kScreenAux:
        // A model 500 has a single USB output, so nothing past its two codes has a text.
        codes = model500 ? QList<int>{0, 14, 15} : QList<int>{0, 14, 15, 16, 17, 18, 19, 20, 21};
        break;
    default:
        break;
    }
    return codes;
}
} // namespace

PowerDisplay::PowerDisplay(QWidget* parent)
    : QLabel(parent)
    , m_image(kSide, kSide, QImage::Format_ARGB32)
    , m_titleArea(around(kCentre, -20, -35, 21, -24))
    , m_fieldAreas{around(kCentre, -32, -20, 31, -3), around(kCentre, -32, 2, 31, 19),
                   around(kCentre, -20, 23, 21, 34)}
    , m_menu(new QMenu(this))
{
    setMouseTracking(true);
    setAlignment(Qt::AlignCenter);
    initMenu();
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &PowerDisplay::showMenu);
    const QString none = tr("NONE");
    update({none, none, none, none});
}

void PowerDisplay::initMenu()
{
    const bool model500 = Helpers::powerMode;
    m_mapMenuItems = {
        {0, tr("NONE")},
        {1, tr("Date")},
        {2, tr("Fan speed")},
        {3, tr("Main Output Voltage")},
        {4, tr("Main Output Current")},
        {5, tr("Mains Voltage")},
        {6, tr("Mains Frequency")},
        {7, tr("Max. Permitted Power")},
        {8, tr("Max. Permitted Current")},
        {9, tr("Total Current Consumption")},
        {10, tr("Total Power Consumption")},
        {11, tr("Temperature inside")},
        {12, tr("Temperature outside")},
        {13, tr("Time")},
        {14, model500 ? tr("USB Output Voltage") : tr("USB1 Output Voltage")},
        {15, model500 ? tr("USB Output Current") : tr("USB1 Output Current")},
    };
    if (model500)
        return;
    m_mapMenuItems.insert(16, tr("USB2 Output Voltage"));
    m_mapMenuItems.insert(17, tr("USB2 Output Current"));
    m_mapMenuItems.insert(18, tr("USB3 Output Voltage"));
    m_mapMenuItems.insert(19, tr("USB3 Output Current"));
    m_mapMenuItems.insert(20, tr("USB4 Output Voltage"));
    m_mapMenuItems.insert(21, tr("USB4 Output Current"));
}

void PowerDisplay::setMenu(int identifier)
{
    m_menu->clear();
    for (int code : codesOf(identifier)) {
        QAction* action = m_menu->addAction(m_mapMenuItems.value(quint16(code)));
        action->setData(code);
        action->setCheckable(true);
    }
}

void PowerDisplay::applyFields(const QList<int>& codes)
{
    for (int i = 0; i < kFields; ++i)
        m_codes[i] = codes.value(i);
    redraw();
}

void PowerDisplay::adjustFormats()
{
    redraw();
}

QString PowerDisplay::fieldText(int code) const
{
    return code == 0 ? tr("NONE") : m_status->getData(code);
}

void PowerDisplay::redraw()
{
    update({m_title, fieldText(m_codes[0]), fieldText(m_codes[1]), fieldText(m_codes[2])});
}

void PowerDisplay::update(const QList<QString>& texts)
{
    m_image.fill(Qt::transparent);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(Qt::darkGray).darker(200));
    painter.drawEllipse(around(kCentre, -58, -58, 57, 57));
    painter.setBrush(Qt::black);
    painter.drawEllipse(around(kCentre, -40, -40, 39, 39));

    QFont font = painter.font();
    font.setPointSize(6);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(m_titleArea, Qt::AlignCenter, texts.value(0));
    painter.drawText(m_fieldAreas[2], Qt::AlignCenter, texts.value(3));

    font.setPointSize(10);
    painter.setFont(font);
    painter.setPen(Qt::green);
    painter.drawText(m_fieldAreas[0], Qt::AlignCenter, texts.value(1));
    painter.drawText(m_fieldAreas[1], Qt::AlignCenter, texts.value(2));
    painter.end();
    setPixmap(QPixmap::fromImage(m_image));
}

QRect PowerDisplay::shifted(const QRect& area) const
{
    return area.translated(width() / 2 - kCentre, height() / 2 - kCentre);
}

int PowerDisplay::field(const QPoint& point) const
{
    for (int i = 0; i < kFields; ++i) {
        if (shifted(m_fieldAreas[i]).contains(point))
            return i;
    }
    return -1;
}

void PowerDisplay::showMenu(const QPoint& point)
{
    const int chosenField = field(point);
    if (chosenField < 0)
        return;
    aboutToShowMenu(chosenField);
    applyMenu(chosenField, m_menu->exec(mapToGlobal(point)));
}

void PowerDisplay::aboutToShowMenu(int field)
{
    const int current = m_codes.value(field, -1);
    for (QAction* action : m_menu->actions())
        action->setChecked(actionData(action) == current);
}

void PowerDisplay::applyMenu(int field, QAction* chosen)
{
    if (!chosen || field < 0 || field >= kFields)
        return;
    // A quantity shows once per screen: taking it elsewhere leaves NONE behind.
    const int code = actionData(chosen);
    for (int& other : m_codes) {
        if (other == code)
            other = 0;
    }
    m_codes[field] = code;
    redraw();
}

QString PowerDisplay::actionText(int code) const
{
    for (const QAction* action : m_menu->actions()) {
        if (actionData(action) == code)
            return action->text();
    }
    return QString();
}

int PowerDisplay::actionData(const QAction* action)
{
    return action ? action->data().toInt() : 0;
}

void PowerDisplay::mousePressEvent(QMouseEvent* event)
{
    // The right button arrives again as a context-menu request; one menu is enough.
    if (event->button() != Qt::RightButton)
        showMenu(event->position().toPoint());
}

void PowerDisplay::mouseMoveEvent(QMouseEvent* event)
{
    const int overField = field(event->position().toPoint());
    if (overField < 0) {
        setCursor(Qt::ArrowCursor);
        setToolTip(QString());
        return;
    }
    setCursor(Qt::PointingHandCursor);
    setToolTip(actionText(m_codes[overField]));
}
