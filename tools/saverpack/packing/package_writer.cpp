#include "packing/package_writer.h"

#include "platform/file_util.h"
#include "images/packed_dib.h"
#include "actions/saver_name.h"
#include "pe/pe_checksum.h"

#include "package/crc32.h"
#include "package/package_format.h"
#include "package/pe_image.h"
#include "package/scoped_handles.h"
#include "package/stub_check.h"
#include "package/trailer.h"

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <utility>
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
    // The installer writes into the Windows directory as administrator: a name
    // such as explorer.exe would replace a Windows program.
    if (!actions::IsScreenSaverName(name.c_str())) {
        std::string extension = name.size() >= 4 ? name.substr(name.size() - 4) : std::string();
        for (char& c : extension)
            c = char(tolower(static_cast<unsigned char>(c)));
        return "the saver's file name \"" + name + "\" " +
               (extension == ".scr" ? "names a device on Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9)"
                                    : "does not end in .scr: Windows runs only .scr files as screen savers");
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
    if (contents.hasApp) {
        for (const auto& text : {std::make_pair("--publisher", &contents.app.publisher),
                                 std::make_pair("--version", &contents.app.version),
                                 std::make_pair("--url", &contents.app.url)}) {
            std::string problem = text.second->empty() ? std::string() : AppTextProblem(text.first, *text.second);
            if (!problem.empty())
                return problem;
        }
        if (UninstallKeyNameOf(contents.saverName).empty())
            return "the saver's file name is too long to name an Apps & features entry (\"ScreenSaver_\" and the "
                   "name make at most 255 characters); give a shorter --name, or --no-uninstall";
    }
    if (contents.timeout > kMaxTimeout)
        return "the timeout must be 0 to " + std::to_string(kMaxTimeout) + " minutes";
    if (contents.colour > 0x00FFFFFFu)
        return "the colour has bits above 24";
    package::PeImageFields fields;
    const auto stub = package::BoundedReader::OverMemory(contents.stub.data(), uint32_t(contents.stub.size()));
    if (package::FindPeImageFields(stub, &fields) && (fields.certificateOffset != 0 || fields.certificateSize != 0))
        return "the stub is signed; sign the installer, not the stub";
    if (contents.level < 0 || contents.level > 9)
        return "the compression level must be 0 to 9";
    // The installer inflates the document and logo into memory blocks and takes
    // a stream that inflates to nothing for a damaged one.
    if (contents.saverPath.empty() && contents.saver.empty())
        return "the saver is empty";
    if (contents.hasDocument && contents.document.empty())
        return "the document is empty; the installer would take the package for damaged";
    if (contents.languages.size() > kMaxLanguagesBytes)
        return "the translations take " + std::to_string(contents.languages.size()) +
               " bytes; the installer reads at most " + std::to_string(kMaxLanguagesBytes);
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

// The saver's pieces: what is read, deflated and written at a time.
constexpr size_t kPieceBytes = 64 * 1024;

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

void CopyText(char* field, const std::string& text)
{
    memcpy(field, text.data(), text.size());  // the field is zeroed and longer than the text
}

// Appends to the installer file and knows where its end is. The installer seeks
// with signed 32-bit offsets, so a write that would carry the file past 2 GiB is
// refused and remembered as such.
class InstallerFile {
public:
    explicit InstallerFile(HFILE file) : file_(file) {}

    uint32_t size() const { return size_; }
    bool tooLarge() const { return tooLarge_; }

    bool Append(const void* bytes, size_t count)
    {
        if (count > size_t(INT32_MAX) - size_) {
            tooLarge_ = true;
            return false;
        }
        if (count != 0 && _lwrite(file_, static_cast<LPCCH>(bytes), UINT(count)) != UINT(count))
            return false;
        size_ += uint32_t(count);
        return true;
    }
    template <typename Record>
    bool AppendRecord(const Record& record)
    {
        return Append(&record, sizeof record);
    }
    // Overwrites bytes already written, and comes back to the end.
    bool WriteAt(uint32_t offset, const void* bytes, uint32_t count)
    {
        return _llseek(file_, LONG(offset), FILE_BEGIN) == LONG(offset) &&
               _lwrite(file_, static_cast<LPCCH>(bytes), UINT(count)) == UINT(count) &&
               _llseek(file_, 0, FILE_END) == LONG(size_);
    }

private:
    HFILE file_;
    uint32_t size_ = 0;
    bool tooLarge_ = false;
};

// The saver in pieces of kPieceBytes, from its file or from memory alike, so
// both give the same deflate output at every level.
class SaverSource {
public:
    explicit SaverSource(const PackageContents& contents)
        : contents_(contents),
          file_(contents.saverPath.empty() ? HFILE_ERROR : OpenFileUtf8(contents.saverPath, OF_READ))
    {
    }

    bool opened() const { return contents_.saverPath.empty() || file_.valid(); }

    // Up to kPieceBytes into `buffer`; 0 at the end. False when a read fails.
    bool Read(uint8_t* buffer, size_t* got)
    {
        if (contents_.saverPath.empty()) {
            size_t left = contents_.saver.size() - offset_;
            *got = left < kPieceBytes ? left : kPieceBytes;
            memcpy(buffer, contents_.saver.data() + offset_, *got);
            offset_ += *got;
            return true;
        }
        // _lread returns less than asked only at the end of the file.
        UINT read = _lread(file_.get(), buffer, UINT(kPieceBytes));
        if (read == UINT(HFILE_ERROR))
            return false;
        *got = read;
        return true;
    }

private:
    const PackageContents& contents_;
    package::ScopedFile file_;
    size_t offset_ = 0;
};

class ScopedDeflater {
public:
    ScopedDeflater() = default;
    ~ScopedDeflater()
    {
        if (started_)
            deflateEnd(&stream_);
    }
    ScopedDeflater(const ScopedDeflater&) = delete;
    ScopedDeflater& operator=(const ScopedDeflater&) = delete;

    bool Init(int level) { return started_ = deflateInit(&stream_, level) == Z_OK; }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_ = {};
    bool started_ = false;
};

std::string WriteFailure(const InstallerFile& out, const std::string& name)
{
    return out.tooLarge() ? "the installer would be more than " + std::to_string(INT32_MAX) +
                                " bytes; the stub can read at most 2 GiB"
                          : "cannot write " + name;
}

// Deflates the saver into the installer, a piece at a time; *read gets the
// saver's size. Empty on success, else why not.
std::string DeflateSaver(const PackageContents& contents, const std::string& name, InstallerFile* out, uint64_t* read)
{
    const std::string saverName = contents.saverPath.empty() ? std::string("the saver") : contents.saverPath;
    SaverSource source(contents);
    if (!source.opened())
        return "cannot read " + saverName + ": cannot open it";
    ScopedDeflater deflater;
    if (!deflater.Init(contents.level))
        return "compression failed";
    z_stream& stream = deflater.stream();
    Bytes input(kPieceBytes), output(kPieceBytes);
    *read = 0;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        size_t got = 0;
        if (!source.Read(input.data(), &got))
            return "cannot read " + saverName + ": read error";
        *read += got;
        // The extraction counts the saver's bytes in 32 bits and the stub seeks
        // with signed ones.
        if (*read > uint64_t(INT32_MAX))
            return "cannot read " + saverName + ": larger than 2 GiB";
        flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = input.data();
        stream.avail_in = uInt(got);
        do {
            stream.next_out = output.data();
            stream.avail_out = uInt(output.size());
            if (deflate(&stream, flush) == Z_STREAM_ERROR)
                return "compression failed";
            if (!out->Append(output.data(), output.size() - stream.avail_out))
                return WriteFailure(*out, name);
        } while (stream.avail_out == 0);
    }
    if (*read == 0)
        return saverName == "the saver" ? "the saver is empty" : "the saver " + saverName + " is empty";
    return std::string();
}

// Signing recomputes the CheckSum, and so does removing the signature again;
// written right here, the unsigned-again installer is this file byte for byte.
// Summed over the finished file in pieces, then patched in.
bool WritePeChecksum(HFILE file, InstallerFile* out)
{
    package::PeImageFields fields;
    if (!package::FindPeImageFields(package::BoundedReader::OverFile(file, out->size()), &fields))
        return true;
    if (_llseek(file, 0, FILE_BEGIN) != 0)
        return false;
    PeChecksum checksum(fields.checkSumOffset);
    Bytes piece(kPieceBytes);
    for (uint32_t done = 0; done < out->size();) {
        UINT want = UINT(out->size() - done < kPieceBytes ? out->size() - done : kPieceBytes);
        if (_lread(file, piece.data(), want) != want)
            return false;
        checksum.Add(piece.data(), want);
        done += want;
    }
    uint8_t value[4];
    for (int i = 0; i < 4; ++i)
        value[i] = uint8_t(checksum.Value() >> (8 * i));
    return out->WriteAt(fields.checkSumOffset, value, sizeof value);
}

}  // namespace

bool WritePackage(const PackageContents& contents, HFILE file, const std::string& name, PackageLayout* layout,
                  std::string* error)
{
    *error = CheckContents(contents);
    if (!error->empty())
        return false;
    Bytes document, logo, languages;
    if ((contents.hasDocument && !Deflate(contents.document, contents.level, &document)) ||
        (contents.hasLogo && !Deflate(contents.logo, contents.level, &logo)) ||
        (!contents.languages.empty() && !Deflate(contents.languages, contents.level, &languages))) {
        *error = "compression failed";
        return false;
    }
    *layout = PackageLayout();
    InstallerFile out(file);
    auto failed = [&]() {
        *error = WriteFailure(out, name);
        return false;
    };

    InstHeader header;
    memset(&header, 0, sizeof header);
    header.dwTag = kTagHeader;
    header.dwLength = kHeaderRecordSize;
    header.crColour = contents.colour;
    header.nTimeout = contents.timeout;
    memcpy(header.abTextMarker, kUtf8TextMarker, sizeof header.abTextMarker);
    CopyText(header.szTitle, contents.title);
    CopyText(header.szDescription, contents.description);
    if (!out.Append(contents.stub.data(), contents.stub.size()))
        return failed();
    layout->headerOffset = out.size();
    if (!out.AppendRecord(header))
        return failed();
    if (contents.hasApp && !out.AppendRecord(MakeAppRecord(contents.app)))
        return failed();
    if (!contents.languages.empty()) {
        // No record: its tag and length, then the stream, whose Adler-32 guards the rest.
        const uint32_t frame[2] = {kTagLanguages, uint32_t(2 * sizeof(uint32_t) + languages.size())};
        layout->languagesOffset = out.size();
        layout->languagesCompressed = uint32_t(languages.size());
        if (!out.Append(frame, sizeof frame) || !out.Append(languages.data(), languages.size()))
            return failed();
    }

    // The saver's record goes first with a length that is only known once its
    // stream is written; it is written again then.
    InstScr saverRecord;
    memset(&saverRecord, 0, sizeof saverRecord);
    saverRecord.dwTag = kTagSaver;
    saverRecord.dwLength = kSaverRecordSize;
    CopyText(saverRecord.szFileName, contents.saverName);
    layout->saverOffset = out.size();
    if (!out.AppendRecord(saverRecord))
        return failed();
    *error = DeflateSaver(contents, name, &out, &layout->saverSize);
    if (!error->empty())
        return false;
    if (out.size() < layout->saverOffset + kSaverRecordSize + 2)  // a deflate stream is never shorter
        return failed();
    layout->saverCompressed = out.size() - layout->saverOffset - kSaverRecordSize;

    uint64_t total = uint64_t(out.size()) + kTrailerSize;
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
    if (total > uint64_t(INT32_MAX)) {
        *error = "the installer would be " + std::to_string(total) + " bytes; the stub can read at most 2 GiB";
        return false;
    }
    Bytes* last = contents.hasLogo ? &logo : contents.hasDocument ? &document : nullptr;
    const uint8_t zeros[8] = {};
    if (last != nullptr)
        last->resize(last->size() + padding, 0);
    else if (!out.Append(zeros, padding))
        return failed();
    saverRecord.dwLength = out.size() - layout->saverOffset;
    if (!out.WriteAt(layout->saverOffset, &saverRecord, sizeof saverRecord))
        return failed();

    if (contents.hasDocument) {
        InstDoc record;
        memset(&record, 0, sizeof record);
        record.dwTag = kTagDocument;
        record.dwLength = uint32_t(kDocumentRecordSize + document.size());
        record.dwSize = uint32_t(contents.document.size());
        layout->documentOffset = out.size();
        layout->documentCompressed = uint32_t(document.size() - (last == &document ? padding : 0));
        if (!out.AppendRecord(record) || !out.Append(document.data(), document.size()))
            return failed();
    }
    if (contents.hasLogo) {
        InstLogo record;
        memset(&record, 0, sizeof record);
        record.dwTag = kTagLogo;
        record.dwLength = uint32_t(kLogoRecordSize + logo.size());
        record.dwFormat = contents.logoAlpha ? kLogoAlphaMarker : 0;
        layout->logoOffset = out.size();
        layout->logoCompressed = uint32_t(logo.size() - padding);
        if (!out.AppendRecord(record) || !out.Append(logo.data(), logo.size()))
            return failed();
    }

    InstEnd trailer = MakeTrailer(uint32_t(total), layout->headerOffset, header,
                                  ComputeStubCheck(contents.stub.data(), uint32_t(contents.stub.size())));
    layout->trailerOffset = out.size();
    if (!out.AppendRecord(trailer) || out.size() != total || !WritePeChecksum(file, &out))
        return failed();
    layout->installerSize = out.size();
    return true;
}

}  // namespace saverpack
