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
        {"ab", 2, 0, 0x9E83486Du},
        {"abc", 4, 0, 0xA75D6850u},           // the terminating NUL counts when included
        {"c", 1, 0x9E83486Du, 0x352441C2u},   // continues from the checksum of "ab"
        {"", 0, 0xDEADBEEFu, 0xDEADBEEFu},    // no bytes: the seed comes back
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckSum(c.text.c_str(), c.length, c.seed), c.expected) << '"' << c.text << "\" seed " << c.seed;
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
