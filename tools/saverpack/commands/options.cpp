#include "commands/options.h"

#include <algorithm>
#include <stdio.h>

namespace saverpack {

bool ScanArguments(int argc, const char* const* argv, int first, const std::vector<std::string>& valued,
                   const std::vector<std::string>& flags, CommandLine* line, std::string* error,
                   const std::vector<std::string>& repeatable)
{
    auto known = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 1, "-") != 0) {
            line->positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool inlineValue = false;
        size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        }
        const bool repeats = known(repeatable, name);
        if (line->Has(name) && !repeats) {
            *error = name + " is given twice";
            return false;
        }
        if (known(flags, name) && !inlineValue) {
            line->flags.insert(name);
        } else if (known(valued, name) || repeats) {
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    *error = name + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            if (repeats)
                line->lists[name].push_back(value);
            else
                line->values[name] = value;
        } else {
            *error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ParseWebColour(const std::string& text, uint32_t* colourref)
{
    std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6)
        return false;
    uint32_t rgb = 0;
    for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        rgb = rgb << 4 | uint32_t(d);
    }
    uint32_t red = rgb >> 16, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    *colourref = red | green << 8 | blue << 16;
    return true;
}

bool ParseWholeNumber(const std::string& text, uint32_t low, uint32_t high, uint32_t* value)
{
    if (text.empty() || text.size() > 9)
        return false;
    uint32_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + uint32_t(c - '0');
    }
    if (n < low || n > high)
        return false;
    *value = n;
    return true;
}

std::string WebColour(uint32_t colourref)
{
    char text[8];
    snprintf(text, sizeof text, "%02X%02X%02X", unsigned(colourref & 0xFF), unsigned((colourref >> 8) & 0xFF),
             unsigned((colourref >> 16) & 0xFF));
    return text;
}

}  // namespace saverpack
