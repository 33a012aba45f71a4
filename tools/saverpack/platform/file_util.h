// Whole-file reads, path comparison and the atomic write the packer uses for
// every file it produces.
#pragma once

#include <stdint.h>
#include <filesystem>
#include <string>
#include <vector>

namespace saverpack {

using Bytes = std::vector<uint8_t>;

// Reads a regular file whole. False with a reason (missing, a directory, unreadable).
bool ReadWholeFile(const std::string& path, Bytes* bytes, std::string* error);

// What ReadWholeFile checks before it reads, for a file that is read in pieces:
// an existing regular file of at most 2 GiB. Its size in *size.
bool CheckInputFile(const std::string& path, uint32_t* size, std::string* error);

// A path as saverpack prints it: in UTF-8, like everything else it prints. On
// Windows the paths it works with are in the ANSI code page, as the file calls
// take them; elsewhere they are printed as given.
std::string DisplayPath(const std::string& path);

// A path as saverpack takes it (in the ANSI code page on Windows) for
// std::filesystem, whose Windows calls take UTF-16: converted with the ANSI code
// page itself, which the C runtime's conversion only approximates.
std::filesystem::path FileSystemPath(const std::string& path);

// The last component of a path, cut at "/", "\\" or a drive's ":".
std::string BaseName(const std::string& path);

// True when both paths name the same file: the same existing file (links
// included), or the same path once made absolute and normalised.
bool SamePath(const std::string& a, const std::string& b);

// True when `path` is an existing file without write permission (the read-only
// attribute on Windows).
bool IsReadOnlyFile(const std::string& path);

// A new empty temporary file beside `path`, its path in *temporary, for output
// that is written there first. The caller renames or removes it.
bool MakeTemporaryBeside(const std::string& path, std::string* temporary, std::string* error);

// Replaces `path` with the finished temporary file; removes the temporary file
// when that fails.
bool ReplaceWith(const std::string& temporary, const std::string& path, std::string* error);

// A new empty file in the system's temporary directory, for output nobody keeps.
bool MakeScratchFile(std::string* path, std::string* error);

}  // namespace saverpack
