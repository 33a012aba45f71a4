// A program's version information (the VS_VERSIONINFO resource, what Explorer
// shows under Properties > Details): written for the installer in US English
// and Unicode (string table 040904B0, translation 0409/04B0), read from a saver
// or an installer with bounded reads.
#pragma once

#include <stdint.h>
#include <string>
#include <utility>
#include <vector>

namespace saverpack {

using Bytes = std::vector<uint8_t>;

struct VersionInfo {
    bool hasFixed = false;  // VS_FIXEDFILEINFO, with its binary versions
    uint16_t fileVersion[4] = {};
    uint16_t productVersion[4] = {};
    // The string table's fields, UTF-8, in its order: for the one written, the
    // table; for one read, the US English table, else the first.
    std::vector<std::pair<std::string, std::string>> strings;

    // The field's value; empty when there is none.
    std::string Value(const std::string& key) const;
};

// The leading dot-separated numbers of `text`, up to four, each at most 65535;
// those missing are 0 ("2.1 beta" gives 2.1.0.0, "v2" gives 0.0.0.0).
void VersionNumbers(const std::string& text, uint16_t numbers[4]);

// "1.2.3.4".
std::string VersionText(const uint16_t numbers[4]);

// The resource's bytes: the fixed part from `info`'s binary versions, and
// every string of it with a value (UTF-8 in, UTF-16 in the resource). False
// when it would pass the 64 KiB a version resource can measure.
bool BuildVersionInfo(const VersionInfo& info, Bytes* resource);

// Reads a version resource. False with why when it is not one.
bool ParseVersionInfo(const Bytes& resource, VersionInfo* info, std::string* problem);

}  // namespace saverpack
