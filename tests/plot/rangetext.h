// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <qcustomplot.h>

#include <QByteArray>

// Readable ranges in failed comparisons.
inline char* toString(const QCPRange& range)
{
    return qstrdup(QByteArray::number(range.lower, 'g', 12) + " .. " + QByteArray::number(range.upper, 'g', 12));
}
