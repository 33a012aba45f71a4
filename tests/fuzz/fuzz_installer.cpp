// libFuzzer target: any byte string, taken as an installer file, must be refused
// or accepted without a sanitizer report; an accepted one must extract to exactly
// what zlib makes of its saver stream, or fail and leave no file at all.
#include "fuzz/every_text.h"
#include "fuzz/expected_saver.h"
#include "package/installer_state.h"
#include "package/package_format.h"
#include "package/reader.h"
#include "package/saver_extract.h"
#include "package/stub_check.h"
#include "compat/utf16.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <unistd.h>
#include <zlib.h>

namespace {

namespace fs = std::filesystem;

std::string g_directory;
std::string g_exe;
std::string g_saver;

// A finding: libFuzzer keeps the input that led here.
[[noreturn]] void Fail(const char* what)
{
    fprintf(stderr, "fuzz_installer: %s\n", what);
    abort();
}

void RemoveDirectory()
{
    std::error_code ignored;
    fs::remove_all(g_directory, ignored);
}

size_t EntriesInDirectory()
{
    size_t count = 0;
    for (auto it = fs::directory_iterator(g_directory); it != fs::directory_iterator(); ++it)
        ++count;
    return count;
}

fuzzsupport::Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return fuzzsupport::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void NoBoxExpected(const char*, const char*, UINT)
{
    Fail("a write fell short on a disk with room");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // One directory per process, so that parallel jobs never meet.
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/fuzz-installer-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        Fail("cannot create a working directory");
    g_directory = pattern;
    g_exe = g_directory + "/setup.exe";
    g_saver = g_directory + "/MYSAVER.SCR";
    atexit(RemoveDirectory);
    compat::SetMessageBoxObserver(NoBoxExpected);
    return 0;
}

namespace {

// Mutations of the header or the stub image almost never get past their
// checksums, so every input is also tried with both checksums made to fit,
// when its trailer says where the header is.
bool Reseal(fuzzsupport::Bytes& installer)
{
    using namespace package;
    size_t size = installer.size();
    if (size < kTrailerSize)
        return false;
    InstEnd trailer;
    memcpy(&trailer, &installer[size - kTrailerSize], sizeof trailer);
    uint32_t distance = trailer.dwHeaderDistance ^ kHeaderDistanceMask;
    if (trailer.dwTag != kTagEnd || distance > size || distance < kHeaderRecordSize)
        return false;
    size_t header = size - distance;
    trailer.dwHeaderCrc = uint32_t(::crc32(0, &installer[header], kHeaderRecordSize)) ^ kHeaderCrcMask;
    trailer.dwStubCheck = ComputeStubCheck(installer.data(), uint32_t(header));
    memcpy(&installer[size - kTrailerSize], &trailer, sizeof trailer);
    return true;
}

void Check(const fuzzsupport::Bytes& installer)
{
    {
        FILE* file = fopen(g_exe.c_str(), "wb");
        if (file == nullptr || fwrite(installer.data(), 1, installer.size(), file) != installer.size() ||
            fclose(file) != 0)
            Fail("cannot write the input file");
    }

    ClearInstallerRecords();
    memset(&instend, 0, sizeof instend);
    scrpos = 0;
    int loaded = LoadInstaller(nullptr, compat::WideFromUtf8(g_exe).c_str());
    DWORD offset = scrpos;
    const char* texts = loaded == 1 ? fuzzsupport::SpeakEveryText() : nullptr;
    ReleaseInstallerBlocks();
    if (texts != nullptr)
        Fail(texts);
    if (loaded != 0 && loaded != 1)
        Fail("the reader returned neither 0 nor 1");
    if (loaded == 0)
        return;

    auto expected = fuzzsupport::ExpectedSaver(installer, offset);
    int written = WriteSaverFile(compat::WideFromUtf8(g_saver).c_str(), compat::WideFromUtf8(g_exe).c_str(), offset);
    if (expected) {
        if (written != 1)
            Fail("a sound saver stream was not extracted");
        if (ReadFile(g_saver) != *expected)
            Fail("the extracted saver differs from its stream");
        if (EntriesInDirectory() != 2)
            Fail("extraction left more than the saver");
        remove(g_saver.c_str());
    } else {
        if (written != 0)
            Fail("a broken saver stream was reported as extracted");
        if (EntriesInDirectory() != 1)
            Fail("a failed extraction left a file behind");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Bytes installer(data, data + size);
    Check(installer);
    if (Reseal(installer))
        Check(installer);
    return 0;
}
