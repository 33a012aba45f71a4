// saverpack.exe's arguments, read from the UTF-16 command line that Windows
// keeps, so that a title typed in any console arrives whole: the C runtime's
// argv has already passed it through the ANSI code page, which loses what that
// code page cannot hold.
#pragma once

#include <string>
#include <vector>

namespace saverpack {

// The arguments with the package's texts in UTF-8 and everything else, paths
// above all, in the ANSI code page exactly as the C runtime would hand them on.
// Empty when the command line cannot be read.
std::vector<std::string> WideCommandLineArguments();

}  // namespace saverpack
