// The 32-bit stub opens the key with no KEY_WOW64_* flag: on 64-bit Windows the
// registry puts it under WOW6432Node, where Apps & features and winget look for
// 32-bit programs, and CSIDL_PROGRAM_FILES gives "Program Files (x86)".
#include "actions/apps_entry.h"

#include "actions/path_parts.h"
#include "actions/scoped_registry.h"
#include "actions/wide_text.h"
#include "package/installer_state.h"
#include "package/uninstall_key.h"

#include <shlobj.h>
#include <stdio.h>

namespace actions {

namespace {

constexpr int kWideSize = 600;  // a key path, a command line or any "iapp" field, with room to spare

// The key's path under HKLM, as wide text.
bool KeyPath(WCHAR* path)
{
    char name[package::kUninstallKeyNameSize];
    char full[sizeof name + 64];
    return package::UninstallKeyName(instscr.szFileName, name, sizeof name) &&
           snprintf(full, sizeof full, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s", name) > 0 &&
           ToWide(CP_ACP, full, lstrlenA(full), path, kWideSize) > 0;
}

bool SetText(HKEY key, const WCHAR* name, UINT codePage, const char* text, int width)
{
    WCHAR wide[kWideSize];
    if (FieldToWide(codePage, text, width, wide, kWideSize) == 0) {
        // An update may leave out what the last install gave.
        LONG deleted = RegDeleteValueW(key, name);
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide),
                          DWORD(lstrlenW(wide) + 1) * sizeof(WCHAR)) == ERROR_SUCCESS;
}

// Paths, command lines and the date: ANSI, as the file calls take them.
bool SetAnsiText(HKEY key, const WCHAR* name, const char* text)
{
    return SetText(key, name, CP_ACP, text, lstrlenA(text));
}

bool SetNumber(HKEY key, const WCHAR* name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

DWORD FileSize(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path, GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

bool WriteKey(const char* saverPath, const char* folder, const char* uninstaller)
{
    WCHAR path[kWideSize];
    ScopedRegKey key;
    if (!KeyPath(path) || RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return false;
    char command[MAX_PATH + 24], quiet[MAX_PATH + 24], date[16];
    snprintf(command, sizeof command, "\"%s\" /UNINSTALL", uninstaller);
    snprintf(quiet, sizeof quiet, "%s /S", command);
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    const UINT titleCodePage = package::HasUtf8Texts(instheader) ? CP_UTF8 : CP_ACP;
    const DWORD bytes = FileSize(saverPath) + FileSize(uninstaller);
    HKEY k = key.get();
    return SetText(k, L"DisplayName", titleCodePage, instheader.szTitle, sizeof instheader.szTitle) &&
           SetAnsiText(k, L"DisplayIcon", saverPath) && SetAnsiText(k, L"UninstallString", command) &&
           SetAnsiText(k, L"QuietUninstallString", quiet) && SetAnsiText(k, L"InstallLocation", folder) &&
           SetText(k, L"Publisher", CP_UTF8, instapp.szPublisher, sizeof instapp.szPublisher) &&
           SetText(k, L"DisplayVersion", CP_UTF8, instapp.szVersion, sizeof instapp.szVersion) &&
           SetText(k, L"URLInfoAbout", CP_UTF8, instapp.szUrl, sizeof instapp.szUrl) &&
           SetNumber(k, L"EstimatedSize", bytes / 1024 + (bytes % 1024 != 0)) &&
           SetAnsiText(k, L"InstallDate", date) && SetNumber(k, L"NoModify", 1) && SetNumber(k, L"NoRepair", 1);
}

void DeleteKey()
{
    WCHAR path[kWideSize];
    if (KeyPath(path))
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
}

// Deletes `path` now, or at the next restart when it is in use (a running program).
void DeleteNowOrAtRestart(const char* path, bool folder)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(folder ? RemoveDirectoryA(path) : DeleteFileA(path)))
        MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// The installer, whole, beside the uninstaller's name, then renamed into place:
// a failure leaves whatever stood there before.
bool CopyInstaller(const char* folder, const char* uninstaller)
{
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folder, "QJX", 0, temporary) == 0)
        return false;
    if (CopyFileA(spath, temporary, FALSE) &&
        MoveFileExA(temporary, uninstaller, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary);
    return false;
}

}  // namespace

bool UninstallerLocation(char* folder, char* uninstaller)
{
    char programFiles[MAX_PATH];
    char stem[kPathPartSize];
    if (SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles) != S_OK)
        return false;
    SplitPath(instscr.szFileName, nullptr, nullptr, stem, nullptr);
    int length = snprintf(folder, MAX_PATH, "%s\\%s Screen Saver", programFiles, stem[0] ? stem : instscr.szFileName);
    return length > 0 && length < MAX_PATH &&
           snprintf(uninstaller, MAX_PATH, "%s\\uninstall.exe", folder) < MAX_PATH;
}

bool IsUninstaller(const char* path)
{
    char folder[MAX_PATH], uninstaller[MAX_PATH], a[MAX_PATH], b[MAX_PATH];
    DWORD n = GetLongPathNameA(path, a, MAX_PATH);
    DWORD m = UninstallerLocation(folder, uninstaller) ? GetLongPathNameA(uninstaller, b, MAX_PATH) : 0;
    return n > 0 && n < MAX_PATH && m > 0 && m < MAX_PATH && lstrcmpiA(a, b) == 0;
}

bool RegisterAppsEntry(const char* saverPath)
{
    char folder[MAX_PATH], uninstaller[MAX_PATH];
    if (instapp.dwTag != package::kTagApp || !UninstallerLocation(folder, uninstaller))
        return false;
    const bool running = IsUninstaller(spath);
    if (!running && !CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    // A copy that fails leaves an earlier uninstaller and its key as they were,
    // and the folder only if it holds something.
    if (!running && !CopyInstaller(folder, uninstaller)) {
        RemoveDirectoryA(folder);
        return false;
    }
    if (WriteKey(saverPath, folder, uninstaller))
        return true;
    DeleteKey();
    if (!running) {
        DeleteFileA(uninstaller);
        RemoveDirectoryA(folder);
    }
    return false;
}

void RemoveAppsEntry()
{
    DeleteKey();
    char folder[MAX_PATH], uninstaller[MAX_PATH];
    if (!UninstallerLocation(folder, uninstaller))
        return;
    DeleteNowOrAtRestart(uninstaller, false);
    DeleteNowOrAtRestart(folder, true);
}

}  // namespace actions
