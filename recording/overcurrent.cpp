// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/overcurrent.h"

#include "app/settings.h"

namespace {
const QString kLengthKey = QStringLiteral("Main/overcurrent_length");
}

OverCurrent* OverCurrent::m_overCurrent = nullptr;

OverCurrent* OverCurrent::instance()
{
    if (!m_overCurrent)
        m_overCurrent = new OverCurrent;
    return m_overCurrent;
}

OverCurrent::OverCurrent(QObject* parent)
    : QObject(parent)
{
    Settings settings;
    m_length = settings.value(kLengthKey, kDefaultLength).toInt();
    settings.setValue(kLengthKey, m_length);
}

void OverCurrent::update(double value)
{
    // Saturates: counting past the length changes nothing, and a unit left
    // overloaded for days must not overflow the counter.
    m_count = value >= kLimit ? qMin(m_count + 1, m_length) : -1;
}

bool OverCurrent::isOver()
{
    if (m_count < m_length || m_shown)
        return false;
    m_shown = true;
    return true;
}

void OverCurrent::hideOverCurrent()
{
    m_count = -1;
    m_shown = false;
}
