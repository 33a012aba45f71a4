// Deterministic sweeps over small savers with resources (PE32 and PE32+), the
// reader's counterpart of the package's corruption sweeps: every byte of the
// headers and the resource section changed, every truncation. The reader must
// return with what it could read and keep within its bounds; the stub rewrite,
// run on the same variants, must either refuse or write resources that read back.
#include "pe/installer_image.h"
#include "pe/saver_resources.h"
#include "support/saver_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using namespace saverpack;
using testsupport::Bytes;

// The values each byte takes in turn: the edges of the ranges that offsets,
// counts and lengths are checked against, and single flipped bits.
Bytes ValuesFor(uint8_t byte)
{
    return {0x00, 0x01, 0x7F, 0x80, 0xFF, uint8_t(byte ^ 0x01), uint8_t(byte ^ 0x10), uint8_t(byte ^ 0x80)};
}

// What must hold for any input; empty when it does.
std::string Violation(const Bytes& bytes)
{
    const SaverResources saver = ReadSaverResources(package::BoundedReader::OverMemory(bytes.data(), uint32_t(bytes.size())));
    if (saver.icon.images.size() > kMaxIconImages)
        return "more icon images than the bound";
    for (const IconImage& image : saver.icon.images) {
        if (image.data.empty() || image.data.size() > kMaxIconImageBytes)
            return "an icon image outside the size bounds";
    }
    if (saver.hasIcon != !saver.icon.images.empty())
        return "an icon said to be there is not, or the other way round";
    InstallerResources resources;
    resources.icon = saver.hasIcon ? &saver.icon : nullptr;
    resources.versionInfo = {9, 9};
    Bytes image;
    bool rewritten = false;
    std::string problem;
    if (!RewriteStubResources(bytes, resources, &image, &rewritten, &problem) || !rewritten)
        return std::string();
    PeLayout layout;
    std::vector<ResourceEntry> entries;
    const auto written = package::BoundedReader::OverMemory(image.data(), uint32_t(image.size()));
    if (!ReadPeLayout(written, &layout, &problem) || !ReadResourceTree(written, layout, &entries, &problem))
        return "the rewritten image's resources do not read back: " + problem;
    if (FindResource(entries, ResourceKey::Id(kTypeVersion), ResourceKey::Id(1)) == nullptr)
        return "the rewritten image has no version information";
    return std::string();
}

TEST(SaverResourceSweep, EveryChangedByteAndEveryTruncation)
{
    for (bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        testsupport::SaverShape shape;
        shape.pe32Plus = pe32Plus;
        const Bytes saver = testsupport::MakeSaverImage(shape);

        // Sound, it gives everything it holds.
        const SaverResources clean = ReadSaverResources(package::BoundedReader::OverMemory(saver.data(), uint32_t(saver.size())));
        EXPECT_EQ(clean.problem, "");
        EXPECT_EQ(clean.displayName, "Flying Things");
        EXPECT_EQ(clean.version.Value("CompanyName"), "Flying Ltd");
        ASSERT_EQ(clean.icon.images.size(), 2u);
        EXPECT_EQ(clean.icon.images[1].data, testsupport::SaverIconImages()[1]);
        // Taken for a stub, it is rewritten: the sweep reaches the writer too.
        InstallerResources resources;
        Bytes image;
        bool rewritten = false;
        std::string problem;
        EXPECT_TRUE(RewriteStubResources(saver, resources, &image, &rewritten, &problem) && rewritten) << problem;

        size_t runs = 0, failures = 0;
        auto run = [&](const Bytes& variant, const std::string& what) {
            ++runs;
            std::string violation = Violation(variant);
            if (!violation.empty() && ++failures <= 5)
                ADD_FAILURE() << what << ": " << violation;
        };
        for (size_t length = 0; length < saver.size(); ++length)
            run(Bytes(saver.begin(), saver.begin() + long(length)), "cut to " + std::to_string(length));
        // The code section's bytes are nobody's business here.
        for (size_t at = 0; at < saver.size(); at = at == 0x1FF ? 0x400 : at + 1) {
            Bytes variant = saver;
            for (uint8_t value : ValuesFor(saver[at])) {
                variant[at] = value;
                run(variant, "byte " + std::to_string(at) + " = " + std::to_string(value));
            }
        }
        EXPECT_EQ(failures, 0u) << "of " << runs << " variants";
    }
}

#ifdef SAVERSTUB_RESOURCE_SEED_DIR
// The fuzz target starts from the committed seeds: each must be a saver whose
// resources read whole, or the fuzzer would start outside the code that matters.
TEST(SaverResourceSeeds, EverySeedReadsWhole)
{
    size_t seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SAVERSTUB_RESOURCE_SEED_DIR)) {
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes seed = testsupport::ReadFileBytes(entry.path().string());
        const SaverResources saver = ReadSaverResources(package::BoundedReader::OverMemory(seed.data(), uint32_t(seed.size())));
        EXPECT_EQ(saver.problem, "");
        EXPECT_TRUE(saver.hasVersion && saver.hasIcon && !saver.displayName.empty());
        EXPECT_EQ(Violation(seed), "");
        ++seeds;
    }
    EXPECT_GE(seeds, 2u);
}
#endif

}  // namespace
