// The translations a package carries ("ilng", package_format.h): checked when
// the package is loaded, one of them chosen for the user's display language,
// and every text the stub shows looked up in it, English where it has none.
// A text from the package is data: its placeholders are filled in here, and it
// never reaches a printf-family call as a format.
#pragma once

#include "compat/platform.h"
#include "package/installer_state.h"
#include "package/messages.h"

#include <stdint.h>

namespace package {

// Checks the loaded translations and chooses the one for `langid` (none:
// English): the one that lists it; else the one of its primary language that
// lists sublanguage 1, except for Chinese and for Croatian, Serbian and
// Bosnian, whose languages never stand in for each other. False, and English,
// when a length runs past what holds it or a count is out of range: damage.
bool SelectLanguage(LANGID langid);

// Whether a translation was chosen, and whether it reads right to left.
inline bool TranslationActive()
{
    return chosenLanguage != 0;
}
inline bool RightToLeft()
{
    return (languageFlags & kLanguageRightToLeft) != 0;
}

// The text of `id` in the chosen translation, or in English where it has no
// such text (or not the plural form for `minutes`), with {title} and, in the
// text with a count, {minutes} filled in; any other brace is shown as it is.
// Writes at most `capacity` (at least 1) units, the terminating zero included;
// returns the units before it. `title` is zero-terminated.
int LoadMessage(MessageId id, unsigned minutes, const WCHAR* title, WCHAR* out, int capacity);

}  // namespace package
