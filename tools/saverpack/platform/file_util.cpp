#include "platform/file_util.h"

#include "compat/platform.h"
#include "package/saver_extract.h"
#include "package/scoped_handles.h"

#include <ctype.h>
#include <filesystem>
#include <fstream>
#include <stdio.h>
#include <string.h>
#include <system_error>

#ifndef _WIN32
#include "compat/utf16.h"
#endif

namespace fs = std::filesystem;

namespace saverpack {

std::basic_string<WCHAR> WidePath(const std::string& path)
{
#ifdef _WIN32
    int size = path.empty() ? 0 : MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), &wide[0], size);
    return wide;
#else
    return compat::WideFromUtf8(path);
#endif
}

std::string Utf8Path(const WCHAR* path)
{
#ifdef _WIN32
    int size = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(size > 0 ? size : 1), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, path, -1, &utf8[0], size, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
#else
    return compat::Utf8FromWide(path);
#endif
}

fs::path FileSystemPath(const std::string& path)
{
#ifdef _WIN32
    return fs::path(WidePath(path));
#else
    return fs::path(path);
#endif
}

HFILE OpenFileUtf8(const std::string& path, int style)
{
    return OpenFileW(WidePath(path).c_str(), style);
}

bool DeleteFileUtf8(const std::string& path)
{
    return DeleteFileW(WidePath(path).c_str()) != 0;
}

bool CheckInputFile(const std::string& path, uint32_t* size, std::string* error)
{
    std::error_code ec;
    fs::file_status status = fs::status(FileSystemPath(path), ec);
    if (ec || !fs::exists(status)) {
        *error = "cannot read " + path + ": no such file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        *error = "cannot read " + path + ": not a regular file";
        return false;
    }
    uintmax_t bytes = fs::file_size(FileSystemPath(path), ec);
    // The stub addresses its own file with signed 32-bit offsets; nothing larger
    // can take part in a package.
    if (ec || bytes > uintmax_t(INT32_MAX)) {
        *error = "cannot read " + path + ": larger than 2 GiB";
        return false;
    }
    *size = uint32_t(bytes);
    return true;
}

bool ReadWholeFile(const std::string& path, Bytes* bytes, std::string* error)
{
    uint32_t size = 0;
    if (!CheckInputFile(path, &size, error))
        return false;
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    if (!in) {
        *error = "cannot read " + path + ": cannot open it";
        return false;
    }
    bytes->resize(size);
    if (size != 0 && !in.read(reinterpret_cast<char*>(bytes->data()), std::streamsize(size))) {
        *error = "cannot read " + path + ": read error";
        return false;
    }
    return true;
}

std::string BaseName(const std::string& path)
{
    size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos && path.size() >= 2 && path[1] == ':')
        cut = 1;
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

namespace {

std::string Normalised(const std::string& path)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(FileSystemPath(path), ec);
    std::string text = (ec ? FileSystemPath(path) : absolute).lexically_normal().u8string();
#ifdef _WIN32
    // Windows file names compare without regard to case.
    for (char& c : text)
        c = char(tolower(static_cast<unsigned char>(c)));
#endif
    return text;
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b)
{
    std::error_code ec;
    const fs::path first = FileSystemPath(a), second = FileSystemPath(b);
    if (fs::exists(first, ec) && fs::exists(second, ec) && fs::equivalent(first, second, ec) && !ec)
        return true;
    return Normalised(a) == Normalised(b);
}

bool IsReadOnlyFile(const std::string& path)
{
    std::error_code ec;
    fs::file_status status = fs::status(FileSystemPath(path), ec);
    if (ec || !fs::is_regular_file(status))
        return false;
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & writable) == fs::perms::none;
}

bool MakeTemporaryBeside(const std::string& path, std::string* temporary, std::string* error)
{
    WCHAR directory[MAX_PATH];
    WCHAR name[MAX_PATH];
    if (!package::DirectoryOf(WidePath(path).c_str(), directory, MAX_PATH) ||
        GetTempFileNameW(directory, WIDE_TEXT("SPK"), 0, name) == 0) {
        *error = "cannot create a file beside " + path;
        return false;
    }
    *temporary = Utf8Path(name);
    return true;
}

bool ReplaceWith(const std::string& temporary, const std::string& path, std::string* error)
{
    if (MoveFileExW(WidePath(temporary).c_str(), WidePath(path).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileUtf8(temporary);
    *error = "cannot write " + path + " (a directory, read-only, or not writable)";
    return false;
}

bool MakeScratchFile(std::string* path, std::string* error)
{
    std::error_code ec;
    fs::path directory = fs::temp_directory_path(ec);
    WCHAR name[MAX_PATH];
    if (ec || GetTempFileNameW(WidePath(directory.u8string()).c_str(), WIDE_TEXT("SPV"), 0, name) == 0) {
        *error = "cannot create a temporary file";
        return false;
    }
    *path = Utf8Path(name);
    return true;
}

}  // namespace saverpack
