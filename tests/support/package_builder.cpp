#include "support/package_builder.h"

#include "package/crc32.h"
#include "package/package_end.h"
#include "package/stub_check.h"
#include "package/trailer.h"

#include <stdexcept>
#include <string.h>
#include <zlib.h>

namespace testsupport {

using namespace package;

Bytes Deflate(const Bytes& data, int level)
{
    uLongf size = compressBound(uLong(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

Bytes RandomBytes(size_t count, uint32_t seed)
{
    Bytes out(count);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x >> 24);
    }
    return out;
}

Bytes CompressibleBytes(size_t count)
{
    Bytes out;
    out.reserve(count + 64);
    char line[64];
    for (unsigned i = 0; out.size() < count; ++i) {
        int n = snprintf(line, sizeof line, "screen saver line %u\r\n", i);
        out.insert(out.end(), line, line + n);
    }
    out.resize(count);
    return out;
}

Bytes StoredZlib(const Bytes& data)
{
    Bytes out = {0x78, 0x01};  // deflate, 32 KB window, no dictionary; 0x7801 % 31 == 0
    size_t done = 0;
    do {
        size_t n = data.size() - done < 65535 ? data.size() - done : 65535;
        bool last = done + n == data.size();
        out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored), byte-aligned
        out.push_back(uint8_t(n));
        out.push_back(uint8_t(n >> 8));
        out.push_back(uint8_t(~n));
        out.push_back(uint8_t(~n >> 8));
        out.insert(out.end(), data.begin() + long(done), data.begin() + long(done + n));
        done += n;
    } while (done < data.size());
    uint32_t check = uint32_t(adler32(1L, data.data(), uInt(data.size())));
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(check >> shift));  // Adler-32 is big-endian
    return out;
}

void PutU32(Bytes& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = uint8_t(value >> (8 * i));
}

uint32_t GetU32(const Bytes& bytes, size_t offset)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(bytes.at(offset + i)) << (8 * i);
    return v;
}

namespace {

template <typename Record>
Bytes RecordChunk(Record record, uint32_t tag, const Bytes& payload)
{
    record.dwTag = tag;
    record.dwLength = uint32_t(sizeof(Record) + payload.size());
    Bytes out(sizeof(Record));
    memcpy(out.data(), &record, sizeof(Record));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

void CopyField(char* field, size_t width, const std::string& text)
{
    memset(field, 0, width);
    memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

}  // namespace

PackageBuilder::PackageBuilder() : stub_(RandomBytes(4096, 7))
{
    memset(&header_, 0, sizeof header_);
    header_.dwTag = kTagHeader;
    header_.dwLength = kHeaderRecordSize;
    header_.crColour = 0x00C06020;
    header_.nTimeout = 10;
    CopyField(header_.szTitle, sizeof header_.szTitle, "Test Saver");
    CopyField(header_.szDescription, sizeof header_.szDescription, "A saver for the tests");
}

PackageBuilder& PackageBuilder::Stub(Bytes stub)
{
    stub_ = std::move(stub);
    return *this;
}

PackageBuilder& PackageBuilder::Title(const std::string& title)
{
    CopyField(header_.szTitle, sizeof header_.szTitle, title);
    return *this;
}

PackageBuilder& PackageBuilder::Description(const std::string& description)
{
    CopyField(header_.szDescription, sizeof header_.szDescription, description);
    return *this;
}

PackageBuilder& PackageBuilder::Colour(uint32_t colourref)
{
    header_.crColour = colourref;
    return *this;
}

PackageBuilder& PackageBuilder::Timeout(uint32_t minutes)
{
    header_.nTimeout = minutes;
    return *this;
}

PackageBuilder& PackageBuilder::HeaderExtra(size_t count)
{
    headerExtra_ = count;
    header_.dwLength = uint32_t(kHeaderRecordSize + count);
    return *this;
}

PackageBuilder& PackageBuilder::Saver(const Bytes& program, const std::string& name, int level)
{
    InstScr record;
    memset(&record, 0, sizeof record);
    CopyField(record.szFileName, sizeof record.szFileName, name);
    chunks_.push_back({kTagSaver, RecordChunk(record, kTagSaver, Deflate(program, level))});
    return *this;
}

PackageBuilder& PackageBuilder::SaverStream(const Bytes& stream, const std::string& name)
{
    InstScr record;
    memset(&record, 0, sizeof record);
    CopyField(record.szFileName, sizeof record.szFileName, name);
    chunks_.push_back({kTagSaver, RecordChunk(record, kTagSaver, stream)});
    return *this;
}

PackageBuilder& PackageBuilder::Document(const Bytes& content, int64_t dwSize)
{
    InstDoc record;
    memset(&record, 0, sizeof record);
    record.dwSize = dwSize < 0 ? uint32_t(content.size()) : uint32_t(dwSize);
    chunks_.push_back({kTagDocument, RecordChunk(record, kTagDocument, Deflate(content))});
    return *this;
}

PackageBuilder& PackageBuilder::Logo(const Bytes& dib, uint32_t format)
{
    InstLogo record;
    memset(&record, 0, sizeof record);
    record.dwFormat = format;
    chunks_.push_back({kTagLogo, RecordChunk(record, kTagLogo, Deflate(dib))});
    return *this;
}

PackageBuilder& PackageBuilder::Raw(uint32_t tag, size_t recordSize, const Bytes& payload)
{
    Bytes chunk(recordSize < 8 ? 8 : recordSize, 0);
    chunk.insert(chunk.end(), payload.begin(), payload.end());
    PutU32(chunk, 0, tag);
    PutU32(chunk, 4, uint32_t(chunk.size()));
    chunks_.push_back({tag, chunk});
    return *this;
}

PackageBuilder& PackageBuilder::Languages(const Bytes& block)
{
    memcpy(header_.abTextMarker, kUtf8TextMarker, sizeof kUtf8TextMarker);
    return Raw(kTagLanguages, 8, Deflate(block));
}

Bytes TranslationsBlock(const std::vector<Translation>& translations)
{
    auto u16 = [](Bytes& out, size_t value) {
        out.push_back(uint8_t(value));
        out.push_back(uint8_t(value >> 8));
    };
    Bytes out;
    u16(out, translations.size());
    for (const Translation& t : translations) {
        Bytes record = {uint8_t(t.tag.size())};
        record.insert(record.end(), t.tag.begin(), t.tag.end());
        record.push_back(t.flags);
        record.push_back(uint8_t(t.langids.size()));
        for (uint16_t id : t.langids)
            u16(record, id);
        record.insert(record.end(), t.plurals.begin(), t.plurals.end());
        u16(record, t.texts.size());
        for (const Translation::Text& text : t.texts) {
            record.push_back(text.id);
            record.push_back(text.form);
            u16(record, text.utf8.size());
            record.insert(record.end(), text.utf8.begin(), text.utf8.end());
        }
        Bytes length(4);
        PutU32(length, 0, uint32_t(record.size()));
        out.insert(out.end(), length.begin(), length.end());
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

PackageBuilder& PackageBuilder::AlignEnd(uint32_t multiple)
{
    alignment_ = multiple;
    return *this;
}

Bytes PackageBuilder::Build() const
{
    Bytes out = stub_;
    headerOffset_ = uint32_t(out.size());
    const uint8_t* h = reinterpret_cast<const uint8_t*>(&header_);
    out.insert(out.end(), h, h + sizeof header_);
    out.resize(out.size() + headerExtra_, 0xA5);
    chunkOffsets_.clear();
    for (const auto& chunk : chunks_) {
        chunkOffsets_.push_back(uint32_t(out.size()));
        out.insert(out.end(), chunk.bytes.begin(), chunk.bytes.end());
    }
    size_t padding = (alignment_ - (out.size() + kTrailerSize) % alignment_) % alignment_;
    if (padding != 0) {
        if (chunks_.empty())
            throw std::runtime_error("AlignEnd needs a chunk to pad");
        size_t last = chunkOffsets_.back();
        out.resize(out.size() + padding, 0);
        PutU32(out, last + 4, uint32_t(out.size() - last));
    }
    InstEnd trailer = MakeTrailer(uint32_t(out.size() + kTrailerSize), headerOffset_, header_,
                                  ComputeStubCheck(stub_.data(), uint32_t(stub_.size())));
    const uint8_t* t = reinterpret_cast<const uint8_t*>(&trailer);
    out.insert(out.end(), t, t + sizeof trailer);
    return out;
}

void ResealPackage(Bytes& built)
{
    PackageEnd where;
    if (FindPackageEnd(BoundedReader::OverMemory(built.data(), uint32_t(built.size())), &where) !=
        PackageEndResult::kFound)
        throw std::runtime_error("ResealPackage: no trailer");
    size_t trailer = where.trailerOffset;
    uint32_t distance = GetU32(built, trailer + 12) ^ kHeaderDistanceMask;
    size_t header = trailer + kTrailerSize - distance;
    PutU32(built, trailer + 16, package::crc32(0, built.data() + header, kHeaderRecordSize) ^ kHeaderCrcMask);
    PutU32(built, trailer + 20, ComputeStubCheck(built.data(), uint32_t(header)));
}

}  // namespace testsupport
