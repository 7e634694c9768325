#include "archive/CheckSum.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>
#include <zlib.h>

namespace {

// zlib's crc32 is the reference: same value over every byte value, and a
// checksum taken in two pieces, the second seeded with the first, is the whole.
TEST(CheckSum, MatchesZlibWholeAndInPieces)
{
    std::vector<unsigned char> data(4096);
    std::mt19937 random(7);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(random());
    const auto whole = static_cast<unsigned>(crc32(0, data.data(), 4096));
    EXPECT_EQ(CheckSum(data.data(), 4096, 0), whole);
    EXPECT_EQ(CheckSum(data.data() + 1000, 3096, CheckSum(data.data(), 1000, 0)), whole);
    EXPECT_EQ(CheckSum(data.data(), 0, 0xDEADBEEFu), 0xDEADBEEFu) << "no bytes: the seed comes back";
}

}  // namespace
