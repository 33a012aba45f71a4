// The PE image checksum (the optional header's CheckSum) as Windows' loader for
// drivers, signtool and osslsigncode compute it: the one's-complement sum of the
// file's 16-bit little-endian words, the CheckSum field read as zero, folded to
// 16 bits, plus the file's length. Fed in pieces of any size, so that a file can
// be summed while it is written.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace saverpack {

class PeChecksum {
public:
    // The 4 bytes at `checkSumOffset` of the file count as zero.
    explicit PeChecksum(uint32_t checkSumOffset) : checkSumOffset_(checkSumOffset) {}

    void Add(const uint8_t* bytes, size_t count);
    // The checksum of everything added so far, as the whole file.
    uint32_t Value() const;

private:
    void AddByte(uint8_t byte);

    uint32_t checkSumOffset_;
    uint64_t position_ = 0;
    uint32_t sum_ = 0;
    uint8_t lowByte_ = 0;  // the first byte of a word whose second has not come yet
};

}  // namespace saverpack
