// Builds installer packages in memory for the tests: well-formed ones, which the
// tests then damage byte by byte where they need a broken one.
#pragma once

#include "package/package_format.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

Bytes Deflate(const Bytes& data, int level = 9);
Bytes RandomBytes(size_t count, uint32_t seed);
// Bytes that compress well (repeating text with a counter).
Bytes CompressibleBytes(size_t count);
// A zlib stream of stored (uncompressed) deflate blocks: its length is exactly
// data.size() + 2 + 4 + 5 per block of at most 65535 bytes, so a test can make a
// stream of any length it needs.
Bytes StoredZlib(const Bytes& data);

void PutU32(Bytes& bytes, size_t offset, uint32_t value);
uint32_t GetU32(const Bytes& bytes, size_t offset);

// One translation of the "ilng" chunk, in the fields its layout stores.
struct Translation {
    struct Text {
        uint8_t id;  // a message id (messages.h), or one the stub does not know
        uint8_t form;
        std::string utf8;
    };
    std::string tag;
    std::vector<uint16_t> langids;
    uint8_t flags = 0;
    std::vector<uint8_t> plurals = std::vector<uint8_t>(package::kPluralCounts, package::kPluralOther);
    std::vector<Text> texts;
};

// The translations as the chunk's stream inflates to them.
Bytes TranslationsBlock(const std::vector<Translation>& translations);

struct ChunkSpec {
    uint32_t tag;
    Bytes bytes;  // the whole chunk, record included; dwLength is already set
};

class PackageBuilder {
public:
    PackageBuilder();

    // The stub image the package is appended to (default: 4096 random bytes).
    PackageBuilder& Stub(Bytes stub);
    PackageBuilder& Title(const std::string& title);
    PackageBuilder& Description(const std::string& description);
    PackageBuilder& Colour(uint32_t colourref);
    PackageBuilder& Timeout(uint32_t minutes);
    // Bytes appended inside the header chunk after its record.
    PackageBuilder& HeaderExtra(size_t count);

    PackageBuilder& Saver(const Bytes& program, const std::string& name = "MYSAVER.SCR", int level = 9);
    // A saver chunk around an already compressed (or deliberately broken) stream.
    PackageBuilder& SaverStream(const Bytes& stream, const std::string& name = "MYSAVER.SCR");
    // dwSize defaults to the document's length.
    PackageBuilder& Document(const Bytes& content, int64_t dwSize = -1);
    PackageBuilder& Logo(const Bytes& dib, uint32_t format = 0);  // format: InstLogo.dwFormat
    // A chunk with a record of `recordSize` bytes (tag and length set) followed by
    // `payload`; for stored streams, unknown tags, or an early "iend".
    PackageBuilder& Raw(uint32_t tag, size_t recordSize, const Bytes& payload);
    // A translations chunk around `block` deflated; also marks the header's texts
    // as UTF-8, without which the chunk is not read.
    PackageBuilder& Languages(const Bytes& block);

    // Zero bytes after the last chunk's content, inside that chunk, so that the
    // whole file is a multiple of `multiple` bytes long (as saverpack writes it).
    PackageBuilder& AlignEnd(uint32_t multiple);

    package::InstHeader& header() { return header_; }
    std::vector<ChunkSpec>& chunks() { return chunks_; }

    Bytes Build() const;

    // Offsets in the last Build(): of the header chunk and of each chunk, in order.
    uint32_t headerOffset() const { return headerOffset_; }
    const std::vector<uint32_t>& chunkOffsets() const { return chunkOffsets_; }

private:
    Bytes stub_;
    package::InstHeader header_;
    size_t headerExtra_ = 0;
    uint32_t alignment_ = 1;
    std::vector<ChunkSpec> chunks_;
    mutable uint32_t headerOffset_ = 0;
    mutable std::vector<uint32_t> chunkOffsets_;
};

// Recomputes the trailer's header CRC and stub check of a built package after a
// test changed bytes that they cover, so that only the intended check fails.
void ResealPackage(Bytes& package);

}  // namespace testsupport
