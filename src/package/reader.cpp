#include "package/reader.h"

#include "package/crc32.h"
#include "package/inflate_stream.h"
#include "package/installer_state.h"
#include "package/languages.h"
#include "package/package_end.h"
#include "package/package_format.h"
#include "package/scoped_handles.h"
#include "package/stub_check.h"

namespace package {

void TerminateRecordStrings()
{
    instheader.szTitle[sizeof instheader.szTitle - 1] = '\0';
    instheader.szDescription[sizeof instheader.szDescription - 1] = '\0';
    instscr.szFileName[sizeof instscr.szFileName - 1] = '\0';
}

}  // namespace package

namespace {

using namespace package;

bool ReadExactly(HFILE file, void* buffer, UINT count)
{
    return _lread(file, buffer, count) == count;
}

bool SeekTo(HFILE file, DWORD position)
{
    return position <= DWORD(INT32_MAX) && _llseek(file, LONG(position), FILE_BEGIN) == LONG(position);
}

// Reads a chunk's record at the current position and inflates the stream that
// follows it into a new block of at most `limit` bytes, replacing (and freeing)
// any block of that kind.
bool LoadInflatedChunk(HFILE file, void* record, DWORD recordSize, DWORD chunkLength, HGLOBAL* slot,
                       DWORD limit = 0xFFFFFFFFu)
{
    if (chunkLength < recordSize || !ReadExactly(file, record, recordSize))
        return false;
    DWORD compressed = chunkLength - recordSize;
    HGLOBAL block = UncompressDataFromDisk(file, &compressed, limit);
    if (block == nullptr)
        return false;
    if (*slot != nullptr)
        GlobalFree(*slot);
    *slot = block;
    return true;
}

// Visits the chunks from `pos` up to the first "iend" or zero length. Every step
// moves forward by a positive length that stays inside the package, so the walk
// ends and never revisits a position.
bool WalkChunks(HFILE file, DWORD pos, const BoundedReader& package)
{
    for (;;) {
        // A chunk's frame must lie inside the package too: what follows it in a
        // signed installer is the signature, not chunks.
        uint32_t frame[2];
        if (!package.ReadAt(pos, frame, sizeof frame) || !SeekTo(file, pos))
            return false;
        uint32_t tag = frame[0];
        DWORD length = frame[1];
        // A saver, document, logo or app chunk of length 0 holds not even its
        // record: damage, not the end of the chunks.
        if (length == 0)
            return tag != kTagSaver && tag != kTagDocument && tag != kTagLogo && tag != kTagApp;
        // The walk ends at "iend" whatever its length says; a writer need not fill it in.
        if (tag == kTagEnd)
            return true;
        if (length > package.size() - pos)
            return false;  // past the end of the package, or wrapping around 2^32

        switch (tag) {
        case kTagDocument:
            if (!LoadInflatedChunk(file, &instdoc, kDocumentRecordSize, length, &doc))
                return false;
            break;
        case kTagLogo:
            if (!LoadInflatedChunk(file, &instlogo, kLogoRecordSize, length, &image))
                return false;
            break;
        case kTagLanguages:
            // Texts of a header without the UTF-8 marker are ANSI, which no
            // translation is written for: such a package keeps its English.
            if (HasUtf8Texts(instheader) &&
                !LoadInflatedChunk(file, frame, sizeof frame, length, &languages, kMaxLanguagesBytes))
                return false;
            break;
        case kTagSaver:
            if (length < kSaverRecordSize)
                return false;
            scrpos = pos;
            if (!ReadExactly(file, &instscr, kSaverRecordSize))
                return false;
            break;
        case kTagApp:
            if (length < kAppRecordSize || !ReadExactly(file, &instapp, kAppRecordSize))
                return false;
            break;
        default:
            break;
        }
        pos += length;
    }
}

int LoadFromOpenFile(HFILE file)
{
    LONG end = _llseek(file, 0, FILE_END);
    if (end == HFILE_ERROR)
        return 0;
    BoundedReader bytes = BoundedReader::OverFile(file, DWORD(end));

    // The trailer ends the package, which ends the file unless a signature follows.
    PackageEnd where;
    if (FindPackageEnd(bytes, &where) != PackageEndResult::kFound)
        return 0;
    if (!bytes.ReadAt(where.trailerOffset, &instend, kTrailerSize) || instend.dwTag != kTagEnd)
        return 0;
    DWORD packageEnd = where.trailerOffset + kTrailerSize;
    uint32_t expectedCrc = instend.dwHeaderCrc ^ kHeaderCrcMask;
    DWORD distance = instend.dwHeaderDistance ^ kHeaderDistanceMask;

    // The distance counts from the header to the end of the trailer: it must
    // leave room for a header record and the trailer, and not reach before the file.
    if (distance < kHeaderRecordSize + kTrailerSize || distance > packageEnd)
        return 0;
    DWORD headerPos = packageEnd - distance;
    if (!bytes.ReadAt(headerPos, &instheader, kHeaderRecordSize))
        return 0;
    if (instheader.dwTag != kTagHeader)
        return 0;
    if (crc32(0, &instheader, kHeaderRecordSize) != expectedCrc)
        return 0;
    TerminateRecordStrings();
    if (instheader.dwLength < kHeaderRecordSize || instheader.dwLength > packageEnd - headerPos)
        return 0;

    if (!WalkChunks(file, headerPos + instheader.dwLength, bytes.Prefix(packageEnd)))
        return 0;
    TerminateRecordStrings();

    uint32_t stubCheck = 0;
    if (!ComputeStubCheck(bytes.Prefix(headerPos), &stubCheck) || stubCheck != instend.dwStubCheck)
        return 0;
    // The translations are checked as the language is chosen: a damaged chunk is
    // a damaged installer, not a reason to show half a translation.
    return SelectLanguage(GetUserDefaultUILanguage()) ? 1 : 0;
}

}  // namespace

int LoadInstaller(HWND, LPCWSTR path)
{
    ScopedFile file(OpenFileW(path, OF_READ));
    if (!file.valid())
        return kInstallerUnreadable;
    return LoadFromOpenFile(file.get());
}
