// Reads of a few bytes at a time from a file or from a block in memory, each
// refused unless it lies wholly inside the range. The PE rule, the self-check and
// the search for the package's end are written once over it, for the stub (which
// reads its own file) and for the packer and the tests (which also hold bytes in
// memory).
#pragma once

#include "compat/platform.h"

#include <stdint.h>

namespace package {

class BoundedReader {
public:
    // The first `size` bytes of an open file; reads seek, so they move its position.
    static BoundedReader OverFile(HFILE file, uint32_t size);
    static BoundedReader OverMemory(const void* data, uint32_t size);

    uint32_t size() const { return size_; }

    // The same source cut to its first `size` bytes (never longer than it is).
    BoundedReader Prefix(uint32_t size) const;

    // Exactly `count` bytes from `offset`; false when any of them lies outside
    // the range or cannot be read.
    bool ReadAt(uint32_t offset, void* buffer, uint32_t count) const;

    // The little-endian 16- or 32-bit value at `offset`; false outside the range.
    bool ReadU16(uint32_t offset, uint16_t* value) const;
    bool ReadU32(uint32_t offset, uint32_t* value) const;

private:
    BoundedReader(HFILE file, const uint8_t* data, uint32_t size) : file_(file), data_(data), size_(size) {}

    HFILE file_;
    const uint8_t* data_;  // null when reading the file
    uint32_t size_;
};

}  // namespace package
