// Path splitting with fixed buffers, for the stub's actions.
#include "actions/path_parts.h"

#include <string.h>

namespace actions {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Copies [begin, end) into `part`, cut to `limit` characters.
void CopyPart(char* part, const char* begin, const char* end, size_t limit)
{
    if (part == nullptr)
        return;
    size_t length = size_t(end - begin);
    if (length > limit)
        length = limit;
    memcpy(part, begin, length);
    part[length] = '\0';
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

}  // namespace

void SplitPath(const char* path, char* drive, char* directory, char* name, char* extension)
{
    const char* end = path + strnlen(path, kPathCharsCounted);
    const char* rest = path;
    if (end - path >= 2 && path[1] == ':')
        rest = path + 2;
    CopyPart(drive, path, rest, 2);

    const char* base = rest;
    for (const char* p = rest; p != end; ++p) {
        if (IsSeparator(*p))
            base = p + 1;
    }
    CopyPart(directory, rest, base, kPathPartMax);

    const char* dot = end;
    for (const char* p = base; p != end; ++p) {
        if (*p == '.')
            dot = p;
    }
    CopyPart(name, base, dot, kPathPartMax);
    CopyPart(extension, dot, end, kPathPartMax);
}

bool SamePathPart(const char* a, const char* b)
{
    for (; *a != '\0' || *b != '\0'; ++a, ++b) {
        if (AsciiUpper(*a) != AsciiUpper(*b))
            return false;
    }
    return true;
}

bool LiesDirectlyIn(const char* path, const char* directory)
{
    // One more byte than a path buffer: a 259-character directory still gets its "\\".
    char folder[kPathCharsCounted + 2];
    size_t length = strnlen(directory, kPathCharsCounted);
    memcpy(folder, directory, length);
    if (length > 0 && folder[length - 1] != '\\')
        folder[length++] = '\\';
    folder[length] = '\0';

    char pathDrive[kPathPartSize];
    char pathDirectory[kPathPartSize];
    char folderDrive[kPathPartSize];
    char folderDirectory[kPathPartSize];
    SplitPath(path, pathDrive, pathDirectory, nullptr, nullptr);
    SplitPath(folder, folderDrive, folderDirectory, nullptr, nullptr);
    return SamePathPart(pathDrive, folderDrive) && SamePathPart(pathDirectory, folderDirectory);
}

}  // namespace actions
