#include "package_writer.h"

#include "packed_dib.h"
#include "pe_checksum.h"

#include "package/crc32.h"
#include "package/package_format.h"
#include "package/pe_image.h"
#include "package/stub_check.h"
#include "package/trailer.h"

#include <stdint.h>
#include <string.h>
#include <zlib.h>

namespace saverpack {

using namespace package;

std::string CheckFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return "the saver's file name \"" + name + "\" is not a file name";
    if (name.size() > kMaxFileName)
        return "the saver's file name is " + std::to_string(name.size()) + " characters long; at most " +
               std::to_string(kMaxFileName) + " fit";
    for (unsigned char c : name) {
        // The installer joins the name to the Windows directory; anything that
        // would change the directory or that Windows cannot store must not pass.
        if (c < 32 || strchr("\\/:*?\"<>|", c) != nullptr)
            return "the saver's file name \"" + name + "\" must be a plain file name (no directory, drive or any of \\/:*?\"<>|)";
    }
    return std::string();
}

std::string CheckContents(const PackageContents& contents)
{
    if (contents.title.size() > kMaxTitle)
        return "the title is " + std::to_string(contents.title.size()) + " bytes long; at most " +
               std::to_string(kMaxTitle) + " fit";
    if (contents.description.size() > kMaxDescription)
        return "the description is " + std::to_string(contents.description.size()) + " bytes long; at most " +
               std::to_string(kMaxDescription) + " fit";
    std::string name = CheckFileName(contents.saverName);
    if (!name.empty())
        return name;
    if (contents.timeout > kMaxTimeout)
        return "the timeout must be 0 to " + std::to_string(kMaxTimeout) + " minutes";
    if (contents.colour > 0x00FFFFFFu)
        return "the colour has bits above 24";
    package::PeImageFields fields;
    if (package::FindPeImageFields(package::BoundedReader::OverMemory(contents.stub.data(), uint32_t(contents.stub.size())), &fields) &&
        (fields.certificateOffset != 0 || fields.certificateSize != 0))
        return "the stub is signed; sign the installer, not the stub";
    if (contents.level < 0 || contents.level > 9)
        return "the compression level must be 0 to 9";
    // The installer inflates the document and logo into memory blocks and takes
    // a stream that inflates to nothing for a damaged one.
    if (contents.saver.empty())
        return "the saver is empty";
    if (contents.hasDocument && contents.document.empty())
        return "the document is empty; the installer would take the package for damaged";
    if (contents.hasLogo) {
        DibFacts facts;
        std::string problem;
        if (!CheckPackedDib(contents.logo.data(), contents.logo.size(), &facts, &problem))
            return "the logo cannot be drawn: " + problem;
        if (contents.logoAlpha && facts.bitCount != 32)
            return "the logo has " + std::to_string(facts.bitCount) + " bits per pixel; only 32 carry alpha";
    }
    return std::string();
}

namespace {

bool Deflate(const Bytes& data, int level, Bytes* out)
{
    uLong bound = compressBound(uLong(data.size()));
    out->resize(bound);
    uLongf size = bound;
    if (compress2(out->data(), &size, data.data(), uLong(data.size()), level) != Z_OK)
        return false;
    out->resize(size);
    return true;
}

template <typename Record>
void Append(Bytes* out, const Record& record)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    out->insert(out->end(), bytes, bytes + sizeof record);
}

void CopyText(char* field, const std::string& text)
{
    memcpy(field, text.data(), text.size());  // the field is zeroed and longer than the text
}

// Signing recomputes the CheckSum, and so does removing the signature again;
// written right here, the unsigned-again installer is this file byte for byte.
void WritePeChecksum(Bytes* installer)
{
    package::PeImageFields fields;
    if (!package::FindPeImageFields(package::BoundedReader::OverMemory(installer->data(), uint32_t(installer->size())), &fields))
        return;
    PeChecksum checksum(fields.checkSumOffset);
    checksum.Add(installer->data(), installer->size());
    uint32_t value = checksum.Value();
    for (int i = 0; i < 4; ++i)
        (*installer)[fields.checkSumOffset + i] = uint8_t(value >> (8 * i));
}

}  // namespace

bool BuildPackage(const PackageContents& contents, Bytes* out, PackageLayout* layout, std::string* error)
{
    *error = CheckContents(contents);
    if (!error->empty())
        return false;

    Bytes saver, document, logo;
    if (!Deflate(contents.saver, contents.level, &saver) || (contents.hasDocument && !Deflate(contents.document, contents.level, &document)) ||
        (contents.hasLogo && !Deflate(contents.logo, contents.level, &logo))) {
        *error = "compression failed";
        return false;
    }
    uint64_t total = uint64_t(contents.stub.size()) + kHeaderRecordSize + kSaverRecordSize + saver.size() + kTrailerSize;
    if (contents.hasDocument)
        total += kDocumentRecordSize + document.size();
    if (contents.hasLogo)
        total += kLogoRecordSize + logo.size();
    // Signing appends its table at an 8-byte boundary; an installer that already
    // ends on one gets no padding, so removing the signature gives it back byte
    // for byte. The zeros go after the last stream, inside its chunk, where no
    // reader looks.
    uint32_t padding = uint32_t((8 - total % 8) % 8);
    total += padding;
    Bytes* last = contents.hasLogo ? &logo : contents.hasDocument ? &document : &saver;
    uint32_t lastStream = uint32_t(last->size());
    last->resize(last->size() + padding, 0);
    // The installer seeks with signed 32-bit offsets.
    if (total > uint64_t(INT32_MAX)) {
        *error = "the installer would be " + std::to_string(total) + " bytes; the stub can read at most 2 GiB";
        return false;
    }

    *layout = PackageLayout();
    out->clear();
    out->reserve(size_t(total));
    out->insert(out->end(), contents.stub.begin(), contents.stub.end());

    InstHeader header;
    memset(&header, 0, sizeof header);
    header.dwTag = kTagHeader;
    header.dwLength = kHeaderRecordSize;
    header.crColour = contents.colour;
    header.nTimeout = contents.timeout;
    memcpy(header.abTextMarker, kUtf8TextMarker, sizeof header.abTextMarker);
    CopyText(header.szTitle, contents.title);
    CopyText(header.szDescription, contents.description);
    layout->headerOffset = uint32_t(out->size());
    Append(out, header);

    InstScr saverRecord;
    memset(&saverRecord, 0, sizeof saverRecord);
    saverRecord.dwTag = kTagSaver;
    saverRecord.dwLength = uint32_t(kSaverRecordSize + saver.size());
    CopyText(saverRecord.szFileName, contents.saverName);
    layout->saverOffset = uint32_t(out->size());
    layout->saverCompressed = last == &saver ? lastStream : uint32_t(saver.size());
    Append(out, saverRecord);
    out->insert(out->end(), saver.begin(), saver.end());

    if (contents.hasDocument) {
        InstDoc record;
        memset(&record, 0, sizeof record);
        record.dwTag = kTagDocument;
        record.dwLength = uint32_t(kDocumentRecordSize + document.size());
        record.dwSize = uint32_t(contents.document.size());
        layout->documentOffset = uint32_t(out->size());
        layout->documentCompressed = last == &document ? lastStream : uint32_t(document.size());
        Append(out, record);
        out->insert(out->end(), document.begin(), document.end());
    }
    if (contents.hasLogo) {
        InstLogo record;
        memset(&record, 0, sizeof record);
        record.dwTag = kTagLogo;
        record.dwLength = uint32_t(kLogoRecordSize + logo.size());
        record.dwFormat = contents.logoAlpha ? kLogoAlphaMarker : 0;
        layout->logoOffset = uint32_t(out->size());
        layout->logoCompressed = lastStream;
        Append(out, record);
        out->insert(out->end(), logo.begin(), logo.end());
    }

    InstEnd trailer = MakeTrailer(uint32_t(total), layout->headerOffset, header,
                                  ComputeStubCheck(contents.stub.data(), uint32_t(contents.stub.size())));
    layout->trailerOffset = uint32_t(out->size());
    Append(out, trailer);
    WritePeChecksum(out);
    return true;
}

}  // namespace saverpack
