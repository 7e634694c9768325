#include "modding/Manifest.h"

#include <gtest/gtest.h>

using namespace tomelens::core;

TEST(Manifest, ReadsBackWhatItWritesWhateverTheNameBytes)
{
    // Every field, in order: name, file, length, checksum, crc32, offset, packed length, index, size, time.
    const ManifestEntry odd{"a/b\\c:\x01\x7f\x81\xff\"", "a/b_c_\x01.txt", 0xFFFFFFFFu, 0x89abcdef, 0x01234567,
                            12, 7, 3, 42, 1700000000123456789};
    const ManifestEntry empty{"", "unnamed", 0, 0, 0, 0, 0, 0, 0, 0};
    const Manifest manifest{"/games/d\xc3\xa9j\xc3\xa0 \"q\"\\x.pak", 5000000000ull, -12,
                            std::string("SIG\0\xff\x01\x7f" "ab", 9), {odd, empty}};

    std::string problem;
    const auto back = ManifestFromJson(ManifestToJson(manifest), problem);
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(*back, manifest);
}

TEST(Manifest, RefusesDocumentsItCannotTrust)
{
    const Manifest manifest{"", 0, 0, "", {{"x", "x", 0, 0, 0, 0, 0, 0, 0, 0}}};
    const std::string good = ManifestToJson(manifest);
    auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const struct {
        std::string document;
        std::string problem;
    } cases[] = {
        {"", "line 1: unexpected end"},
        {"[]", "not a JSON object"},
        {good.substr(0, good.size() - 3), "expected ',' or '}'"},
        {good + "x", "unexpected text after the end"},
        {std::string(100, '[') + std::string(100, ']'), "nested too deeply"},
        {with("\"version\": 1", "\"version\": 2"), "manifest version 2 is not supported"},
        {with("tomelens-unpack", "zip"), "not an unpack manifest"},
        {with("\"archiveSize\": 0,", ""), "\"archiveSize\" is missing"},
        {with("\"name\": \"78\"", "\"name\": \"7\""), "entry 1: \"name\" is not hex"},
        {with("\"name\": \"78\"", "\"name\": \"7800\""), "entry 1: \"name\" holds a NUL byte"},
        {with("\"length\": 0", "\"length\": 4294967296"), "entry 1: \"length\" is out of range"},
        {with("\"length\": 0", "\"length\": 1.5"), "expected a whole number"},
        {with("\"checksum\": \"00000000\"", "\"checksum\": \"0000\""), "\"checksum\" is not 8 hex digits"},
        {with("\"file\": \"x\"", "\"file\": \"../x\""), "\"file\" is not a plain relative path"},
        {with("\"file\": \"x\"", "\"file\": \"/etc/passwd\""), "\"file\" is not a plain relative path"},
        {with("\"file\": \"x\"", "\"file\": \"C:x\""), "\"file\" is not a plain relative path"},
        {with("\"file\": \"x\"", "\"file\": \"\\ud800\""), "lone surrogate"},
        {with("\"file\": \"x\"", "\"file\": 5"), "\"file\" has the wrong kind of value"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(ManifestFromJson(c.document, problem)) << c.document;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem << " / expected: " << c.problem;
    }
    std::string problem;
    const auto escaped = ManifestFromJson(with("\"file\": \"x\"", "\"file\": \"\\u00e9\\ud83d\\ude00\\n\""), problem);
    ASSERT_TRUE(escaped) << problem;
    EXPECT_EQ(escaped->entries[0].file, "\xc3\xa9\xf0\x9f\x98\x80\n");
}
