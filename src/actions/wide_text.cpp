#include "actions/wide_text.h"

#include <string.h>

namespace actions {

int ToWide(UINT codePage, const char* text, int length, WCHAR* wide, int capacity)
{
    if (capacity <= 0)
        return 0;
    wide[0] = L'\0';
    if (length <= 0)
        return 0;
    // Without MB_ERR_INVALID_CHARS a malformed sequence becomes U+FFFD instead
    // of failing the whole text. The explicit length keeps the call inside a
    // field, which need not hold a zero.
    int units = MultiByteToWideChar(codePage, 0, text, length, wide, capacity - 1);
    if (units <= 0)
        return 0;
    wide[units] = L'\0';
    return units;
}

int FieldLength(const char* field, int width)
{
    int length = 0;
    while (length < width && field[length] != '\0')
        ++length;
    return length;
}

int FieldToWide(UINT codePage, const char* field, int width, WCHAR* wide, int capacity)
{
    return ToWide(codePage, field, FieldLength(field, width), wide, capacity);
}

bool AppendWide(WCHAR* wide, int capacity, const WCHAR* text)
{
    int used = lstrlenW(wide);
    int length = lstrlenW(text);
    if (length >= capacity - used)
        return false;
    memcpy(wide + used, text, (length + 1) * sizeof(WCHAR));
    return true;
}

}  // namespace actions
