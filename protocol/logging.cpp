// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/logging.h"

Q_LOGGING_CATEGORY(lcProtocol, "ampora.protocol")
