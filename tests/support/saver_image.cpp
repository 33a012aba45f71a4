#include "support/saver_image.h"

#include "pe/icon_group.h"
#include "pe/resource_writer.h"
#include "pe/version_info.h"
#include "support/package_builder.h"

namespace testsupport {

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kNewHeader = 0x40;
constexpr uint32_t kCodeRva = 0x1000, kResourceRva = 0x2000;

void PutU16(Bytes& bytes, size_t at, uint16_t value)
{
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

uint32_t AlignUp(uint32_t value, uint32_t alignment)
{
    return (value + alignment - 1) & ~(alignment - 1);
}

// String block 1: sixteen counted UTF-16 strings, only the second one (string 1) set.
Bytes StringBlock(const std::string& text)
{
    Bytes block(2, 0);
    block.push_back(uint8_t(text.size()));
    block.push_back(0);
    for (char c : text)
        block.insert(block.end(), {uint8_t(c), 0});
    block.resize(block.size() + 2 * 14, 0);
    return block;
}

saverpack::ResourceEntry Entry(uint16_t type, uint16_t name, uint16_t language, Bytes data)
{
    saverpack::ResourceEntry entry;
    entry.type = saverpack::ResourceKey::Id(type);
    entry.name = saverpack::ResourceKey::Id(name);
    entry.language = language;
    entry.data = std::move(data);
    return entry;
}

saverpack::IconGroup SaverIcon()
{
    saverpack::IconGroup icon;
    std::vector<Bytes> images = SaverIconImages();
    icon.images.resize(2);
    icon.images[0].width = icon.images[0].height = 16;
    icon.images[1].width = icon.images[1].height = 0;
    for (size_t i = 0; i < 2; ++i) {
        icon.images[i].planes = 1;
        icon.images[i].bitCount = 32;
        icon.images[i].data = images[i];
    }
    return icon;
}

}  // namespace

std::vector<Bytes> SaverIconImages()
{
    Bytes bitmap(40 + 16 * 16 * 4 + 16 * 4, 0x5A);
    PutU32(bitmap, 0, 40);
    PutU32(bitmap, 4, 16);
    PutU32(bitmap, 8, 32);  // the colour bits and the mask
    PutU16(bitmap, 12, 1);
    PutU16(bitmap, 14, 32);
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0, 0, 0, 1, 0};
    Bytes rest = RandomBytes(300, 7);
    png.insert(png.end(), rest.begin(), rest.end());
    return {bitmap, png};
}

Bytes SaverIconFile()
{
    saverpack::IconGroup icon = SaverIcon();
    Bytes file = saverpack::GroupIconDirectory(icon, 0);
    // The group's 14-byte entries end in an id; a file's 16-byte ones in an offset.
    Bytes out(file.begin(), file.begin() + 6);
    uint32_t offset = 6 + 16 * 2;
    for (size_t i = 0; i < 2; ++i) {
        out.insert(out.end(), file.begin() + 6 + 14 * long(i), file.begin() + 6 + 14 * long(i) + 12);
        out.resize(out.size() + 4);
        PutU32(out, out.size() - 4, offset);
        offset += uint32_t(icon.images[i].data.size());
    }
    for (const auto& image : icon.images)
        out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

Bytes MakeSaverImage(const SaverShape& shape)
{
    std::vector<saverpack::ResourceEntry> entries;
    if (!shape.displayName.empty())
        entries.push_back(Entry(6, 1, 0x0409, StringBlock(shape.displayName)));
    if (!shape.version.empty()) {
        saverpack::VersionInfo info;
        for (int i = 0; i < 4; ++i)
            info.fileVersion[i] = info.productVersion[i] = shape.binaryVersion[i];
        info.strings = shape.version;
        Bytes version;
        saverpack::BuildVersionInfo(info, &version);
        entries.push_back(Entry(16, 1, 0x0409, version));
    }
    if (shape.icon) {
        saverpack::IconGroup icon = SaverIcon();
        // Group 100, as Windows' screen-saver library names a saver's icon (and
        // the installer its own): the image also serves as a stub.
        entries.push_back(Entry(14, 100, 0x0409, saverpack::GroupIconDirectory(icon, 1)));
        for (uint16_t i = 0; i < 2; ++i)
            entries.push_back(Entry(3, uint16_t(1 + i), 0x0409, icon.images[i].data));
    }
    Bytes resources;
    std::string problem;
    saverpack::BuildResourceSection(entries, kResourceRva, &resources, &problem);

    const uint32_t optionalSize = shape.pe32Plus ? 240 : 224;
    const uint32_t optional = kNewHeader + 24;
    const uint32_t directories = optional + (shape.pe32Plus ? 112 : 96);
    const uint32_t table = optional + optionalSize;
    const uint32_t resourceRaw = AlignUp(uint32_t(resources.size()), kFileAlignment);
    Bytes image(kFileAlignment * 2, 0);
    image[0] = 'M';
    image[1] = 'Z';
    PutU32(image, 0x3C, kNewHeader);
    PutU32(image, kNewHeader, 'P' | 'E' << 8);
    PutU16(image, kNewHeader + 4, shape.pe32Plus ? 0x8664 : 0x14C);
    PutU16(image, kNewHeader + 6, 2);
    PutU16(image, kNewHeader + 20, uint16_t(optionalSize));
    PutU16(image, kNewHeader + 22, 0x0102);
    PutU16(image, optional, shape.pe32Plus ? 0x20B : 0x10B);
    PutU32(image, optional + 16, kCodeRva);  // AddressOfEntryPoint
    PutU32(image, optional + 32, kSectionAlignment);
    PutU32(image, optional + 36, kFileAlignment);
    PutU32(image, optional + 56, kResourceRva + AlignUp(uint32_t(resources.size()), kSectionAlignment));
    PutU32(image, optional + 60, kFileAlignment);
    PutU16(image, optional + 68, 2);  // a Windows GUI program
    PutU32(image, directories - 4, 16);
    PutU32(image, directories + 8 * 2, kResourceRva);
    PutU32(image, directories + 8 * 2 + 4, uint32_t(resources.size()));
    const struct {
        const char* name;
        uint32_t rva, size, raw, rawSize, characteristics;
    } sections[2] = {{".text", kCodeRva, 16, kFileAlignment, kFileAlignment, 0x60000020},
                     {".rsrc", kResourceRva, uint32_t(resources.size()), 2 * kFileAlignment, resourceRaw, 0x40000040}};
    for (size_t i = 0; i < 2; ++i) {
        const uint32_t entry = table + 40 * uint32_t(i);
        for (size_t c = 0; sections[i].name[c] != '\0'; ++c)
            image[entry + c] = uint8_t(sections[i].name[c]);
        PutU32(image, entry + 8, sections[i].size);
        PutU32(image, entry + 12, sections[i].rva);
        PutU32(image, entry + 16, sections[i].rawSize);
        PutU32(image, entry + 20, sections[i].raw);
        PutU32(image, entry + 36, sections[i].characteristics);
    }
    image[kFileAlignment] = 0xC3;  // ret
    image.insert(image.end(), resources.begin(), resources.end());
    image.resize(2 * kFileAlignment + resourceRaw, 0);
    return image;
}

}  // namespace testsupport
