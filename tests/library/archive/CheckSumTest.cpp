#include "archive/CheckSum.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

// zlib's crc32 is the reference: same value over every byte value, and a
// checksum taken in two pieces, the second seeded with the first, is the whole.
TEST(CheckSum, MatchesZlibWholeAndInPieces)
{
    const testsupport::Bytes data = testsupport::PatternBytes(4096, 7);
    const auto whole = static_cast<unsigned>(crc32(0, data.data(), 4096));
    EXPECT_EQ(CheckSum(data.data(), 4096, 0), whole);
    EXPECT_EQ(CheckSum(data.data() + 1000, 3096, CheckSum(data.data(), 1000, 0)), whole);
    EXPECT_EQ(CheckSum(data.data(), 0, 0xDEADBEEFu), 0xDEADBEEFu) << "no bytes: the seed comes back";
}

}  // namespace
