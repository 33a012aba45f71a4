// saverpack.exe's arguments, read from the UTF-16 command line that Windows
// keeps: the C runtime's argv has already passed them through the ANSI code
// page, which loses what that code page cannot hold, in a title as in a path.
#pragma once

#include <string>
#include <vector>

namespace saverpack {

// The arguments in UTF-8, as saverpack takes every text and every path. Empty
// when the command line cannot be read.
std::vector<std::string> WideCommandLineArguments();

}  // namespace saverpack
