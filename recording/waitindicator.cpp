// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/waitindicator.h"

#include <QCursor>
#include <QGuiApplication>

// Tools without a GUI application (benchmarks, fuzzing) have no cursor.
WaitIndicator::WaitIndicator()
    : m_active(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
{
    if (m_active)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitIndicator::~WaitIndicator()
{
    if (m_active)
        QGuiApplication::restoreOverrideCursor();
}
