// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>

#include <optional>

// Three-point running median; suppresses single-sample spikes.
class FilterMedian
{
public:
    explicit FilterMedian(int size = 3) : m_size(size) {}

    double filter(double value);
    // Zeroes the window; a filter that has seen values then starts from zeros.
    void reset();
    int size() const { return m_size; }

private:
    double m_values[3] = {0, 0, 0};
    int m_position = 0;
    int m_size;            // kept for callers; the window is always three values
    bool m_first = true;
};

// Per-channel filters behind one process-wide switch, off unless turned on.
class FilterArray
{
public:
    FilterArray() = delete;

    static double filter(int channel, double value);
    // Installs a fresh filter for the channel, replacing any earlier one.
    static void setFilter(int channel, const FilterMedian& filter);
    static void clear();
    static bool applyFiltering() { return m_applyFiltering; }
    static void setApplyFiltering(bool on) { m_applyFiltering = on; }

private:
    // A channel seen without a filter keeps an empty entry and passes values through.
    static QMap<int, std::optional<FilterMedian>> m_filterArray;
    static bool m_applyFiltering;
};
