// The 32-bit stub opens the key with no KEY_WOW64_* flag: on 64-bit Windows the
// registry puts it under WOW6432Node, where Apps & features and winget look for
// 32-bit programs, and CSIDL_PROGRAM_FILES gives "Program Files (x86)".
#include "actions/apps_entry.h"

#include "actions/path_parts.h"
#include "actions/scoped_registry.h"
#include "actions/wide_text.h"
#include "package/installer_state.h"
#include "package/saver_extract.h"
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
           FieldToWide(CP_ACP, full, sizeof full, path, kWideSize) > 0;
}

// Stores `text`, or deletes the value when the text is empty: an update may
// leave out what the last install gave.
bool SetWideText(HKEY key, const WCHAR* name, const WCHAR* text)
{
    if (text[0] == 0) {
        LONG deleted = RegDeleteValueW(key, name);
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          DWORD(lstrlenW(text) + 1) * sizeof(WCHAR)) == ERROR_SUCCESS;
}

bool SetText(HKEY key, const WCHAR* name, UINT codePage, const char* text, int width)
{
    WCHAR wide[kWideSize];
    FieldToWide(codePage, text, width, wide, kWideSize);
    return SetWideText(key, name, wide);
}

bool SetNumber(HKEY key, const WCHAR* name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

DWORD FileSize(const WCHAR* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(path, GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

bool WriteKey(const WCHAR* saverPath, const WCHAR* folder, const WCHAR* uninstaller)
{
    WCHAR path[kWideSize];
    ScopedRegKey key;
    if (!KeyPath(path) || RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return false;
    WCHAR command[kWideSize] = L"\"", quiet[kWideSize] = L"";
    if (!AppendWide(command, kWideSize, uninstaller) || !AppendWide(command, kWideSize, L"\" /UNINSTALL") ||
        !AppendWide(quiet, kWideSize, command) || !AppendWide(quiet, kWideSize, L" /S"))
        return false;
    char date[16];
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    const UINT titleCodePage = package::HasUtf8Texts(instheader) ? CP_UTF8 : CP_ACP;
    const DWORD bytes = FileSize(saverPath) + FileSize(uninstaller);
    HKEY k = key.get();
    return SetText(k, L"DisplayName", titleCodePage, instheader.szTitle, sizeof instheader.szTitle) &&
           SetWideText(k, L"DisplayIcon", saverPath) && SetWideText(k, L"UninstallString", command) &&
           SetWideText(k, L"QuietUninstallString", quiet) && SetWideText(k, L"InstallLocation", folder) &&
           SetText(k, L"Publisher", CP_UTF8, instapp.szPublisher, sizeof instapp.szPublisher) &&
           SetText(k, L"DisplayVersion", CP_UTF8, instapp.szVersion, sizeof instapp.szVersion) &&
           SetText(k, L"URLInfoAbout", CP_UTF8, instapp.szUrl, sizeof instapp.szUrl) &&
           SetNumber(k, L"EstimatedSize", bytes / 1024 + (bytes % 1024 != 0)) &&
           SetText(k, L"InstallDate", CP_ACP, date, sizeof date) && SetNumber(k, L"NoModify", 1) &&
           SetNumber(k, L"NoRepair", 1);
}

void DeleteKey()
{
    WCHAR path[kWideSize];
    if (KeyPath(path))
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
}

// Deletes `path` now, or at the next restart when it is in use (a running program).
void DeleteNowOrAtRestart(const WCHAR* path, bool folder)
{
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(folder ? RemoveDirectoryW(path) : DeleteFileW(path)))
        MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// The installer, whole, beside the uninstaller's name, then renamed into place:
// a failure leaves whatever stood there before.
bool CopyInstaller(const WCHAR* folder, const WCHAR* uninstaller)
{
    WCHAR temporary[MAX_PATH];
    if (GetTempFileNameW(folder, kTempFilePrefix, 0, temporary) == 0)
        return false;
    if (CopyFileW(spath, temporary, FALSE) &&
        MoveFileExW(temporary, uninstaller, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary);
    return false;
}

}  // namespace

bool UninstallerLocation(WCHAR* folder, WCHAR* uninstaller)
{
    char stem[kPathPartSize];
    WCHAR name[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
        return false;
    SplitPath(instscr.szFileName, nullptr, nullptr, stem, nullptr);
    uninstaller[0] = 0;
    return FieldToWide(CP_ACP, stem[0] ? stem : instscr.szFileName, MAX_PATH, name, MAX_PATH) > 0 &&
           AppendWide(folder, MAX_PATH, L"\\") && AppendWide(folder, MAX_PATH, name) &&
           AppendWide(folder, MAX_PATH, L" Screen Saver") && AppendWide(uninstaller, MAX_PATH, folder) &&
           AppendWide(uninstaller, MAX_PATH, kUninstallerName);
}

bool IsUninstaller(const WCHAR* path)
{
    WCHAR folder[MAX_PATH], uninstaller[MAX_PATH], a[MAX_PATH], b[MAX_PATH];
    DWORD n = GetLongPathNameW(path, a, MAX_PATH);
    DWORD m = UninstallerLocation(folder, uninstaller) ? GetLongPathNameW(uninstaller, b, MAX_PATH) : 0;
    return n > 0 && n < MAX_PATH && m > 0 && m < MAX_PATH && lstrcmpiW(a, b) == 0;
}

bool RegisterAppsEntry(const WCHAR* saverPath)
{
    WCHAR folder[MAX_PATH], uninstaller[MAX_PATH];
    if (instapp.dwTag != package::kTagApp || !UninstallerLocation(folder, uninstaller))
        return false;
    const bool running = IsUninstaller(spath);
    if (!running && !CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    // A copy that fails leaves an earlier uninstaller and its key as they were,
    // and the folder only if it holds something.
    if (!running && !CopyInstaller(folder, uninstaller)) {
        RemoveDirectoryW(folder);
        return false;
    }
    if (WriteKey(saverPath, folder, uninstaller))
        return true;
    DeleteKey();
    if (!running) {
        DeleteFileW(uninstaller);
        RemoveDirectoryW(folder);
    }
    return false;
}

void RemoveAppsEntry()
{
    DeleteKey();
    WCHAR folder[MAX_PATH], uninstaller[MAX_PATH];
    if (!UninstallerLocation(folder, uninstaller))
        return;
    DeleteNowOrAtRestart(uninstaller, false);
    DeleteNowOrAtRestart(folder, true);
}

}  // namespace actions
