// The one include for code that builds for Windows and natively: Windows' own
// headers there, our small stand-in for the few calls the package code uses here.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "compat/win32_stand_in.h"
#endif
