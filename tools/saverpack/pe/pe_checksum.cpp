#include "pe/pe_checksum.h"

#include "package/pe_image.h"

namespace saverpack {

void PeChecksum::AddByte(uint8_t byte)
{
    if (position_ >= checkSumOffset_ && position_ - checkSumOffset_ < package::kPeCheckSumSize)
        byte = 0;
    if ((position_ & 1) == 0) {
        lowByte_ = byte;
    } else {
        sum_ += uint32_t(lowByte_) | uint32_t(byte) << 8;
        sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
    }
    ++position_;
}

void PeChecksum::Add(const uint8_t* bytes, size_t count)
{
    const uint64_t fieldEnd = uint64_t(checkSumOffset_) + package::kPeCheckSumSize;
    while (count != 0) {
        // Whole words from an even position, up to the CheckSum field or the end:
        // summed wide and folded once, which gives the same one's-complement sum.
        size_t run = count & ~size_t(1);
        if (position_ < checkSumOffset_ && checkSumOffset_ - position_ < run)
            run = size_t(checkSumOffset_ - position_) & ~size_t(1);
        bool inField = position_ >= checkSumOffset_ && position_ < fieldEnd;
        if ((position_ & 1) != 0 || inField || run == 0) {
            AddByte(*bytes++);
            --count;
            continue;
        }
        uint64_t sum = sum_;
        for (size_t i = 0; i < run; i += 2)
            sum += uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8;
        while ((sum >> 16) != 0)
            sum = (sum & 0xFFFF) + (sum >> 16);
        sum_ = uint32_t(sum);
        position_ += run;
        bytes += run;
        count -= run;
    }
}

uint32_t PeChecksum::Value() const
{
    uint32_t sum = sum_;
    if ((position_ & 1) != 0) {  // an odd length: the last byte stands alone
        sum += lowByte_;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return uint32_t(sum + position_);
}

}  // namespace saverpack
