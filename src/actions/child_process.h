// Starts a program the way the stub's actions do (maximised, inheriting our
// handles and environment) and blocks until it ends.
#pragma once

#include <windows.h>

namespace actions {

// Runs `commandLine` (CreateProcessA may write into it) and waits without
// pumping messages until the process has ended. False when it cannot be created.
bool RunMaximisedAndWait(char* commandLine);

}  // namespace actions
