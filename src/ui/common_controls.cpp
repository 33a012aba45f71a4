// Installers are run from download folders, where a planted comctl32.dll would be
// found before the system's if it were imported at load time or loaded by bare
// name. So the library is loaded at run time, from the system directory only.
#include "ui/common_controls.h"

#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL(WINAPI* InitCommonControlsExFn)(const INITCOMMONCONTROLSEX*);

HMODULE LoadFromSystemDirectory(const char* name)
{
    // SetDefaultDllDirectories exists from Windows 8 (and 7 with KB2533623);
    // where it does, it also covers every DLL that a system DLL loads later.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                   reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);

    // Older systems: a full path leaves no search order to exploit.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    if (snprintf(path + length, MAX_PATH - length, "\\%s", name) >= int(MAX_PATH - length))
        return nullptr;
    return LoadLibraryA(path);
}

}  // namespace

bool LoadCommonControls()
{
    HMODULE library = LoadFromSystemDirectory("comctl32.dll");
    if (library == nullptr)
        return false;
    auto initEx = reinterpret_cast<InitCommonControlsExFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    if (initEx == nullptr)
        return false;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_UPDOWN_CLASS};
    return initEx(&classes) != FALSE;
}
