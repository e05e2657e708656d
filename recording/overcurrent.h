// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// Watches the logger's current channel during a run and reports once when it
// stays at or above the limit for a configurable number of samples.
class OverCurrent : public QObject
{
    Q_OBJECT
public:
    // Channel 0 carries microamperes: 1.2 A, leaving headroom over the 1 A the
    // message names.
    static constexpr double kLimit = 1200000;
    static constexpr int kDefaultLength = 20;

    // The process-wide monitor, created on first use and kept for the whole run.
    static OverCurrent* instance();

    // Reads Main/overcurrent_length and writes it back so the key shows in the ini file.
    explicit OverCurrent(QObject* parent = nullptr);

    void update(double value);
    // True once per excursion, until hideOverCurrent().
    bool isOver();
    void hideOverCurrent();

private:
    int m_count = -1; // consecutive samples at or above the limit, minus one
    int m_length;
    bool m_shown = false;

    static OverCurrent* m_overCurrent;
};
