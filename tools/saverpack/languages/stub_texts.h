// The stub's texts as a language file names them: each text's key, its English
// and the rules a translation of it must keep. Derived from messages.h, the one
// list of the stub's texts, so a text added there is a key here at once.
#pragma once

#include "package/messages.h"

#include <stddef.h>
#include <string>
#include <vector>

namespace saverpack {

struct StubText {
    package::MessageId id;
    const char* key;
    const char* english;
    bool hasCount;      // holds {minutes}: a translation gives it in plural forms
    unsigned maxUnits;  // a short label: at most this many UTF-16 code units, "&" not counted; else 0
    bool accelerator;   // a button or check box: at most one "&"
};

// Every text of messages.h, in id order.
const std::vector<StubText>& StubTexts();

// The text a language file names `key`, or null.
const StubText* FindStubText(const std::string& key);

// The named placeholders of `text` ("{title}", "{minutes}") in the order they
// appear. A brace that does not open a {name} of letters and "_" is no placeholder.
std::vector<std::string> Placeholders(const std::string& text);

}  // namespace saverpack
