// libFuzzer target: any byte string, taken as a saver, gives up its resources
// or the reason it cannot, without a sanitizer report and within the reader's
// bounds; taken as an .ico file or a version resource, likewise. Taken as a
// stub, it is either left alone or rewritten into an image whose resources read
// back with the new version information in them.
#include "pe/installer_image.h"
#include "pe/saver_resources.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

using namespace saverpack;

// A finding: libFuzzer keeps the input that led here.
[[noreturn]] void Fail(const char* what)
{
    fprintf(stderr, "fuzz_saver_resources: %s\n", what);
    abort();
}

void CheckIcon(const IconGroup& icon)
{
    if (icon.images.size() > kMaxIconImages)
        Fail("more icon images than the bound");
    for (const IconImage& image : icon.images) {
        if (image.data.empty() || image.data.size() > kMaxIconImageBytes)
            Fail("an icon image outside the size bounds");
    }
    DescribeIcon(icon);
}

void CheckRewrite(const Bytes& stub, const SaverResources& saver)
{
    InstallerResources resources;
    resources.icon = saver.hasIcon ? &saver.icon : nullptr;
    resources.versionInfo = {1, 2, 3, 4};
    Bytes image;
    bool rewritten = false;
    std::string problem;
    if (!RewriteStubResources(stub, resources, &image, &rewritten, &problem) || !rewritten)
        return;
    const auto bytes = package::BoundedReader::OverMemory(image.data(), uint32_t(image.size()));
    PeLayout layout;
    std::vector<ResourceEntry> entries;
    if (!ReadPeLayout(bytes, &layout, &problem) || !ReadResourceTree(bytes, layout, &entries, &problem))
        Fail("a rewritten image's resources cannot be read back");
    const ResourceEntry* version = FindResource(entries, ResourceKey::Id(kTypeVersion), ResourceKey::Id(1));
    ResourceEntry copy = version != nullptr ? *version : ResourceEntry();
    if (version == nullptr || !ReadResourceData(bytes, layout, 16, &copy, &problem) ||
        copy.data != resources.versionInfo)
        Fail("a rewritten image lacks the version information it was given");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Bytes bytes(data, data + size);
    const SaverResources saver = ReadSaverResources(package::BoundedReader::OverMemory(data, uint32_t(size)));
    CheckIcon(saver.icon);

    IconGroup icon;
    VersionInfo info;
    std::string problem;
    if (ReadIconFile(bytes, &icon, &problem))
        CheckIcon(icon);
    ParseVersionInfo(bytes, &info, &problem);
    CheckRewrite(bytes, saver);
    return 0;
}
