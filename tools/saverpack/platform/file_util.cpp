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

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace saverpack {

#ifdef _WIN32
namespace {

// A path in the ANSI code page, in UTF-16; empty when it is empty or cannot be read.
std::wstring WideFromAnsi(const std::string& path)
{
    int size = path.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), &wide[0], size);
    return wide;
}

}  // namespace
#endif

std::string DisplayPath(const std::string& path)
{
#ifdef _WIN32
    std::wstring wide = WideFromAnsi(path);
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    if (wide.empty() || size <= 0)
        return path;
    std::string utf8(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], size, nullptr, nullptr);
    return utf8;
#else
    return path;
#endif
}

fs::path FileSystemPath(const std::string& path)
{
#ifdef _WIN32
    std::wstring wide = WideFromAnsi(path);
    return wide.empty() ? fs::path(path) : fs::path(wide);
#else
    return fs::path(path);
#endif
}

bool CheckInputFile(const std::string& path, uint32_t* size, std::string* error)
{
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        *error = "cannot read " + DisplayPath(path) + ": no such file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        *error = "cannot read " + DisplayPath(path) + ": not a regular file";
        return false;
    }
    uintmax_t bytes = fs::file_size(path, ec);
    // The stub addresses its own file with signed 32-bit offsets; nothing larger
    // can take part in a package.
    if (ec || bytes > uintmax_t(INT32_MAX)) {
        *error = "cannot read " + DisplayPath(path) + ": larger than 2 GiB";
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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + DisplayPath(path) + ": cannot open it";
        return false;
    }
    bytes->resize(size);
    if (size != 0 && !in.read(reinterpret_cast<char*>(bytes->data()), std::streamsize(size))) {
        *error = "cannot read " + DisplayPath(path) + ": read error";
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
    fs::path absolute = fs::absolute(path, ec);
    std::string text = (ec ? fs::path(path) : absolute).lexically_normal().string();
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
    if (fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec) && !ec)
        return true;
    return Normalised(a) == Normalised(b);
}

bool IsReadOnlyFile(const std::string& path)
{
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (ec || !fs::is_regular_file(status))
        return false;
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & writable) == fs::perms::none;
}

bool MakeTemporaryBeside(const std::string& path, std::string* temporary, std::string* error)
{
    char directory[MAX_PATH];
    char name[MAX_PATH];
    if (!package::DirectoryOf(path.c_str(), directory, sizeof directory) ||
        GetTempFileNameA(directory, "SPK", 0, name) == 0) {
        *error = "cannot create a file beside " + DisplayPath(path);
        return false;
    }
    *temporary = name;
    return true;
}

bool ReplaceWith(const std::string& temporary, const std::string& path, std::string* error)
{
    if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    remove(temporary.c_str());
    *error = "cannot write " + DisplayPath(path) + " (a directory, read-only, or not writable)";
    return false;
}

bool MakeScratchFile(std::string* path, std::string* error)
{
    std::error_code ec;
    fs::path directory = fs::temp_directory_path(ec);
    char name[MAX_PATH];
    if (ec || GetTempFileNameA(directory.string().c_str(), "SPV", 0, name) == 0) {
        *error = "cannot create a temporary file";
        return false;
    }
    *path = name;
    return true;
}

}  // namespace saverpack
