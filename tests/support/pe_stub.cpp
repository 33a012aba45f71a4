#include "support/pe_stub.h"

#include "support/package_builder.h"

#include <string.h>

namespace testsupport {

namespace {

void PutU16(Bytes& bytes, size_t offset, uint16_t value)
{
    bytes.at(offset) = uint8_t(value);
    bytes.at(offset + 1) = uint8_t(value >> 8);
}

bool IsPe32Plus(const PeShape& shape)
{
    return shape.magic == 0x20B;
}

}  // namespace

uint32_t CheckSumOffset(const PeShape& shape)
{
    return shape.newHeader + 88;
}

uint32_t CertificateEntryOffset(const PeShape& shape)
{
    return shape.newHeader + (IsPe32Plus(shape) ? 168 : 152);
}

Bytes MakePeImage(const PeShape& shape)
{
    Bytes image = RandomBytes(shape.size, 99);
    image[0] = 'M';
    image[1] = 'Z';
    PutU32(image, 0x3C, shape.newHeader);
    memcpy(&image.at(shape.newHeader), "PE\0\0", 4);
    PutU16(image, shape.newHeader + 20, shape.optionalSize);
    PutU16(image, shape.newHeader + 24, shape.magic);
    PutU32(image, shape.newHeader + (IsPe32Plus(shape) ? 132 : 116), shape.directories);
    PutU32(image, CertificateEntryOffset(shape), 0);
    PutU32(image, CertificateEntryOffset(shape) + 4, 0);
    return image;
}

void FakeSign(Bytes& installer, const PeShape& shape, uint32_t padding, uint32_t tableSize)
{
    installer.resize(installer.size() + padding, 0);
    uint32_t table = uint32_t(installer.size());
    Bytes certificate = RandomBytes(tableSize, 98);
    installer.insert(installer.end(), certificate.begin(), certificate.end());
    PutU32(installer, CertificateEntryOffset(shape), table);
    PutU32(installer, CertificateEntryOffset(shape) + 4, tableSize);
    PutU32(installer, CheckSumOffset(shape), 0x1234ABCD);
}

}  // namespace testsupport
