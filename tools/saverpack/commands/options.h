// Reading the packer's command line: option scanning and the value formats
// (web colours, whole numbers).
#pragma once

#include <stdint.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace saverpack {

struct CommandLine {
    std::map<std::string, std::string> values;  // "--stub" -> its value
    std::map<std::string, std::vector<std::string>> lists;  // a repeatable option -> its values in order
    std::set<std::string> flags;                // "--verify", "--help"
    std::vector<std::string> positional;

    bool Has(const std::string& option) const
    {
        return values.count(option) != 0 || flags.count(option) != 0 || lists.count(option) != 0;
    }
    const std::string& Value(const std::string& option) const { return values.at(option); }
    std::vector<std::string> Values(const std::string& option) const
    {
        return lists.count(option) != 0 ? lists.at(option) : std::vector<std::string>();
    }
};

// Scans argv[first..argc-1]. Options in `valued` take the next argument (or the
// text after "=") as their value; those in `flags` take none. "--" ends the
// options. Those in `repeatable` take a value each time they are given, kept in
// `lists`. False with a reason for an unknown option, a missing value or any
// other option given twice.
bool ScanArguments(int argc, const char* const* argv, int first, const std::vector<std::string>& valued,
                   const std::vector<std::string>& flags, CommandLine* line, std::string* error,
                   const std::vector<std::string>& repeatable = {});

// "RRGGBB" (or "#RRGGBB") as written on the web, red first, to a COLORREF with
// red in the low byte.
bool ParseWebColour(const std::string& text, uint32_t* colourref);

// A whole number in decimal digits only, from `low` to `high`.
bool ParseWholeNumber(const std::string& text, uint32_t low, uint32_t high, uint32_t* value);

// COLORREF back to "RRGGBB".
std::string WebColour(uint32_t colourref);

}  // namespace saverpack
