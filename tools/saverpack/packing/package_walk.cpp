#include "packing/package_walk.h"

#include "platform/file_util.h"
#include "images/packed_dib.h"
#include "languages/languages_chunk.h"

#include "package/crc32.h"
#include "package/package_format.h"
#include "package/scoped_handles.h"
#include "package/stub_check.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <zlib.h>

namespace saverpack {

using namespace package;

bool WalkFile(const std::string& path, PackageWalk* walk, std::string* error)
{
    uint32_t size = 0;
    if (!CheckInputFile(path, &size, error))
        return false;
    package::ScopedFile file(OpenFileUtf8(path, OF_READ));
    if (!file.valid()) {
        *error = "cannot read " + path + ": cannot open it";
        return false;
    }
    *walk = WalkPackage(package::BoundedReader::OverFile(file.get(), size));
    return true;
}

std::string WhyRefused(const PackageWalk& walk)
{
    return walk.problem.empty() ? "the installer's reader refuses it (it could not read the file)" : walk.problem;
}

std::string WhyRefused(const std::string& path)
{
    PackageWalk walk;
    std::string error;
    WalkFile(path, &walk, &error);
    return WhyRefused(walk);
}

std::string TagText(uint32_t tag)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        char c = char(tag >> (8 * i));
        if (c < 32 || c > 126)
            return Hex32(tag);
        text += c;
    }
    return "\"" + text + "\"";
}

const char* ChunkKind(uint32_t tag)
{
    switch (tag) {
    case kTagHeader: return "header";
    case kTagSaver: return "saver";
    case kTagDocument: return "document";
    case kTagLogo: return "logo";
    case kTagApp: return "Apps & features entry";
    case kTagLanguages: return "translations";
    case kTagEnd: return "trailer";
    default: return "unknown, skipped";
    }
}

std::string Hex32(uint32_t value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08X", unsigned(value));
    return text;
}

namespace {

// The walk checks every position against the package's end before it reads; a
// value that still cannot be read (the file changed under us) reads as 0.
uint32_t U32(const package::BoundedReader& file, uint64_t at)
{
    uint32_t value = 0;
    if (at > UINT32_MAX || !file.ReadU32(uint32_t(at), &value))
        return 0;
    return value;
}

std::string Str(uint64_t value)
{
    return std::to_string(value);
}

// Inflates one zlib stream as the installer does: at most `length` bytes of
// input, and only a stream that reaches its end counts. Empty on success, else
// what went wrong.
std::string InflateStream(const package::BoundedReader& file, uint32_t offset, uint32_t length,
                          std::vector<uint8_t>* output)
{
    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK)
        return "zlib cannot start";
    uint8_t input[16384];
    uint8_t buffer[16384];
    uint32_t read = 0;
    int result;
    do {
        if (stream.avail_in == 0 && read < length) {
            uint32_t want = length - read < sizeof input ? length - read : uint32_t(sizeof input);
            if (!file.ReadAt(offset + read, input, want)) {
                inflateEnd(&stream);
                return "it cannot be read";
            }
            read += want;
            stream.next_in = input;
            stream.avail_in = want;
        }
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        output->insert(output->end(), buffer, buffer + (sizeof buffer - stream.avail_out));
    } while (result == Z_OK);
    std::string reason;
    if (result == Z_BUF_ERROR)
        reason = "it ends before the end of its zlib stream";
    else if (result != Z_STREAM_END)
        reason = std::string("zlib: ") + (stream.msg != nullptr ? stream.msg : "error " + std::to_string(result));
    inflateEnd(&stream);
    return reason;
}

// Checks a document or logo chunk the way the installer loads it; returns the
// inflated content through *content. False with walk->problem set.
bool CheckInflatedChunk(const package::BoundedReader& file, const ChunkEntry& chunk, uint32_t recordSize,
                        const char* kind, std::vector<uint8_t>* content, PackageWalk* walk)
{
    std::string at = std::string("the ") + kind + " chunk at offset " + Str(chunk.offset);
    if (chunk.length < recordSize) {
        walk->problem = at + " is " + Str(chunk.length) + " bytes, shorter than its " + Str(recordSize) +
                        "-byte record";
        return false;
    }
    std::string reason = InflateStream(file, chunk.offset + recordSize, chunk.length - recordSize, content);
    if (!reason.empty()) {
        walk->problem = at + " holds a damaged stream: " + reason;
        return false;
    }
    if (content->empty()) {
        walk->problem = at + " holds a stream that inflates to nothing, which the installer takes for damage";
        return false;
    }
    return true;
}

}  // namespace

PackageWalk WalkPackage(const package::BoundedReader& file)
{
    PackageWalk walk;
    uint64_t size = file.size();
    if (size > uint64_t(INT32_MAX)) {
        walk.problem = "the file is larger than the 2 GiB the installer can address";
        return walk;
    }
    if (size < kTrailerSize) {
        walk.problem = "no package: the file is " + Str(size) + " bytes, too short for the 56-byte trailer";
        return walk;
    }
    package::PackageEndResult found = package::FindPackageEnd(file, &walk.end);
    const package::PackageEnd& end = walk.end;
    std::string table = "the certificate table (offset " + Str(end.certificateOffset) + ", " +
                        Str(end.certificateSize) + " bytes)";
    if (found == package::PackageEndResult::kCertificateNotAtEnd) {
        uint64_t tableEnd = uint64_t(end.certificateOffset) + end.certificateSize;
        walk.problem = tableEnd < size ? "data follows " + table + ": " + Str(size - tableEnd) +
                                             " bytes were added after signing"
                                       : table + " does not end the file of " + Str(size) + " bytes";
        return walk;
    }
    if (found == package::PackageEndResult::kNoTrailer) {
        std::string last = end.end >= kTrailerSize ? " (found " + TagText(U32(file, end.end - kTrailerSize)) + ")" : "";
        walk.problem = end.isSigned ? "no package: the 56 bytes before " + table + " do not begin with \"iend\"" + last
                                    : "no package: the last 56 bytes do not begin with \"iend\"" + last;
        return walk;
    }
    uint32_t trailer = end.trailerOffset;
    uint64_t packageEnd = uint64_t(trailer) + kTrailerSize;
    uint32_t distance = U32(file, trailer + 12) ^ kHeaderDistanceMask;
    uint32_t storedCrc = U32(file, trailer + 16) ^ kHeaderCrcMask;
    uint32_t stubCheck = U32(file, trailer + 20);
    if (distance < kHeaderRecordSize + kTrailerSize || distance > packageEnd) {
        walk.problem = "the trailer puts the header " + Str(distance) + " bytes before the end of a package of " +
                       Str(packageEnd) + " bytes, which cannot be";
        return walk;
    }
    uint32_t header = uint32_t(packageEnd - distance);
    walk.headerOffset = header;
    if (U32(file, header) != kTagHeader) {
        walk.problem = "no \"ihdr\" header at offset " + Str(header) + ", where the trailer points (found " +
                       TagText(U32(file, header)) + ")";
        return walk;
    }
    uint8_t headerRecord[kHeaderRecordSize];
    if (!file.ReadAt(header, headerRecord, kHeaderRecordSize)) {
        walk.problem = "the header at offset " + Str(header) + " cannot be read";
        return walk;
    }
    uint32_t crc = package::crc32(0, headerRecord, kHeaderRecordSize);
    if (crc != storedCrc) {
        walk.problem = "the header at offset " + Str(header) + " has been changed: its CRC-32 is " + Hex32(crc) +
                       ", the trailer expects " + Hex32(storedCrc);
        return walk;
    }
    uint32_t headerLength = U32(file, header + 4);
    if (headerLength < kHeaderRecordSize || headerLength > packageEnd - header) {
        walk.problem = "the header chunk's length " + Str(headerLength) + " does not fit between offset " +
                       Str(header) + " and the end of the package";
        return walk;
    }
    walk.chunks.push_back({header, headerLength, kTagHeader});
    if (headerLength > kHeaderRecordSize)
        walk.notes.push_back("the header chunk carries " + Str(headerLength - kHeaderRecordSize) +
                             " bytes after its record; the installer skips them");

    bool seenSaver = false, seenDocument = false, seenLogo = false;
    uint64_t pos = uint64_t(header) + headerLength;
    for (;;) {
        if (pos + 8 > packageEnd) {
            walk.problem = "the chunks run into the end of the package at offset " + Str(pos) +
                           " without reaching \"iend\"";
            return walk;
        }
        ChunkEntry chunk{uint32_t(pos), U32(file, pos + 4), U32(file, pos)};
        if (chunk.length == 0 &&
            (chunk.tag == kTagSaver || chunk.tag == kTagDocument || chunk.tag == kTagLogo || chunk.tag == kTagApp)) {
            walk.problem = "the " + std::string(ChunkKind(chunk.tag)) + " chunk at offset " + Str(pos) +
                           " has length 0, too short for its record";
            return walk;
        }
        if (chunk.length == 0) {
            walk.notes.push_back("a chunk of length 0 at offset " + Str(pos) +
                                 " ends the chunks early; the installer ignores everything from there");
            break;
        }
        if (chunk.length > packageEnd - pos) {
            walk.problem = "the " + TagText(chunk.tag) + " chunk at offset " + Str(pos) + " claims " +
                           Str(chunk.length) + " bytes, but only " + Str(packageEnd - pos) + " are left in the package";
            return walk;
        }
        walk.chunks.push_back(chunk);
        std::vector<uint8_t> content;
        switch (chunk.tag) {
        case kTagSaver:
            if (chunk.length < kSaverRecordSize) {
                walk.problem = "the saver chunk at offset " + Str(pos) + " is " + Str(chunk.length) +
                               " bytes, shorter than its 310-byte record";
                return walk;
            }
            if (seenSaver)
                walk.notes.push_back("a second saver chunk at offset " + Str(pos) + " replaces the first");
            seenSaver = true;
            break;
        case kTagDocument: {
            if (!CheckInflatedChunk(file, chunk, kDocumentRecordSize, "document", &content, &walk))
                return walk;
            if (seenDocument)
                walk.notes.push_back("a second document chunk at offset " + Str(pos) + " replaces the first");
            seenDocument = true;
            uint32_t recorded = U32(file, pos + 12);
            if (recorded != content.size())
                walk.notes.push_back("the document record gives its size as " + Str(recorded) +
                                     " bytes, but its stream inflates to " + Str(content.size()));
            break;
        }
        case kTagLogo: {
            if (!CheckInflatedChunk(file, chunk, kLogoRecordSize, "logo", &content, &walk))
                return walk;
            if (seenLogo)
                walk.notes.push_back("a second logo chunk at offset " + Str(pos) + " replaces the first");
            seenLogo = true;
            DibFacts facts;
            std::string problem;
            if (!CheckPackedDib(content.data(), content.size(), &facts, &problem))
                walk.notes.push_back("the installer cannot draw the logo: " + problem);
            break;
        }
        case kTagApp:
            if (chunk.length < kAppRecordSize) {
                walk.problem = "the Apps & features chunk at offset " + Str(pos) + " is " + Str(chunk.length) +
                               " bytes, shorter than its " + Str(kAppRecordSize) + "-byte record";
                return walk;
            }
            break;
        case kTagLanguages: {
            // Only a header with UTF-8 texts makes the installer read translations.
            if (memcmp(headerRecord + offsetof(InstHeader, abTextMarker), kUtf8TextMarker, 4) != 0) {
                walk.notes.push_back("the translations chunk at offset " + Str(pos) +
                                     " is skipped: the header's texts are not UTF-8");
                break;
            }
            std::vector<Language> languages;
            std::string problem;
            if (!CheckInflatedChunk(file, chunk, 2 * sizeof(uint32_t), "translations", &content, &walk))
                return walk;
            if (content.size() > kMaxLanguagesBytes || !DecodeLanguages(content, &languages, &problem)) {
                walk.problem = "the translations chunk at offset " + Str(pos) + " is damaged: " +
                               (problem.empty() ? "it inflates to more than " + Str(kMaxLanguagesBytes) + " bytes"
                                                : problem);
                return walk;
            }
            walk.hasLanguages = true;
            walk.languages = content;
            break;
        }
        case kTagEnd:
            break;
        default:
            walk.notes.push_back("a chunk with the unknown tag " + TagText(chunk.tag) + " at offset " + Str(pos) +
                                 " is skipped");
            break;
        }
        pos += chunk.length;
        if (chunk.tag == kTagEnd) {
            if (chunk.offset != trailer)
                walk.notes.push_back("an \"iend\" chunk at offset " + Str(chunk.offset) +
                                     " ends the chunks before the trailer at offset " + Str(trailer) +
                                     "; the installer ignores the bytes between");
            break;
        }
    }

    uint32_t check = 0;
    if (!package::ComputeStubCheck(file.Prefix(header), &check)) {
        walk.problem = "the stub image (the first " + Str(header) + " bytes) cannot be read";
        return walk;
    }
    if (check != stubCheck) {
        walk.problem = "the stub image (the first " + Str(header) + " bytes) has been changed: its self-check is " +
                       Hex32(check) + ", the trailer expects " + Hex32(stubCheck);
        return walk;
    }
    if (!seenSaver)
        walk.notes.push_back("there is no saver chunk: the installer has nothing to install");
    return walk;
}

}  // namespace saverpack
