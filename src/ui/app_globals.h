// The user interface's own process-wide state; the module, the file and the
// package records, which the actions read too, are in package/installer_state.h.
#pragma once

#include "actions/switches.h"

#include <windows.h>

extern HWND hMainWindow;
// The installer's command line, read once at start-up.
extern actions::Switches commandSwitches;
