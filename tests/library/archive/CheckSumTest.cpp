#include "archive/CheckSum.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

unsigned Crc(const std::string& text, unsigned seed = 0, unsigned length = ~0u)
{
    return CheckSum(text.data(), length == ~0u ? static_cast<unsigned>(text.size()) : length, seed);
}

TEST(CheckSum, GivesTheStandardCheckValues)
{
    EXPECT_EQ(Crc("abc"), 0x352441C2u);
    EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc("ab"), 0x9E83486Du);
    // The terminating NUL counts only when the caller includes it.
    const char withNul[] = "abc";
    EXPECT_EQ(CheckSum(withNul, 4, 0), 0xA75D6850u);
}

TEST(CheckSum, ContinuesFromASeed)
{
    EXPECT_EQ(Crc("c", 0x9E83486Du), 0x352441C2u);
    for (unsigned seed : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu})
        EXPECT_EQ(CheckSum(nullptr, 0, seed), seed) << seed;
}

TEST(CheckSum, UsesTheReflectedTableOfEachByte)
{
    // With an all-ones seed the register starts at 0, so one byte yields the
    // complement of that byte's table entry.
    const unsigned char bytes[] = {1, 128, 255};
    const unsigned expected[] = {0x77073096u, 0xEDB88320u, 0x2D02EF8Du};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(~CheckSum(&bytes[i], 1, 0xFFFFFFFFu), expected[i]) << int(bytes[i]);
}

TEST(CheckSum, MatchesZlibOnRandomDataInAnyPieces)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<unsigned char> data(random() % 5000);
        for (auto& byte : data)
            byte = static_cast<unsigned char>(random());
        const unsigned whole = CheckSum(data.data(), static_cast<unsigned>(data.size()), 0);
        EXPECT_EQ(whole, crc32(0, data.data(), static_cast<uInt>(data.size())));
        const std::size_t cut = data.empty() ? 0 : random() % data.size();
        const unsigned first = CheckSum(data.data(), static_cast<unsigned>(cut), 0);
        EXPECT_EQ(CheckSum(data.data() + cut, static_cast<unsigned>(data.size() - cut), first), whole);
    }
}

}  // namespace
