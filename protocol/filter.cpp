// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/filter.h"

#include "protocol/logging.h"

#include <algorithm>

double FilterMedian::filter(double value)
{
    if (m_first) {
        std::fill(std::begin(m_values), std::end(m_values), value);
        m_first = false;
        return value;
    }
    m_values[m_position] = value;
    m_position = (m_position + 1) % 3;
    const double a = m_values[0];
    const double b = m_values[1];
    const double c = m_values[2];
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

void FilterMedian::reset()
{
    std::fill(std::begin(m_values), std::end(m_values), 0.0);
    m_position = 0;
}

QMap<int, std::optional<FilterMedian>> FilterArray::m_filterArray;
bool FilterArray::m_applyFiltering = false;

double FilterArray::filter(int channel, double value)
{
    if (!m_applyFiltering)
        return value;
    std::optional<FilterMedian>& entry = m_filterArray[channel];
    if (!entry)
        return value;
    const double filtered = entry->filter(value);
    qCDebug(lcProtocol) << "filtered:" << "#" << channel << value << "->" << filtered;
    return filtered;
}

void FilterArray::setFilter(int channel, const FilterMedian& filter)
{
    m_filterArray.insert(channel, filter);
}

void FilterArray::clear()
{
    m_filterArray.clear();
}
