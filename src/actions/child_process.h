// Starts a program the way the stub's actions do (maximised, inheriting our
// handles and environment) and blocks until it ends.
#pragma once

#include <windows.h>

namespace actions {

// Runs `commandLine` (CreateProcessW may write into it) and waits without
// pumping messages until the process has ended. False when it cannot be created.
bool RunMaximisedAndWait(WCHAR* commandLine);

}  // namespace actions
