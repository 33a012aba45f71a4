// Where `saverpack build` finds the installer stub when no --stub is given, so
// that an installed packer, or one unzipped beside its stub, needs no options
// to find it.
#pragma once

#include <functional>
#include <string>

namespace saverpack {

constexpr char kStubVariable[] = "SAVERPACK_STUB";
constexpr char kStubFileName[] = "saverstub.exe";

// Reads one environment variable: nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// This process's environment, in UTF-8; the value stays valid until the next call.
const char* ProcessEnvironment(const char* name);

// The stub for a packer whose own file is `executable` (empty when unknown):
//  1. the file SAVERPACK_STUB names, when it is set and not empty; it must exist;
//  2. else saverstub.exe in the executable's folder;
//  3. else share/saverpack/saverstub.exe beside that folder (../share/saverpack
//     from it), where `make install` puts it.
// False with a message naming every place looked at.
bool FindStub(const std::string& executable, const EnvironmentLookup& lookup, std::string* stub, std::string* error);

// The running program's own file, symbolic links resolved, in UTF-8.
bool OwnExecutablePath(std::string* path, std::string* error);

}  // namespace saverpack
