#include "archive/CheckSum.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

TEST(CheckSum, GivesTheStandardCheckValues)
{
    const struct {
        std::string text;
        unsigned length, seed, expected;
    } cases[] = {
        {"abc", 3, 0, 0x352441C2u},
        {"123456789", 9, 0, 0xCBF43926u},
        {"abc", 4, 0, 0xA75D6850u},          // the terminating NUL counts when included
        {"ab", 2, 0, 0x9E83486Du},
        {"c", 1, 0x9E83486Du, 0x352441C2u},  // continues from the checksum of "ab"
        {"", 0, 0xDEADBEEFu, 0xDEADBEEFu},   // no bytes: the seed comes back
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckSum(c.text.c_str(), c.length, c.seed), c.expected) << '"' << c.text << "\" seed " << c.seed;
}

TEST(CheckSum, MatchesZlibOnEveryByteValue)
{
    std::vector<unsigned char> data(4096);
    std::mt19937 random(7);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(random());
    EXPECT_EQ(CheckSum(data.data(), 4096, 0), crc32(0, data.data(), 4096));
}

}  // namespace
