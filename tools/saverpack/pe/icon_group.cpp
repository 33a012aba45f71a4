#include "pe/icon_group.h"

#include <string.h>

namespace saverpack {

namespace {

constexpr size_t kIconDirectorySize = 6;    // reserved, type, count
constexpr size_t kFileEntrySize = 16;       // ICONDIRENTRY: ... size, file offset
constexpr size_t kGroupEntrySize = 14;      // GRPICONDIRENTRY: ... size, resource id
constexpr uint16_t kTypeIconFile = 1;
constexpr uint16_t kTypeCursorFile = 2;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void AppendU16(Bytes& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void AppendU32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

bool IsPng(const Bytes& data)
{
    return data.size() >= sizeof kPngSignature && memcmp(data.data(), kPngSignature, sizeof kPngSignature) == 0;
}

// Windows takes a PNG or a DIB with a BITMAPINFOHEADER (or its V4 and V5
// successors) for an icon image.
bool IsIconImage(const Bytes& data)
{
    if (IsPng(data))
        return true;
    if (data.size() < 40)
        return false;
    uint32_t header = U32(data.data());
    return header == 40 || header == 108 || header == 124;
}

// The group directory's count, checked against what the bytes hold.
bool DirectoryCount(const uint8_t* bytes, size_t size, size_t entrySize, uint16_t* count, std::string* problem)
{
    if (size < kIconDirectorySize || U16(bytes) != 0) {
        *problem = "it does not begin with an icon directory";
        return false;
    }
    if (U16(bytes + 2) == kTypeCursorFile) {
        *problem = "it is a cursor, not an icon";
        return false;
    }
    *count = U16(bytes + 4);
    if (U16(bytes + 2) != kTypeIconFile || *count == 0) {
        *problem = "it does not begin with an icon directory";
        return false;
    }
    if (*count > kMaxIconImages) {
        *problem = "it has " + std::to_string(*count) + " images; at most " + std::to_string(kMaxIconImages) +
                   " are taken";
        return false;
    }
    if (size < kIconDirectorySize + entrySize * *count) {
        *problem = "its icon directory is cut short";
        return false;
    }
    return true;
}

// The directory fields an image entry shares in files and in resources.
IconImage ImageFields(const uint8_t* entry)
{
    IconImage image;
    image.width = entry[0];
    image.height = entry[1];
    image.colourCount = entry[2];
    image.planes = U16(entry + 4);
    image.bitCount = U16(entry + 6);
    return image;
}

std::string ImageProblem(size_t index, const std::string& what)
{
    return "image " + std::to_string(index + 1) + " " + what;
}

}  // namespace

bool ReadIconFile(const Bytes& file, IconGroup* icon, std::string* problem)
{
    icon->images.clear();
    uint16_t count = 0;
    if (!DirectoryCount(file.data(), file.size(), kFileEntrySize, &count, problem))
        return false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = file.data() + kIconDirectorySize + kFileEntrySize * i;
        uint32_t size = U32(entry + 8), offset = U32(entry + 12);
        if (size == 0 || size > kMaxIconImageBytes) {
            *problem = ImageProblem(i, "is " + std::to_string(size) + " bytes; an image has 1 byte to 1 MiB");
            return false;
        }
        if (offset > file.size() || size > file.size() - offset) {
            *problem = ImageProblem(i, "lies beyond the end of the file");
            return false;
        }
        IconImage image = ImageFields(entry);
        image.data.assign(file.begin() + long(offset), file.begin() + long(offset) + long(size));
        if (!IsIconImage(image.data)) {
            *problem = ImageProblem(i, "is neither a PNG nor a bitmap");
            return false;
        }
        icon->images.push_back(image);
    }
    return true;
}

bool ReadIconResources(const package::BoundedReader& image, const PeLayout& layout,
                       const std::vector<ResourceEntry>& entries, const ResourceEntry& group, IconGroup* icon,
                       std::string* problem)
{
    icon->images.clear();
    ResourceEntry directory = group;
    uint16_t count = 0;
    const uint32_t limit = uint32_t(kIconDirectorySize + kGroupEntrySize * kMaxIconImages);
    if (!ReadResourceData(image, layout, limit, &directory, problem) ||
        !DirectoryCount(directory.data.data(), directory.data.size(), kGroupEntrySize, &count, problem))
        return false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = directory.data.data() + kIconDirectorySize + kGroupEntrySize * i;
        const ResourceKey id = ResourceKey::Id(U16(entry + 12));
        const ResourceEntry* found = nullptr;
        for (const ResourceEntry& candidate : entries) {
            if (candidate.type.Is(kTypeIcon) && candidate.name == id && candidate.language == group.language)
                found = &candidate;
        }
        if (found == nullptr)
            found = FindResource(entries, ResourceKey::Id(kTypeIcon), id);
        if (found == nullptr) {
            *problem = ImageProblem(i, "of the icon is missing from the resources");
            return false;
        }
        ResourceEntry data = *found;
        if (!ReadResourceData(image, layout, kMaxIconImageBytes, &data, problem))
            return false;
        IconImage picture = ImageFields(entry);
        picture.data = std::move(data.data);
        if (!IsIconImage(picture.data)) {
            *problem = ImageProblem(i, "of the icon is neither a PNG nor a bitmap");
            return false;
        }
        icon->images.push_back(std::move(picture));
    }
    return true;
}

Bytes GroupIconDirectory(const IconGroup& icon, uint16_t firstId)
{
    Bytes out;
    AppendU16(out, 0);
    AppendU16(out, kTypeIconFile);
    AppendU16(out, uint16_t(icon.images.size()));
    for (size_t i = 0; i < icon.images.size(); ++i) {
        const IconImage& image = icon.images[i];
        out.insert(out.end(), {image.width, image.height, image.colourCount, 0});
        AppendU16(out, image.planes);
        AppendU16(out, image.bitCount);
        AppendU32(out, uint32_t(image.data.size()));
        AppendU16(out, uint16_t(firstId + i));
    }
    return out;
}

std::string DescribeIcon(const IconGroup& icon)
{
    std::string text;
    for (const IconImage& image : icon.images) {
        uint32_t width = image.width == 0 ? 256 : image.width, height = image.height == 0 ? 256 : image.height;
        // A PNG's own header has its true size, which the directory's byte cannot hold past 255.
        if (IsPng(image.data) && image.data.size() >= 24) {
            width = U32(image.data.data() + 16);
            height = U32(image.data.data() + 20);
            width = (width >> 24) | (width >> 8 & 0xFF00) | (width << 8 & 0xFF0000) | (width << 24);
            height = (height >> 24) | (height >> 8 & 0xFF00) | (height << 8 & 0xFF0000) | (height << 24);
        }
        text += (text.empty() ? "" : ", ") + std::to_string(width) + " x " + std::to_string(height) +
                (IsPng(image.data) ? " PNG" : "");
    }
    return text;
}

}  // namespace saverpack
