#include "package/crc32.h"

namespace package {
namespace {

const uint32_t crc_table[256] = {
#include "package/crc_table.inc"
};

inline uint32_t Step(uint32_t c, uint8_t byte)
{
    return crc_table[(c ^ byte) & 0xFF] ^ (c >> 8);
}

}  // namespace

uint32_t crc32(uint32_t crc, const void* buffer, size_t length)
{
    if (buffer == nullptr)
        return 0;
    const uint8_t* p = static_cast<const uint8_t*>(buffer);
    uint32_t c = crc ^ 0xFFFFFFFFu;
    // Eight bytes a pass while they last: the same result as bytewise, fewer branches.
    while (length >= 8) {
        c = Step(c, p[0]);
        c = Step(c, p[1]);
        c = Step(c, p[2]);
        c = Step(c, p[3]);
        c = Step(c, p[4]);
        c = Step(c, p[5]);
        c = Step(c, p[6]);
        c = Step(c, p[7]);
        p += 8;
        length -= 8;
    }
    while (length-- != 0)
        c = Step(c, *p++);
    return c ^ 0xFFFFFFFFu;
}

}  // namespace package
