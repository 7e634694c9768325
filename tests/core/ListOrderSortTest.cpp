#include "ListOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using tomelens::core::ListOrderOf;
using tomelens::core::ListTextLess;

namespace {

// What ListOrderOf must give: a stable comparison sort in the list order.
std::vector<std::uint32_t> ComparedOrder(const std::vector<std::string_view>& texts)
{
    std::vector<std::uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0U);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return ListTextLess(texts[a], texts[b]); });
    return order;
}

// Names from a small alphabet with both cases, bytes past 127 and the
// characters on either side of the letters, so many share heads, differ
// only in case or only past the 16 bytes a key holds.
std::vector<std::string> RandomNames(std::mt19937& random, std::size_t count, const std::string& prefix, std::size_t maxLength)
{
    static const std::string kAlphabet = "aAbBzZ@[`{_.09 \x7f\x80\xe9\xff";
    std::uniform_int_distribution<std::size_t> length(0, maxLength), letter(0, kAlphabet.size() - 1);
    std::vector<std::string> names(count, prefix);
    for (std::string& name : names) {
        for (std::size_t i = length(random); i > 0; --i)
            name += kAlphabet[letter(random)];
    }
    // Some exact repeats and some repeats that differ in case only.
    for (std::size_t i = 0; i + 7 < count; i += 7) {
        names[i + 3] = names[i];
        names[i + 5] = names[i];
        for (char& c : names[i + 5])
            c = std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return names;
}

}  // namespace

TEST(ListOrderSort, AgreesWithAStableComparisonSort)
{
    std::mt19937 random(20261207);
    struct Case {
        std::size_t count;
        std::string prefix;
        std::size_t maxLength;
    };
    // Small lists sort by comparing alone; big ones split on key bytes, the
    // biggest over several threads; long shared prefixes and long names reach
    // past the key into the tail comparison.
    const Case cases[] = {{0, "", 4},           {1, "x", 4},         {33, "", 3},
                          {2000, "", 6},        {5000, "Textures/", 20}, {3000, "", 40},
                          {50000, "DATA/", 12}, {40000, "", 2}};
    for (const Case& c : cases) {
        const std::vector<std::string> names = RandomNames(random, c.count, c.prefix, c.maxLength);
        const std::vector<std::string_view> texts(names.begin(), names.end());
        EXPECT_EQ(ListOrderOf(texts), ComparedOrder(texts)) << c.count << " names after \"" << c.prefix << "\"";
    }
}
