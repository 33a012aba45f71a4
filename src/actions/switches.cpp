// The installer's switches, read from its whole command line.
#include "actions/switches.h"

#include <string.h>

namespace actions {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// `text` begins with `name` (upper case), compared without regard to case; on a
// match *rest points after it.
bool StartsWith(const char* text, const char* name, const char** rest)
{
    for (; *name != '\0'; ++text, ++name) {
        if (Upper(*text) != *name)
            return false;
    }
    *rest = text;
    return true;
}

bool Is(const char* text, const char* name)
{
    const char* rest = nullptr;
    return StartsWith(text, name, &rest) && *rest == '\0';
}

// One to three decimal digits from kMinTimeoutSwitch to kMaxTimeoutSwitch, and nothing else.
bool ParseMinutes(const char* digits, unsigned* minutes)
{
    unsigned value = 0;
    size_t count = 0;
    for (; digits[count] != '\0'; ++count) {
        if (count == 3 || digits[count] < '0' || digits[count] > '9')
            return false;
        value = value * 10 + unsigned(digits[count] - '0');
    }
    if (count == 0 || value < kMinTimeoutSwitch || value > kMaxTimeoutSwitch)
        return false;
    *minutes = value;
    return true;
}

bool ApplySwitch(const char* argument, Switches* switches)
{
    if (argument[0] != '/' && argument[0] != '-')
        return false;
    const char* name = argument + 1;
    const char* value = nullptr;
    if (Is(name, "S"))
        switches->silent = true;
    else if (Is(name, "NOACTIVATE"))
        switches->noActivate = true;
    else if (Is(name, "?") || Is(name, "HELP"))
        switches->help = true;
    else if (Is(name, "UNINSTALL"))
        switches->uninstall = true;
    else if (StartsWith(name, "TIMEOUT=", &value))
        return ParseMinutes(value, &switches->timeout);
    else
        return false;
    return true;
}

// Copies the argument at `*cursor` into `argument` without its quotes, as the
// C runtime would: a double quote toggles quoting, and a blank outside quotes
// ends the argument. False when it does not fit; *cursor moves past it anyway.
bool NextArgument(const char** cursor, char* argument, size_t size)
{
    const char* p = *cursor;
    size_t length = 0;
    bool fits = true;
    bool quoted = false;
    for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (length + 1 < size) {
            argument[length++] = *p;
        } else {
            fits = false;
        }
    }
    argument[length] = '\0';
    *cursor = p;
    return fits;
}

const char* SkipProgramName(const char* p)
{
    if (*p == '"') {
        p = strchr(p + 1, '"');
        return p != nullptr ? p + 1 : "";
    }
    while (*p != '\0' && !IsBlank(*p))
        ++p;
    return p;
}

}  // namespace

bool ParseSwitches(const char* commandLine, Switches* switches)
{
    *switches = Switches();
    bool understood = true;
    const char* p = SkipProgramName(commandLine != nullptr ? commandLine : "");
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            return understood;
        // Longer than any switch: not understood, and named as far as it fits.
        char argument[sizeof switches->unknown];
        bool fits = NextArgument(&p, argument, sizeof argument);
        ++switches->count;
        if ((!fits || !ApplySwitch(argument, switches)) && understood) {
            understood = false;
            memcpy(switches->unknown, argument, sizeof argument);
        }
    }
}

}  // namespace actions
