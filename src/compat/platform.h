// The one include for code that builds for Windows and natively: Windows' own
// headers there, our small stand-in for the few calls the package code uses here.
#pragma once

#ifdef _WIN32
#include <windows.h>
// _lopen and _lcreat have no wide form: ours opens with CreateFileW and returns
// its handle, which _lread, _lwrite, _llseek and _lclose take as the HFILE.
// OF_READ or OF_WRITE open an existing file (OF_WRITE without truncating it);
// OF_CREATE creates or truncates one for reading and writing.
HFILE OpenFileW(LPCWSTR path, int style);
#define WIDE_TEXT(text) L##text
#else
#include "compat/win32_stand_in.h"
#define WIDE_TEXT(text) u##text
#endif
// WIDE_TEXT("x") is a UTF-16 literal of the WCHAR type: wchar_t on Windows,
// char16_t in the stand-in.
