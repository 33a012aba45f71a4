// Our CRC-32 against zlib's as the oracle.
#include "package/crc32.h"
#include "support/package_builder.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

TEST(Crc32, CheckValueOfTheNineDigits)
{
    EXPECT_EQ(package::crc32(0, "123456789", 9), 0xCBF43926u);
}

TEST(Crc32, EmptyAndNullInputs)
{
    EXPECT_EQ(package::crc32(0, "", 0), 0u);
    EXPECT_EQ(package::crc32(0x1234u, "", 0), 0x1234u);
    EXPECT_EQ(package::crc32(0x1234u, nullptr, 10), 0u);
}

TEST(Crc32, EqualsZlibOnEveryLengthAndSplit)
{
    testsupport::Bytes data = testsupport::RandomBytes(3000, 42);
    for (size_t length = 0; length <= data.size(); ++length) {
        uint32_t ours = package::crc32(0, data.data(), length);
        uint32_t theirs = uint32_t(::crc32(0L, data.data(), uInt(length)));
        ASSERT_EQ(ours, theirs) << "length " << length;
    }
    // Continuing from a partial value gives the same as one pass.
    for (size_t split : {0u, 1u, 7u, 8u, 9u, 1499u, 3000u}) {
        uint32_t first = package::crc32(0, data.data(), split);
        EXPECT_EQ(package::crc32(first, data.data() + split, data.size() - split),
                  package::crc32(0, data.data(), data.size()))
            << "split " << split;
    }
}

}  // namespace
