#include "packing/stub_location.h"

#include "platform/file_util.h"

#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace saverpack {

namespace {

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(FileSystemPath(path), ec);
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(FileSystemPath(path), ec);
}

}  // namespace

const char* ProcessEnvironment(const char* name)
{
#ifdef _WIN32
    // The C runtime's getenv has the value in the ANSI code page; the wide
    // environment has it whole.
    static std::string value;
    const wchar_t* wide = _wgetenv(WidePath(name).c_str());
    if (wide == nullptr)
        return nullptr;
    value = Utf8Path(wide);
    return value.c_str();
#else
    return getenv(name);
#endif
}

bool FindStub(const std::string& executable, const EnvironmentLookup& lookup, std::string* stub, std::string* error)
{
    const char* named = lookup(kStubVariable);
    if (named != nullptr && *named != '\0') {
        if (!Exists(named)) {
            *error = "the stub " + std::string(named) + " named by " + kStubVariable + " does not exist";
            return false;
        }
        *stub = named;
        return true;
    }
    std::string looked = std::string("no stub given with --stub, and none found:\n  ") + kStubVariable +
                         (named == nullptr ? " is not set" : " is empty");

    // Windows paths may use either separator; the one the path uses is kept for
    // the paths made from it.
    size_t cut = executable.find_last_of("/\\");
    if (cut == std::string::npos) {
        *error = looked + "\n  the folder of saverpack's own executable is unknown";
        return false;
    }
    const char separator = executable[cut];
    const std::string folder = executable.substr(0, cut + 1);
    // Lexically "folder/..": the executable's path comes with links resolved,
    // so its folder's parent is the real one.
    const std::string trimmed = folder.substr(0, folder.size() - 1);
    size_t up = trimmed.find_last_of("/\\");
    const std::string parent = up == std::string::npos ? folder : trimmed.substr(0, up + 1);

    const std::vector<std::string> candidates = {
        folder + kStubFileName,
        parent + "share" + separator + "saverpack" + separator + kStubFileName,
    };
    for (const std::string& candidate : candidates) {
        if (IsFile(candidate)) {
            *stub = candidate;
            return true;
        }
        looked += "\n  no " + candidate;
    }
    *error = looked;
    return false;
}

bool OwnExecutablePath(std::string* path, std::string* error)
{
#ifdef _WIN32
    // GetModuleFileNameW cuts the path to the buffer without saying so except
    // through a result equal to the buffer's size; grow until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(NULL, buffer.data(), DWORD(buffer.size()));
        if (length == 0) {
            *error = "cannot tell where saverpack's own executable is (GetModuleFileNameW failed)";
            return false;
        }
        if (length < buffer.size()) {
            *path = Utf8Path(buffer.data());
            return true;
        }
        if (buffer.size() >= 32768) {
            *error = "cannot tell where saverpack's own executable is (its path is too long)";
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code ec;
    std::filesystem::path own = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        *error = "cannot tell where saverpack's own executable is (/proc/self/exe: " + ec.message() + ")";
        return false;
    }
    *path = own.string();
    return true;
#endif
}

}  // namespace saverpack
