#include "pe/version_info.h"

#include "pe/utf16_text.h"

namespace saverpack {

namespace {

// Every block: wLength, wValueLength, wType, its key (UTF-16, zero-ended),
// padding to 4 bytes, its value, then its children, each from a 4-byte boundary.
constexpr size_t kBlockHeaderSize = 6;
constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;
constexpr size_t kFixedSize = 52;  // VS_FIXEDFILEINFO
constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint32_t kFixedStructVersion = 0x00010000;
constexpr uint32_t kFileFlagsMask = 0x3F;
constexpr uint32_t kFileOsNtWindows32 = 0x00040004;  // VOS_NT_WINDOWS32
constexpr uint32_t kFileTypeApp = 1;                 // VFT_APP
constexpr uint16_t kUsEnglish = 0x0409;
constexpr uint16_t kCodePageUnicode = 0x04B0;  // 1200, UTF-16

size_t Align4(size_t value)
{
    return (value + 3) & ~size_t(3);
}

uint16_t U16(const Bytes& bytes, size_t at)
{
    return uint16_t(bytes[at] | bytes[at + 1] << 8);
}

uint32_t U32(const Bytes& bytes, size_t at)
{
    return uint32_t(U16(bytes, at)) | uint32_t(U16(bytes, at + 2)) << 16;
}

void AppendU16(Bytes& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void AppendU32(Bytes& out, uint32_t value)
{
    AppendU16(out, uint16_t(value));
    AppendU16(out, uint16_t(value >> 16));
}

void AppendText(Bytes& out, const std::u16string& text)
{
    for (char16_t c : text)
        AppendU16(out, uint16_t(c));
    AppendU16(out, 0);
}

// One block; its length counts the padding before each child, not any after
// the last one, as resource compilers write it.
Bytes Block(const char16_t* key, const Bytes& value, uint16_t valueLength, uint16_t type,
            const std::vector<Bytes>& children)
{
    Bytes out(kBlockHeaderSize, 0);
    AppendText(out, key);
    out.resize(Align4(out.size()), 0);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        out.resize(Align4(out.size()), 0);
        out.insert(out.end(), child.begin(), child.end());
    }
    out[0] = uint8_t(out.size());
    out[1] = uint8_t(out.size() >> 8);
    out[2] = uint8_t(valueLength);
    out[3] = uint8_t(valueLength >> 8);
    out[4] = uint8_t(type);
    return out;
}

uint32_t High(const uint16_t numbers[4])
{
    return uint32_t(numbers[0]) << 16 | numbers[1];
}

uint32_t Low(const uint16_t numbers[4])
{
    return uint32_t(numbers[2]) << 16 | numbers[3];
}

void SplitVersion(uint32_t high, uint32_t low, uint16_t numbers[4])
{
    numbers[0] = uint16_t(high >> 16);
    numbers[1] = uint16_t(high);
    numbers[2] = uint16_t(low >> 16);
    numbers[3] = uint16_t(low);
}

// A block as read: where its parts lie inside [begin, end).
struct BlockView {
    size_t begin = 0, end = 0;
    uint16_t valueLength = 0, type = 0;
    std::u16string key;
    size_t value = 0;  // where the value begins
};

bool ReadBlock(const Bytes& data, size_t at, size_t limit, BlockView* block)
{
    if (at > limit || limit - at < kBlockHeaderSize)
        return false;
    const uint16_t length = U16(data, at);
    if (length < kBlockHeaderSize || length > limit - at)
        return false;
    block->begin = at;
    block->end = at + length;
    block->valueLength = U16(data, at + 2);
    block->type = U16(data, at + 4);
    block->key.clear();
    size_t p = at + kBlockHeaderSize;
    for (;; p += 2) {
        if (p + 2 > block->end)
            return false;
        const uint16_t c = U16(data, p);
        if (c == 0)
            break;
        block->key += char16_t(c);
    }
    block->value = Align4(p + 2);
    return true;
}

// The blocks inside `parent` from `first` on; each visited once, always forward.
template <typename Visit>
void ForEachChild(const Bytes& data, const BlockView& parent, size_t first, Visit visit)
{
    BlockView child;
    for (size_t at = Align4(first); ReadBlock(data, at, parent.end, &child); at = Align4(child.end))
        visit(child);
}

// A text value up to its zero or the end of its block, whatever wValueLength
// says: writers disagree on whether it counts bytes or characters.
std::string TextValue(const Bytes& data, const BlockView& block)
{
    std::u16string text;
    for (size_t p = block.value; p + 2 <= block.end; p += 2) {
        const uint16_t c = U16(data, p);
        if (c == 0)
            break;
        text += char16_t(c);
    }
    std::string utf8;
    return Utf8FromUtf16(text, &utf8) ? utf8 : std::string();
}

std::string KeyText(const std::u16string& key)
{
    std::string utf8;
    return Utf8FromUtf16(key, &utf8) ? utf8 : std::string();
}

}  // namespace

std::string VersionInfo::Value(const std::string& key) const
{
    for (const auto& field : strings) {
        if (field.first == key)
            return field.second;
    }
    return std::string();
}

void VersionNumbers(const std::string& text, uint16_t numbers[4])
{
    size_t at = 0;
    for (int i = 0; i < 4; ++i)
        numbers[i] = 0;
    for (int i = 0; i < 4; ++i) {
        size_t digits = 0;
        uint32_t value = 0;
        while (at + digits < text.size() && text[at + digits] >= '0' && text[at + digits] <= '9' &&
               value <= 0xFFFF) {
            value = value * 10 + uint32_t(text[at + digits] - '0');
            ++digits;
        }
        if (digits == 0 || value > 0xFFFF)
            return;
        numbers[i] = uint16_t(value);
        at += digits;
        if (at >= text.size() || text[at] != '.')
            return;
        ++at;
    }
}

std::string VersionText(const uint16_t numbers[4])
{
    return std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." + std::to_string(numbers[2]) + "." +
           std::to_string(numbers[3]);
}

bool BuildVersionInfo(const VersionInfo& info, Bytes* resource)
{
    Bytes fixed;
    for (uint32_t value : {kFixedSignature, kFixedStructVersion, High(info.fileVersion), Low(info.fileVersion),
                           High(info.productVersion), Low(info.productVersion), kFileFlagsMask, 0u,
                           kFileOsNtWindows32, kFileTypeApp, 0u, 0u, 0u})
        AppendU32(fixed, value);

    std::vector<Bytes> strings;
    for (const auto& field : info.strings) {
        if (field.second.empty())
            continue;
        const std::u16string value = Utf16FromUtf8(field.second);
        Bytes text;
        AppendText(text, value);
        strings.push_back(Block(Utf16FromUtf8(field.first).c_str(), text, uint16_t(value.size() + 1), kText, {}));
    }
    Bytes translation;
    AppendU16(translation, kUsEnglish);
    AppendU16(translation, kCodePageUnicode);
    const Bytes stringInfo = Block(u"StringFileInfo", {}, 0, kText, {Block(u"040904B0", {}, 0, kText, strings)});
    const Bytes varInfo = Block(u"VarFileInfo", {}, 0, kText, {Block(u"Translation", translation, 4, kBinary, {})});
    // Every block's length is 16 bits; the root's is the largest.
    Bytes root = Block(u"VS_VERSION_INFO", fixed, kFixedSize, kBinary, {stringInfo, varInfo});
    if (root.size() > 0xFFFF)
        return false;
    *resource = std::move(root);
    return true;
}

bool ParseVersionInfo(const Bytes& resource, VersionInfo* info, std::string* problem)
{
    *info = VersionInfo();
    BlockView root;
    if (!ReadBlock(resource, 0, resource.size(), &root) || root.key != u"VS_VERSION_INFO") {
        *problem = "its version information does not begin with VS_VERSION_INFO";
        return false;
    }
    size_t children = root.value;
    if (root.valueLength >= kFixedSize && root.value + kFixedSize <= root.end &&
        U32(resource, root.value) == kFixedSignature) {
        info->hasFixed = true;
        SplitVersion(U32(resource, root.value + 8), U32(resource, root.value + 12), info->fileVersion);
        SplitVersion(U32(resource, root.value + 16), U32(resource, root.value + 20), info->productVersion);
        children = root.value + root.valueLength;
    }
    BlockView chosen;
    bool found = false;
    ForEachChild(resource, root, children, [&](const BlockView& child) {
        if (child.key != u"StringFileInfo")
            return;
        ForEachChild(resource, child, child.value, [&](const BlockView& table) {
            const bool english = table.key.size() >= 4 && table.key.compare(0, 4, u"0409") == 0;
            if (!found || (english && chosen.key.compare(0, 4, u"0409") != 0))
                chosen = table;
            found = true;
        });
    });
    if (found) {
        ForEachChild(resource, chosen, chosen.value, [&](const BlockView& field) {
            info->strings.emplace_back(KeyText(field.key), TextValue(resource, field));
        });
    }
    return true;
}

}  // namespace saverpack
