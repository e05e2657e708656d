// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/helpers.h"

bool Helpers::powerMode = false;
bool Helpers::power600Mode = false;
bool Helpers::isMeasuring = false;
bool Helpers::isUpdating = false;
bool Helpers::isFahrentheit = false;
int Helpers::timeFormat = 1;
