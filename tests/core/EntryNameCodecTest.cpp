#include "EntryNameCodec.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tomelens::core;

TEST(EntryNameCodec, EveryByteRoundTripsThroughBothTextForms)
{
    for (int b = 1; b < 256; ++b) {
        const std::string name(1, static_cast<char>(b));
        std::string back;
        ASSERT_TRUE(EncodeEntryName(DecodeEntryName(name), back)) << b;
        EXPECT_EQ(back, name) << b;
        ASSERT_TRUE(EntryNameFromUtf8(EntryNameToUtf8(name), back)) << b;
        EXPECT_EQ(back, name) << b;
    }
    // Distinct bytes give distinct characters: the mapping is one to one.
    std::u16string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char16_t>(EntryNameChar(static_cast<unsigned char>(b)));
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::unique(all.begin(), all.end()), all.end());
}

TEST(EntryNameCodec, CodePageCharactersAndRefusals)
{
    EXPECT_EQ(EntryNameToUtf8("caf\xe9 \x80\x92"), "caf\xc3\xa9 \xe2\x82\xac\xe2\x80\x99");
    std::string bytes;
    char32_t bad = 0;
    EXPECT_FALSE(EntryNameFromUtf8("a\xc4\x80", bytes, &bad));  // U+0100
    EXPECT_EQ(bad, U'\u0100');
    EXPECT_FALSE(EntryNameFromUtf8("a\xff", bytes, &bad));  // malformed
    EXPECT_EQ(bad, U'\uFFFD');
    EXPECT_FALSE(EntryNameFromUtf8(std::string_view("a\0b", 3), bytes, &bad));
    EXPECT_EQ(bad, U'\0');
    EXPECT_FALSE(EncodeEntryName(u"x\U0001F600", bytes, &bad));
    EXPECT_EQ(bad, U'\U0001F600');
    EXPECT_EQ(DescribeCharacter(U'\u0100'), "\xc4\x80 (U+0100)");
}
