// The installer's command-line switches. The stub has no C runtime start-up and
// so no argv: this reads the one string GetCommandLineA gives, program name
// first, the way Windows programs split their command lines. Portable.
#pragma once

#include <stddef.h>

namespace actions {

constexpr unsigned kMinTimeoutSwitch = 1;
constexpr unsigned kMaxTimeoutSwitch = 99;

struct Switches {
    bool silent = false;      // /S: nothing shown, nothing asked
    bool noActivate = false;  // /NOACTIVATE: the saver does not become the active one
    bool help = false;        // /? or /HELP
    bool uninstall = false;   // /UNINSTALL: remove the saver instead
    unsigned count = 0;       // arguments read, understood or not
    unsigned timeout = 0;     // /TIMEOUT=N, in minutes; 0 when not given
    // The first argument not understood, without its quotes, cut to fit; empty when all were.
    char unknown[64] = {};
};

// Reads every argument after the program name into `switches`. Switches are
// case-insensitive, start with '/' or '-' and may stand in double quotes; the
// last of a repeated switch counts. False when an argument is not understood
// (it is named in `unknown`); the other switches are still read, so that a
// silent run stays silent about it.
bool ParseSwitches(const char* commandLine, Switches* switches);

}  // namespace actions
