#include "languages/plural_rules.h"

#include <string.h>

namespace saverpack {

using namespace package;

namespace {

const char* const kFormNames[] = {"zero", "one", "two", "few", "many", "other"};

// The rules as CLDR states them, restricted to whole numbers (so CLDR's i and n
// coincide and v is 0); forms only fractions or millions reach are left out.
using Rule = PluralForm (*)(unsigned n);

PluralForm OneOther(unsigned n) { return n == 1 ? kPluralOne : kPluralOther; }
PluralForm OtherOnly(unsigned) { return kPluralOther; }
// French and Brazilian Portuguese say "one" for 0 and 1; the installer offers no 0.
PluralForm ZeroOrOneIsOne(unsigned n) { return n <= 1 ? kPluralOne : kPluralOther; }

PluralForm Arabic(unsigned n)
{
    unsigned m100 = n % 100;
    if (n == 0)
        return kPluralZero;
    if (n == 1)
        return kPluralOne;
    if (n == 2)
        return kPluralTwo;
    if (m100 >= 3 && m100 <= 10)
        return kPluralFew;
    if (m100 >= 11)
        return kPluralMany;
    return kPluralOther;
}

PluralForm Hebrew(unsigned n)
{
    return n == 1 ? kPluralOne : n == 2 ? kPluralTwo : kPluralOther;
}

// Croatian and Serbian end in "other" what Russian and Ukrainian end in "many".
PluralForm SlavicEnding(unsigned n, PluralForm rest)
{
    unsigned m10 = n % 10, m100 = n % 100;
    if (m10 == 1 && m100 != 11)
        return kPluralOne;
    if (m10 >= 2 && m10 <= 4 && !(m100 >= 12 && m100 <= 14))
        return kPluralFew;
    return rest;
}
PluralForm Croatian(unsigned n) { return SlavicEnding(n, kPluralOther); }
PluralForm Russian(unsigned n) { return SlavicEnding(n, kPluralMany); }

PluralForm Czech(unsigned n)
{
    return n == 1 ? kPluralOne : n >= 2 && n <= 4 ? kPluralFew : kPluralOther;
}

PluralForm Polish(unsigned n)
{
    unsigned m10 = n % 10, m100 = n % 100;
    if (n == 1)
        return kPluralOne;
    if (m10 >= 2 && m10 <= 4 && !(m100 >= 12 && m100 <= 14))
        return kPluralFew;
    return kPluralMany;
}

PluralForm Latvian(unsigned n)
{
    unsigned m10 = n % 10, m100 = n % 100;
    if (m10 == 0 || (m100 >= 11 && m100 <= 19))
        return kPluralZero;
    if (m10 == 1 && m100 != 11)
        return kPluralOne;
    return kPluralOther;
}

PluralForm Lithuanian(unsigned n)
{
    unsigned m10 = n % 10, m100 = n % 100;
    if (m100 >= 11 && m100 <= 19)
        return kPluralOther;
    if (m10 == 1)
        return kPluralOne;
    if (m10 >= 2)
        return kPluralFew;
    return kPluralOther;
}

PluralForm Romanian(unsigned n)
{
    unsigned m100 = n % 100;
    if (n == 1)
        return kPluralOne;
    if (n == 0 || (m100 >= 1 && m100 <= 19))
        return kPluralFew;
    return kPluralOther;
}

PluralForm Slovenian(unsigned n)
{
    unsigned m100 = n % 100;
    if (m100 == 1)
        return kPluralOne;
    if (m100 == 2)
        return kPluralTwo;
    if (m100 == 3 || m100 == 4)
        return kPluralFew;
    return kPluralOther;
}

struct LanguageRule {
    const char* primary;
    Rule rule;
};

const LanguageRule kRules[] = {
    {"ar", Arabic},     {"bg", OneOther},   {"cs", Czech},      {"da", OneOther},       {"de", OneOther},
    {"el", OneOther},   {"en", OneOther},   {"es", OneOther},   {"et", OneOther},       {"fi", OneOther},
    {"fr", ZeroOrOneIsOne}, {"he", Hebrew}, {"hr", Croatian},   {"hu", OneOther},       {"it", OneOther},
    {"ja", OtherOnly},  {"ko", OtherOnly},  {"lt", Lithuanian}, {"lv", Latvian},        {"nb", OneOther},
    {"nl", OneOther},   {"pl", Polish},     {"pt", ZeroOrOneIsOne}, {"ro", Romanian},   {"ru", Russian},
    {"sk", Czech},      {"sl", Slovenian},  {"sr", Croatian},   {"sv", OneOther},       {"th", OtherOnly},
    {"tr", OneOther},   {"uk", Russian},    {"zh", OtherOnly},
};

std::string PrimarySubtag(const std::string& tag)
{
    std::string primary = tag.substr(0, tag.find('-'));
    for (char& c : primary) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return primary;
}

}  // namespace

PluralTable PluralTableFor(const std::string& tag)
{
    Rule rule = OtherOnly;
    const std::string primary = PrimarySubtag(tag);
    for (const LanguageRule& entry : kRules) {
        if (primary == entry.primary)
            rule = entry.rule;
    }
    PluralTable table;
    for (unsigned n = 1; n <= kPluralCounts; ++n)
        table[n - 1] = uint8_t(rule(n));
    return table;
}

std::vector<PluralForm> FormsUsed(const PluralTable& table)
{
    std::vector<PluralForm> forms;
    for (int form = kPluralZero; form <= kPluralOther; ++form) {
        for (uint8_t entry : table) {
            if (entry == form) {
                forms.push_back(PluralForm(form));
                break;
            }
        }
    }
    return forms;
}

const char* PluralFormName(PluralForm form)
{
    return form <= kPluralOther ? kFormNames[form] : "?";
}

bool PluralFormFromName(const std::string& name, PluralForm* form)
{
    for (int i = kPluralZero; i <= kPluralOther; ++i) {
        if (name == kFormNames[i]) {
            *form = PluralForm(i);
            return true;
        }
    }
    return false;
}

}  // namespace saverpack
