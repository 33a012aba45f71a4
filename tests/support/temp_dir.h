// A fresh directory per test, removed with everything in it afterwards; and the
// few file helpers the tests need on both targets.
#pragma once

#include "compat/platform.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the directory, with the platform's separator.
    std::string Path(const std::string& name) const;
    // Names of the entries in the directory, sorted.
    std::vector<std::string> List() const;

private:
    std::string path_;
};

extern const char kSeparator;

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void MakeReadOnly(const std::string& path);
void MakeDirectory(const std::string& path);

// A path of the tests (UTF-8) in UTF-16, for the calls that take wide paths.
std::basic_string<WCHAR> Wide(const std::string& path);

}  // namespace testsupport
