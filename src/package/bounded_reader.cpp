#include "package/bounded_reader.h"

#include <string.h>

namespace package {

BoundedReader BoundedReader::OverFile(HFILE file, uint32_t size)
{
    return BoundedReader(file, nullptr, size);
}

BoundedReader BoundedReader::OverMemory(const void* data, uint32_t size)
{
    return BoundedReader(HFILE_ERROR, static_cast<const uint8_t*>(data), size);
}

BoundedReader BoundedReader::Prefix(uint32_t size) const
{
    return BoundedReader(file_, data_, size < size_ ? size : size_);
}

bool BoundedReader::ReadAt(uint32_t offset, void* buffer, uint32_t count) const
{
    if (offset > size_ || count > size_ - offset)
        return false;
    if (count == 0)
        return true;
    if (data_ != nullptr) {
        memcpy(buffer, data_ + offset, count);
        return true;
    }
    // The classic seek takes a signed offset: positions from 2 GiB on are out of reach.
    if (offset > uint32_t(INT32_MAX) || _llseek(file_, LONG(offset), FILE_BEGIN) != LONG(offset))
        return false;
    return _lread(file_, buffer, UINT(count)) == UINT(count);
}

bool BoundedReader::ReadU16(uint32_t offset, uint16_t* value) const
{
    uint8_t b[2];
    if (!ReadAt(offset, b, sizeof b))
        return false;
    *value = uint16_t(b[0] | b[1] << 8);
    return true;
}

bool BoundedReader::ReadU32(uint32_t offset, uint32_t* value) const
{
    uint8_t b[4];
    if (!ReadAt(offset, b, sizeof b))
        return false;
    *value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

}  // namespace package
