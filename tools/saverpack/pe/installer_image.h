// The installer's face: a copy of the stub image whose resource section is
// written anew, with another icon and with version information, everything
// else of the stub's resources (dialogs, cursor, manifest) copied as it is.
//
// The stub keeps ASLR, so its relocation section stays; it follows the
// resource section and moves behind the new one. Its contents point only into
// the sections before the resources (that is checked), so only its section
// header and data directory 5 change. Section table, SizeOfImage,
// SizeOfInitializedData and data directories 2 and 5 are made consistent; the
// CheckSum is left 0 for the package writer, which sums the finished file.
#pragma once

#include "pe/icon_group.h"

#include <stdint.h>
#include <string>

namespace saverpack {

struct InstallerResources {
    const IconGroup* icon = nullptr;  // null: the stub's own icon stays
    Bytes versionInfo;                // a VS_VERSIONINFO resource, US English
};

// The stub image with `resources`. A stub that is no PE image with resources
// (no stub saverpack ships) is copied as it is and *rewritten is false. False
// with why when the stub's layout cannot take new resources.
bool RewriteStubResources(const Bytes& stub, const InstallerResources& resources, Bytes* image, bool* rewritten,
                          std::string* problem);

}  // namespace saverpack
