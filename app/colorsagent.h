// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QList>
#include <QObject>

#include <array>

// One row of three colours; graphs and readout parts cycle through them.
struct ColorsTable
{
    QColor color(int i) const { return colors.at(i); }

    std::array<QColor, 3> colors{QColor(Qt::red), QColor(Qt::blue), QColor(Qt::green)};
};

// The plot colours of one theme, kept in the settings store under
// Options/Dark or Options/Light. Short-lived: create it on the stack where
// the colours are needed; it writes them back when it goes.
class ColorsAgent : public QObject
{
    Q_OBJECT
public:
    enum Row { ChannelRow = 0, ReportRow = 1, MouseRow = 2 };

    explicit ColorsAgent(bool dark, QObject* parent = nullptr);
    ~ColorsAgent() override;

    void load();
    void save() const;

    const QList<ColorsTable>& table() const { return m_table; }
    QColor background() const { return m_background; }

private:
    QString groupName() const;

    QList<ColorsTable> m_table;
    QColor m_background = Qt::white;
    bool m_dark;
};
