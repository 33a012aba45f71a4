// Screen-saver argument rules; see saver_args.h.
#include "saver_args.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

const char* SkipBlanks(const char* p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}

// One token: [begin, end). A token in double quotes may hold blanks; the quotes
// are not part of it. Returns the position after the token.
const char* NextToken(const char* p, const char** begin, const char** end)
{
    p = SkipBlanks(p);
    if (*p == '"') {
        *begin = ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        *end = p;
        return *p == '"' ? p + 1 : p;
    }
    *begin = p;
    while (*p != '\0' && !IsBlank(*p))
        ++p;
    *end = p;
    return p;
}

int DigitValue(char c, unsigned base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value;
}

// The whole of [begin, end) must be the number; anything that does not fit in
// 32 bits is refused rather than cut, so a garbled handle never names a stranger.
bool ParseHandle(const char* begin, const char* end, uint32_t* value)
{
    unsigned base = 10;
    if (end - begin > 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X')) {
        base = 16;
        begin += 2;
    }
    if (begin == end)
        return false;
    uint64_t total = 0;
    for (const char* p = begin; p != end; ++p) {
        int digit = DigitValue(*p, base);
        if (digit < 0)
            return false;
        total = total * base + unsigned(digit);
        if (total > 0xFFFFFFFFu)
            return false;
    }
    *value = uint32_t(total);
    return true;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

}  // namespace

bool ParseSaverArgs(const char* arguments, SaverArgs* result)
{
    SaverArgs parsed;
    const char* begin = nullptr;
    const char* end = nullptr;
    const char* rest = NextToken(arguments != nullptr ? arguments : "", &begin, &end);
    if (begin == end) {
        *result = parsed;
        return true;
    }
    if (end - begin < 2 || (begin[0] != '/' && begin[0] != '-'))
        return false;

    switch (Lower(begin[1])) {
    case 's':
        parsed.mode = SaverMode::Screen;
        break;
    case 'p':
        parsed.mode = SaverMode::Preview;
        break;
    case 'c':
        parsed.mode = SaverMode::Configure;
        break;
    default:
        return false;
    }

    const char* tail = begin + 2;
    if (tail != end) {
        // "/p:1234": the handle is glued to the switch.
        if (*tail != ':' || parsed.mode == SaverMode::Screen)
            return false;
        if (!ParseHandle(tail + 1, end, &parsed.window))
            return false;
        parsed.hasWindow = true;
    } else if (parsed.mode != SaverMode::Screen) {
        const char* handleBegin = nullptr;
        const char* handleEnd = nullptr;
        const char* after = NextToken(rest, &handleBegin, &handleEnd);
        if (handleBegin != handleEnd) {
            if (!ParseHandle(handleBegin, handleEnd, &parsed.window))
                return false;
            parsed.hasWindow = true;
            rest = after;
        }
    }

    NextToken(rest, &begin, &end);
    if (begin != end)
        return false;
    // A preview has nowhere to draw without its host window.
    if (parsed.mode == SaverMode::Preview && (!parsed.hasWindow || parsed.window == 0))
        return false;
    *result = parsed;
    return true;
}

bool WakeFilter::IsRealMove(int x, int y)
{
    if (seen_ < kIgnoredMessages) {
        ++seen_;
        anchored_ = false;
        return false;
    }
    if (!anchored_) {
        anchored_ = true;
        anchorX_ = x;
        anchorY_ = y;
        return false;
    }
    int dx = x - anchorX_;
    int dy = y - anchorY_;
    return dx > kThreshold || dx < -kThreshold || dy > kThreshold || dy < -kThreshold;
}
