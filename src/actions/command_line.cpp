// Command lines for child processes: quoted where they must be, refused where
// they do not fit.
#include "actions/command_line.h"

#include <string.h>

namespace actions {

namespace {

// The units before the zero, at most `size`.
size_t Length(const WCHAR* text, size_t size)
{
    size_t length = 0;
    while (length < size && text[length] != 0)
        ++length;
    return length;
}

bool Holds(const WCHAR* text, WCHAR c)
{
    for (; *text != 0; ++text) {
        if (*text == c)
            return true;
    }
    return false;
}

}  // namespace

bool AppendCommandPath(WCHAR* line, size_t size, const WCHAR* path)
{
    size_t used = Length(line, size);
    size_t length = Length(path, size_t(-1));
    if (used == size || Holds(path, '"'))
        return false;
    if (!Holds(path, ' ') && !Holds(path, '\t'))
        return AppendCommandText(line, size, path);
    if (path[length - 1] == '\\')
        return false;
    // Both quotes and the terminating zero must fit too.
    if (length + 2 >= size - used)
        return false;
    WCHAR* out = line + used;
    out[0] = '"';
    memcpy(out + 1, path, length * sizeof(WCHAR));
    out[length + 1] = '"';
    out[length + 2] = 0;
    return true;
}

bool AppendCommandText(WCHAR* line, size_t size, const WCHAR* text)
{
    size_t used = Length(line, size);
    size_t length = Length(text, size_t(-1));
    if (used == size || length >= size - used)
        return false;
    memcpy(line + used, text, (length + 1) * sizeof(WCHAR));
    return true;
}

}  // namespace actions
