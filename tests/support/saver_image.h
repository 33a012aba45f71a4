// Small saver programs with resources, laid out as a resource compiler and a
// linker leave them: MS-DOS and PE headers, a code section and a resource
// section holding string 1, version information and a two-image icon. For the
// tests of what saverpack takes from a saver and of the rewrite of a stub's
// resources, and the fuzzer's seeds.
#pragma once

#include <stdint.h>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

struct SaverShape {
    bool pe32Plus = false;
    std::string displayName = "Flying Things";  // string 1; empty: no string table
    // The version information's strings; empty: no version information at all.
    std::vector<std::pair<std::string, std::string>> version = {
        {"CompanyName", "Flying Ltd"}, {"FileDescription", "Things that fly"}, {"ProductVersion", "3.1.4"}};
    uint16_t binaryVersion[4] = {3, 1, 4, 1};
    bool icon = true;  // a 16 x 16 bitmap and a 256 x 256 PNG, in icon group 100
};

Bytes MakeSaverImage(const SaverShape& shape);

// The icon's images as MakeSaverImage stores them, in order.
std::vector<Bytes> SaverIconImages();

// A Windows .ico file of those images.
Bytes SaverIconFile();

}  // namespace testsupport
