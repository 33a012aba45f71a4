// Which arguments of a saverpack command line are texts for the package, the
// installer's version information or its manifest (--title, --description,
// --publisher, --version, --url, --copyright; winget's --id, --installer-url,
// --license) rather than paths or numbers. saverpack.exe
// reads its command line in UTF-16 and needs to know: texts go on in UTF-8,
// whatever the console's code page, and everything else in the ANSI code page,
// because the file calls are the ANSI ones.
#pragma once

#include <string>
#include <vector>

namespace saverpack {

// For each of `args` (args[0] the program, args[1] the sub-command): true when
// it is the value of one of those options, given as the next argument or
// after "=". Options are ASCII, so this holds for the arguments in any encoding
// that keeps ASCII as it is. After "--" nothing is an option.
std::vector<bool> TextArguments(const std::vector<std::string>& args);

}  // namespace saverpack
