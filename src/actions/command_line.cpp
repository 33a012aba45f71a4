// Command lines for child processes: quoted where they must be, refused where
// they do not fit.
#include "actions/command_line.h"

#include <string.h>

namespace actions {

namespace {

bool NeedsQuotes(const char* path)
{
    return strpbrk(path, " \t") != nullptr;
}

}  // namespace

bool AppendCommandPath(char* line, size_t size, const char* path)
{
    size_t used = strnlen(line, size);
    size_t length = strlen(path);
    if (used == size || strchr(path, '"') != nullptr)
        return false;
    if (!NeedsQuotes(path))
        return AppendCommandText(line, size, path);
    if (path[length - 1] == '\\')
        return false;
    // Both quotes and the terminating zero must fit too.
    if (length + 2 >= size - used)
        return false;
    char* out = line + used;
    out[0] = '"';
    memcpy(out + 1, path, length);
    out[length + 1] = '"';
    out[length + 2] = '\0';
    return true;
}

bool AppendCommandText(char* line, size_t size, const char* text)
{
    size_t used = strnlen(line, size);
    size_t length = strlen(text);
    if (used == size || length >= size - used)
        return false;
    memcpy(line + used, text, length + 1);
    return true;
}

}  // namespace actions
