// Whole-file reads, path comparison, the atomic write the packer uses for every
// file it produces, and the paths for the file calls.
#pragma once

#include "compat/platform.h"

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

// saverpack keeps every path in UTF-8: it reads them so from its command line
// (on Windows from the UTF-16 one) and prints them so. The file calls get them
// in UTF-16 on Windows, where a narrow path would be read in the ANSI code page
// and a folder named in any other script could not be reached.

// A path in UTF-16, for the wide calls (OpenFileW, LoadInstaller, WriteSaverFile).
std::basic_string<WCHAR> WidePath(const std::string& path);

// The UTF-8 of a UTF-16 path.
std::string Utf8Path(const WCHAR* path);

// A path for std::filesystem; on Windows made from its UTF-16 form.
std::filesystem::path FileSystemPath(const std::string& path);

// OpenFileW on `path` (OF_READ, OF_WRITE or OF_CREATE).
HFILE OpenFileUtf8(const std::string& path, int style);

// Deletes a file; false when it cannot.
bool DeleteFileUtf8(const std::string& path);

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
