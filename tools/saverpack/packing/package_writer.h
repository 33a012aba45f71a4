// Lays out an installer: the stub's bytes, then the header, Apps & features,
// translations, saver, document and logo chunks, then the trailer with the header's checksum and the stub's
// self-check, exactly as the installer's reader expects them. The saver, the one
// part that may be large, streams from its file through deflate into the output.
#pragma once

#include "commands/app_entry.h"

#include "compat/platform.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kDefaultColour = 0x00C06020;  // 2060C0 on the web, as a COLORREF
constexpr uint32_t kDefaultTimeout = 10;
constexpr uint32_t kMaxTimeout = 9999;
constexpr int kDefaultLevel = 9;

// Longest texts the records hold, one byte of each field kept for the zero.
constexpr size_t kMaxTitle = 261;
constexpr size_t kMaxDescription = 293;
constexpr size_t kMaxFileName = 293;

struct PackageContents {
    Bytes stub;
    Bytes saver;            // the saver's bytes, unless saverPath is given
    std::string saverPath;  // when not empty, the saver is read from this file in pieces
    std::string saverName;
    std::string title;
    std::string description;
    uint32_t colour = kDefaultColour;
    uint32_t timeout = kDefaultTimeout;
    bool hasDocument = false;
    Bytes document;
    bool hasLogo = false;
    Bytes logo;  // a packed DIB, already in the layout the installer draws
    bool logoAlpha = false;  // 32 bits with premultiplied alpha: the record is marked to blend it
    bool hasApp = false;     // an "iapp" chunk: the installer registers the saver for removal
    AppEntry app;            // its texts; empty ones are left out of the entry
    Bytes languages;         // the "ilng" chunk's inflated content (languages_chunk.h); empty for none
    int level = kDefaultLevel;
};

// Where each part landed in the last package built.
struct PackageLayout {
    uint32_t headerOffset = 0;
    uint32_t saverOffset = 0;
    uint32_t saverCompressed = 0;
    uint32_t documentOffset = 0;  // 0 when there is no document
    uint32_t documentCompressed = 0;
    uint32_t logoOffset = 0;  // 0 when there is no logo
    uint32_t logoCompressed = 0;
    uint32_t languagesOffset = 0;  // 0 when there are no translations
    uint32_t languagesCompressed = 0;
    uint32_t trailerOffset = 0;
    uint64_t saverSize = 0;  // bytes of saver read and deflated
    uint32_t installerSize = 0;
};

// Empty when `name` may be the saver's installed file name; else why not.
std::string CheckFileName(const std::string& name);

// Empty when the contents can be laid out; else the first reason it cannot.
std::string CheckContents(const PackageContents& contents);

// Writes the installer into `file`, a new empty file open for reading and writing
// (what OpenFileW with OF_CREATE gives), called `name` in messages. Memory stays bounded whatever
// the saver's size: it is deflated in pieces, its record's length written once
// known, and the PE CheckSum summed in a second pass over the written file. False
// with a reason for contents that CheckContents refuses, an unreadable saver, a
// failed write or a result too large for the installer to address.
bool WritePackage(const PackageContents& contents, HFILE file, const std::string& name, PackageLayout* layout,
                  std::string* error);

}  // namespace saverpack
