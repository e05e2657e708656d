// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonDocument>

// Power units do not describe their channels; these documents do it for them,
// in the same form a logger's description takes.
QJsonDocument powerChannelsDocument(bool model600);

// Replaces the stored device description and the channel table with those of
// a power unit of the given model.
void createDefaultsPower(bool model600);
