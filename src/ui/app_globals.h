// The user interface's own process-wide state; the module, the file and the
// package records, which the actions read too, are in package/installer_state.h.
#pragma once

#include <windows.h>

extern HWND hMainWindow;
