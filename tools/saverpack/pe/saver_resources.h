// What a saver says of itself in its resources: the name Screen Saver Settings
// lists it by (string 1), its version information and its icon. The saver is a
// stranger's file: everything is read through bounded reads, and what cannot be
// read is left out (with the reason) rather than failing the build.
#pragma once

#include "pe/icon_group.h"
#include "pe/version_info.h"

#include "package/bounded_reader.h"

#include <string>

namespace saverpack {

struct SaverResources {
    // Why the resources, or a part of them, could not be read; empty when
    // everything there is was read (which may be nothing).
    std::string problem;
    std::string displayName;  // string 1, UTF-8; empty when there is none
    bool hasVersion = false;
    VersionInfo version;
    bool hasIcon = false;
    IconGroup icon;  // its first icon group, every image
};

SaverResources ReadSaverResources(const package::BoundedReader& saver);


}  // namespace saverpack
