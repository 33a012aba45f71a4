#include "pe_checksum.h"

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
    for (size_t i = 0; i < count; ++i)
        AddByte(bytes[i]);
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
