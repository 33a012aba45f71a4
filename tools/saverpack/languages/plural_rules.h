// CLDR's cardinal plural rules of the installer's languages, for the counts the
// install prompt offers (1 to 99 minutes), compiled to the table the package
// stores: the stub only looks a count up and never evaluates a rule.
#pragma once

#include "package/package_format.h"

#include <array>
#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

// The plural form for each count 1 to kPluralCounts; entry 0 is the count 1.
using PluralTable = std::array<uint8_t, package::kPluralCounts>;

// The table of the language `tag` ("ru", "pt-BR", "sr-Latn"): the rule of its
// primary subtag when saverpack knows that language; else every count takes
// "other", which suits a language without plural forms and keeps any other
// language readable with one form.
PluralTable PluralTableFor(const std::string& tag);

// The forms a table uses, in the order zero, one, two, few, many, other.
std::vector<package::PluralForm> FormsUsed(const PluralTable& table);

// "zero" ... "other"; and back, false for a name that is none of them.
const char* PluralFormName(package::PluralForm form);
bool PluralFormFromName(const std::string& name, package::PluralForm* form);

}  // namespace saverpack
