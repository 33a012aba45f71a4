#include "actions/saver_name.h"

#include <stdint.h>
#include <string.h>

namespace actions {

namespace {

// Setting bit 5 of an ASCII letter makes it lower case and leaves a lower-case
// one alone, and no other byte becomes a letter by it: a case-blind comparison
// of four bytes at once. (The names are ASCII; this is no locale's business.)
constexpr uint32_t kLetters = 0x20202020;

uint32_t FourBytes(const char* text)
{
    uint32_t value;
    memcpy(&value, text, sizeof value);
    return value;
}

}  // namespace

bool IsScreenSaverName(const char* name)
{
    size_t length = strlen(name);
    if (length < 4 || (FourBytes(name + length - 4) | (kLetters & ~0xFFu)) != FourBytes(".scr"))
        return false;
    size_t stem = size_t(strchr(name, '.') - name);
    while (stem != 0 && name[stem - 1] == ' ')
        --stem;
    // Three letters, then a blank for a plain device or "#" for a numbered one.
    uint32_t marker = ' ';
    if (stem == 4 && name[3] >= '1' && name[3] <= '9')
        marker = '#';
    else if (stem != 3)
        return true;
    uint32_t key = ((FourBytes(name) & 0x00FFFFFFu) | (kLetters & 0x00FFFFFFu)) | marker << 24;
    for (const char* device = "con prn aux nul com#lpt#"; *device != '\0'; device += 4) {
        if (FourBytes(device) == key)
            return false;
    }
    return true;
}

}  // namespace actions
