// Every text of a loaded installer, in each of a few display languages: the
// language choice, the lookups and the placeholders run over whatever the
// reader accepted, under the sanitizers and the fuzzer.
#pragma once

namespace fuzzsupport {

// Null when the translations stayed sound for every language and every text
// came out zero-terminated within its buffer; otherwise what went wrong.
const char* SpeakEveryText();

}  // namespace fuzzsupport
