#include "packing/loaded_package.h"

#include "platform/file_util.h"

#include "compat/platform.h"
#include "package/inflate_stream.h"
#include "package/installer_state.h"
#include "package/reader.h"
#include "package/scoped_handles.h"

#include <stdio.h>

namespace saverpack {

namespace {

// LoadInstaller leaves scrpos alone when a package has no saver chunk, and keeps
// blocks of an earlier run unless it replaces them.
void ResetReaderState()
{
    ClearInstallerRecords();
    ReleaseInstallerBlocks();
    scrpos = 0;
}

}  // namespace

LoadedPackage::LoadedPackage(const std::string& path)
{
    ResetReaderState();
    valid_ = LoadInstaller(nullptr, WidePath(path).c_str()) == 1;
    if (valid_) {
        header_ = instheader;
        trailer_ = instend;
        saver_ = instscr;
        document_ = instdoc;
        app_ = instapp;
        saverOffset_ = scrpos;
        if (doc != nullptr) {
            hasDocument_ = true;
            documentInflated_ = uint32_t(GlobalSize(doc));
        }
        if (image != nullptr) {
            package::ScopedGlobalLock lock(image);
            if (lock.data() != nullptr) {
                hasLogo_ = true;
                logo_.assign(static_cast<const char*>(lock.data()), GlobalSize(image));
                logoAlpha_ = instlogo.dwFormat == package::kLogoAlphaMarker;
            }
        }
    }
    ResetReaderState();
}

bool InflateSaverToNowhere(const std::string& path, uint32_t offset, uint32_t* size, std::string* error)
{
    std::string scratch;
    if (!MakeScratchFile(&scratch, error))
        return false;
    bool inflated = false;
    {
        package::ScopedFile source(OpenFileUtf8(path, OF_READ));
        package::ScopedFile target(OpenFileUtf8(scratch, OF_CREATE));
        package::InstScr record;
        if (!source.valid() || !target.valid()) {
            *error = "cannot open " + (source.valid() ? scratch : path);
        } else if (offset > uint32_t(INT32_MAX) || _llseek(source.get(), LONG(offset), FILE_BEGIN) != LONG(offset) ||
                   _lread(source.get(), &record, package::kSaverRecordSize) != package::kSaverRecordSize ||
                   record.dwTag != package::kTagSaver || record.dwLength < package::kSaverRecordSize) {
            *error = "no saver record at offset " + std::to_string(offset);
        } else {
            DWORD length = record.dwLength - package::kSaverRecordSize;
            inflated = UncompressDataToFile(target.get(), source.get(), &length) == 1;
            if (inflated)
                *size = length;
            else
                *error = "the saver stream at offset " + std::to_string(offset) + " is damaged";
        }
    }
    DeleteFileUtf8(scratch);
    return inflated;
}

}  // namespace saverpack
