// MessageBoxA without a screen: the text goes to standard error, and tests can
// watch for it.
#include "compat/win32_stand_in.h"

#include <stdio.h>

namespace {
compat::MessageBoxObserver g_observer = nullptr;
}

void compat::SetMessageBoxObserver(MessageBoxObserver observer)
{
    g_observer = observer;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", text != nullptr ? text : "");
    if (g_observer != nullptr)
        g_observer(text, caption, type);
    return IDOK;
}
