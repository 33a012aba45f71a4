// The stub's own reader, run on a file from the packer: the verdict on a package
// is always the one the installer itself would reach.
#pragma once

#include "package/package_format.h"

#include <stdint.h>
#include <string>

namespace saverpack {

struct LogoFacts {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
};

// Runs LoadInstaller on `path` and keeps a copy of what it learnt. The reader
// works on process-wide globals; they are reset before the run and released
// after it, so one package never leaks into the next.
class LoadedPackage {
public:
    explicit LoadedPackage(const std::string& path);

    bool valid() const { return valid_; }
    const package::InstHeader& header() const { return header_; }
    const package::InstEnd& trailer() const { return trailer_; }
    bool hasSaver() const { return saverOffset_ != 0; }
    uint32_t saverOffset() const { return saverOffset_; }
    const package::InstScr& saver() const { return saver_; }
    uint32_t saverCompressedSize() const { return saver_.dwLength - package::kSaverRecordSize; }
    bool hasDocument() const { return hasDocument_; }
    const package::InstDoc& document() const { return document_; }
    uint32_t documentInflatedSize() const { return documentInflated_; }
    bool hasLogo() const { return hasLogo_; }
    // The inflated logo: a packed DIB as the installer holds it.
    const std::string& logo() const { return logo_; }
    // The logo record says to blend the logo's alpha rather than copy it.
    bool logoAlpha() const { return logoAlpha_; }
    // The package asks to be registered for removal ("iapp").
    bool hasApp() const { return app_.dwTag == package::kTagApp; }
    const package::InstApp& app() const { return app_; }

private:
    bool valid_ = false;
    package::InstHeader header_ = {};
    package::InstEnd trailer_ = {};
    package::InstScr saver_ = {};
    package::InstDoc document_ = {};
    package::InstApp app_ = {};
    uint32_t saverOffset_ = 0;
    bool hasDocument_ = false;
    uint32_t documentInflated_ = 0;
    bool hasLogo_ = false;
    std::string logo_;
    bool logoAlpha_ = false;
};

// Inflates the saver chunk at `offset` of `path` with the stub's own adapter,
// into a scratch file that is deleted again. True with the inflated size.
bool InflateSaverToNowhere(const std::string& path, uint32_t offset, uint32_t* size, std::string* error);

}  // namespace saverpack
