// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The entry function: single-instance guard, identity, style, main window,
// event loop. Returns the process exit status.
int runApplication(int argc, char* argv[]);
