// The packer's own walk over a package, for diagnostics only: it finds where and
// why a package is damaged and what is odd about an intact one. Whether a package
// is valid is decided by the installer's reader (loaded_package.h), never here.
#pragma once

#include "package/package_end.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

struct ChunkEntry {
    uint32_t offset;
    uint32_t length;
    uint32_t tag;
};

struct PackageWalk {
    package::PackageEnd end;  // where the package ends, and the signature that may follow it
    uint32_t headerOffset = 0;
    std::vector<ChunkEntry> chunks;  // from the header on, as far as the walk got
    std::string problem;             // the first reason the installer refuses the package
    std::vector<std::string> notes;  // what the installer accepts but deserves a word
    bool hasLanguages = false;       // an "ilng" chunk the installer reads
    std::vector<uint8_t> languages;  // its inflated content
};

// Reads the package through `file` a few bytes or one piece at a time; only the
// document, the logo and the translations are held, inflated, as the installer
// holds them.
PackageWalk WalkPackage(const package::BoundedReader& file);

// WalkPackage over the file at `path`, read in bounded pieces, never whole.
// False with a reason when the file cannot be read.
bool WalkFile(const std::string& path, PackageWalk* walk, std::string* error);

// Why the installer's reader refuses a package, in the walk's words; for the
// file at `path`, walked first.
std::string WhyRefused(const PackageWalk& walk);
std::string WhyRefused(const std::string& path);

// The tag's four letters, or its value in hex when they are not all printable.
std::string TagText(uint32_t tag);

// What the installer makes of a chunk with this tag.
const char* ChunkKind(uint32_t tag);

std::string Hex32(uint32_t value);

}  // namespace saverpack
