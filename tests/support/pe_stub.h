// Hand-made PE headers for the tests of signed installers: just the fields the
// PE rule looks at, in a stub image of any size, and a stand-in for signing that
// changes a built installer exactly as signtool and osslsigncode do.
#pragma once

#include <stdint.h>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

struct PeShape {
    uint32_t newHeader = 0x80;      // e_lfanew
    uint16_t magic = 0x10B;         // PE32; 0x20B for PE32+
    uint16_t optionalSize = 224;    // SizeOfOptionalHeader
    uint32_t directories = 16;      // NumberOfRvaAndSizes
    uint32_t size = 4096;           // the whole image; the rest is random
};

// Where the two fields signing rewrites lie in an image of this shape.
uint32_t CheckSumOffset(const PeShape& shape);
uint32_t CertificateEntryOffset(const PeShape& shape);

Bytes MakePeImage(const PeShape& shape);

// What signing does to a PE installer: `padding` zero bytes, then a certificate
// table of `tableSize` bytes appended, the data directory's entry pointed at it,
// and a new CheckSum. Tests then damage the result where they need to.
void FakeSign(Bytes& installer, const PeShape& shape, uint32_t padding, uint32_t tableSize = 1200);

}  // namespace testsupport
