// An icon as Windows keeps it: a group of images of several sizes and depths,
// each a DIB or a PNG. Read from a .ico file or from a program's resources (a
// group icon directory and its RT_ICON images), written as a group directory
// whose images are resources of their own.
#pragma once

#include "pe/resource_tree.h"

#include "package/bounded_reader.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

constexpr size_t kMaxIconImages = 32;
constexpr uint32_t kMaxIconImageBytes = 1024 * 1024;

struct IconImage {
    uint8_t width = 0;  // 0 stands for 256 (or more)
    uint8_t height = 0;
    uint8_t colourCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    Bytes data;  // a DIB (header, colours, XOR and AND masks) or a PNG file
};

struct IconGroup {
    std::vector<IconImage> images;
};

// A Windows .ico file: its directory and every image, each a PNG or a DIB,
// at most 32 of at most 1 MiB each. False with why for anything else.
bool ReadIconFile(const Bytes& file, IconGroup* icon, std::string* problem);

// The icon whose group directory is `group`, its images taken from the RT_ICON
// resources of `entries` (in the group's language when there is one). Bounded as
// ReadIconFile is.
bool ReadIconResources(const package::BoundedReader& image, const PeLayout& layout,
                       const std::vector<ResourceEntry>& entries, const ResourceEntry& group, IconGroup* icon,
                       std::string* problem);

// The group directory (GRPICONDIR) of `icon`, its images numbered firstId on.
Bytes GroupIconDirectory(const IconGroup& icon, uint16_t firstId);

// "16 x 16, 32 x 32, 256 x 256 PNG": each image's size as its directory gives it.
std::string DescribeIcon(const IconGroup& icon);

}  // namespace saverpack
