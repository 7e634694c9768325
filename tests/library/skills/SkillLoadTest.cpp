// Loading the skill table from other blobs than the built-in one. The table
// is loaded once per process, so every case that constructs DMSkills runs in
// a child process of its own (a death-test fork) and reports back through its
// exit code and its stderr.

#include "skills/DMSkills.h"
#include "skills/EmbeddedResources.h"
#include "skills/SkillTableBlob.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using tomelens::resources::kSkillTableResourceId;
using tomelens::resources::OverrideEmbeddedResource;
using Bytes = std::vector<unsigned char>;

namespace {

void PutLE(Bytes& out, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A 140-byte record laid out by hand: the layout under test is the file's.
Bytes SkillBytes(const std::string& name, std::uint32_t value = 0, std::uint16_t wordB = 100)
{
    Bytes r(140, 0);
    std::memcpy(r.data(), name.data(), std::min<std::size_t>(name.size(), 32));
    PutLE(r, 32, value, 4);
    r[36] = 0;
    r[37] = 1;
    r[38] = 2;
    r[39] = 1;
    for (int c = 1; c <= 14; ++c) {
        r[40 + c] = static_cast<unsigned char>(c);
        r[70 + c] = static_cast<unsigned char>(c + 2);
        r[100 + c] = static_cast<unsigned char>(200 + c);
    }
    PutLE(r, 130, 25, 2);
    PutLE(r, 132, wordB, 2);
    PutLE(r, 134, wordB + 1u, 2);
    const float real = 0.25f;
    std::uint32_t bits;
    std::memcpy(&bits, &real, 4);
    PutLE(r, 136, bits, 4);
    return r;
}

Bytes Records(const std::vector<std::string>& names)
{
    Bytes all;
    for (const std::string& n : names) {
        Bytes r = SkillBytes(n);
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

Bytes RawBlob(const Bytes& records)
{
    Bytes blob(4 + records.size(), 0);
    for (std::size_t i = 0; i < records.size(); ++i)
        blob[4 + i] = records[i];
    return blob;
}

Bytes PackedBlob(const Bytes& records, std::uint32_t lengthWord)
{
    uLongf size = compressBound(records.size());
    Bytes blob(4 + size);
    EXPECT_EQ(compress2(blob.data() + 4, &size, records.data(), records.size(), 9), Z_OK);
    blob.resize(4 + size);
    PutLE(blob, 0, lengthWord, 4);
    return blob;
}

// What a child process saw, packed into its exit code.
std::vector<std::pair<std::string, std::string>> g_reports;
void RecordReport(const char* text, const char* caption)
{
    g_reports.emplace_back(text, caption);
}

// Constructs two DMSkills objects with the blob in place and exits 0 when
// the table holds `expected` records and the error handler was called
// exactly once (expected == 0) or never (expected > 0). Runs in a child.
[[noreturn]] void LoadInChild(const Bytes* blob, int expected, bool withHandler = true)
{
    if (blob)
        OverrideEmbeddedResource(kSkillTableResourceId, blob->data(), blob->size());
    else
        OverrideEmbeddedResource(kSkillTableResourceId, nullptr, 0);
    if (withHandler)
        SetSkillsErrorHandler(&RecordReport);
    DMSkills first;
    DMSkills second;
    int failures = 0;
    failures += first.GetMaxSkill() != expected;
    failures += second.GetMaxSkill() != expected;
    failures += std::strcmp(second.GetSkill(expected).name, "Unknown") != 0;
    failures += std::strcmp(first.GetSkill(-1).name, "Unknown") != 0;
    const std::size_t reports = expected == 0 && withHandler ? 1 : 0;
    failures += g_reports.size() != reports;
    if (reports && !g_reports.empty())
        failures += g_reports[0] != std::pair<std::string, std::string>("Can't initialize skills.", "Error");
    std::exit(failures == 0 ? 0 : 10 + failures);
}

} // namespace

TEST(SkillLoad, RawRecordsAfterAZeroLengthWordLoadAsTheyAre)
{
    const Bytes blob = RawBlob(Records({"Alpha", "Beta", "Gamma"}));
    EXPECT_EXIT(
        {
            OverrideEmbeddedResource(kSkillTableResourceId, blob.data(), blob.size());
            DMSkills skills;
            const bool ok = skills.GetMaxSkill() == 3 && std::strcmp(skills.GetSkill(2).name, "Gamma") == 0 &&
                            &skills.GetSkill("Beta") == &skills.GetSkill(1) &&
                            std::strcmp(skills.GetSkill(3).name, "Unknown") == 0;
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(LoadInChild(&blob, 3), testing::ExitedWithCode(0), "");
}

TEST(SkillLoad, AStreamOneByteShortIsReportedOnce)
{
    // Inflates to 10359 bytes although the word promises 10360.
    const Bytes blob = PackedBlob(Bytes(10359, 'x'), 10360);
    EXPECT_EXIT(LoadInChild(&blob, 0), testing::ExitedWithCode(0), "");
    // The same stream with a truthful length word is still not whole records.
    const Bytes honest = PackedBlob(Bytes(10359, 'x'), 10359);
    EXPECT_EXIT(LoadInChild(&honest, 0), testing::ExitedWithCode(0), "");
}

TEST(SkillLoad, MissingBlobIsReportedOnce)
{
    EXPECT_EXIT(LoadInChild(nullptr, 0), testing::ExitedWithCode(0), "");
}

TEST(SkillLoad, WithoutAHandlerTheFailureGoesToStderrOnce)
{
    EXPECT_EXIT(LoadInChild(nullptr, 0, false), testing::ExitedWithCode(0),
                testing::Eq("Error: Can't initialize skills.\n"));
}

TEST(SkillLoad, BrokenBlobsGiveAnEmptyTable)
{
    const Bytes good = PackedBlob(Records({"One", "Two"}), 280);
    Bytes corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt[corrupt.size() - 1] ^= 0xFF;  // the stream's checksum
    Bytes truncated(good.begin(), good.end() - 6);
    const Bytes tooBigPromise = PackedBlob(Records({"One"}), 0xFFFFFFFFu);
    const Bytes tooSmallRoom = PackedBlob(Records({"One", "Two"}), 140);
    const Bytes rawPartial = RawBlob(Bytes(141, 'a'));
    const Bytes rawEmpty = RawBlob({});
    const Bytes shortWord = {0x18, 0x01};

    EXPECT_EXIT(LoadInChild(&good, 2), testing::ExitedWithCode(0), "");
    for (const Bytes* bad : std::initializer_list<const Bytes*>{&corrupt, &truncated, &tooBigPromise, &tooSmallRoom, &rawPartial, &rawEmpty, &shortWord})
        EXPECT_EXIT(LoadInChild(bad, 0), testing::ExitedWithCode(0), "") << "blob of " << bad->size() << " bytes";
}

TEST(SkillUnpack, DecodesEveryFieldAtItsOffset)
{
    const Bytes blob = PackedBlob(Bytes(SkillBytes("Fieldwork", 360000, 160)), 140);
    DMSkill* table = nullptr;
    ASSERT_EQ(tomelens::skills::UnpackSkillTable(blob.data(), blob.size(), &table), 1);
    std::unique_ptr<DMSkill[]> owned(table);
    const DMSkill& s = table[0];
    EXPECT_STREQ(s.name, "Fieldwork");
    EXPECT_EQ(s.dwValue, 360000u);
    EXPECT_EQ(s.flags[1], 1);
    EXPECT_EQ(s.flags[2], 2);
    for (int c = 1; c <= 14; ++c) {
        EXPECT_EQ(s.classTableA[c], c);
        EXPECT_EQ(s.classTableB[c], c + 2);
        EXPECT_EQ(s.classTableC[c], 200 + c);
    }
    EXPECT_EQ(s.classTableA[0], 0);
    EXPECT_EQ(s.classTableC[15], 0);
    EXPECT_EQ(s.wordA, 25);
    EXPECT_EQ(s.wordB, 160);
    EXPECT_EQ(s.wordC, 161);
    EXPECT_EQ(s.fValue, 0.25f);
}

TEST(SkillUnpack, FailuresLeaveNoTable)
{
    const Bytes partial = RawBlob(Bytes(139, 'a'));
    DMSkill* table = reinterpret_cast<DMSkill*>(&table);  // must be reset
    EXPECT_EQ(tomelens::skills::UnpackSkillTable(partial.data(), partial.size(), &table), 0);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(tomelens::skills::UnpackSkillTable(nullptr, 0, &table), 0);
    EXPECT_EQ(table, nullptr);
}

TEST(SkillLookup, NamesFillingTheirFieldAndDuplicatesAreHandled)
{
    // 32 letters leave no room for a NUL: the lookup must stay inside the field.
    const std::string full(32, 'L');
    Bytes records = Records({"Twin", full, "Twin"});
    const Bytes blob = RawBlob(records);
    EXPECT_EXIT(
        {
            OverrideEmbeddedResource(kSkillTableResourceId, blob.data(), blob.size());
            DMSkills skills;
            int failures = 0;
            failures += &skills.GetSkill(full.c_str()) != &skills.GetSkill(1);
            failures += SkillName(skills.GetSkill(1)) != full;
            failures += std::strcmp(skills.GetSkill((full + "L").c_str()).name, "Unknown") != 0;
            failures += std::strcmp(skills.GetSkill(full.substr(0, 31).c_str()).name, "Unknown") != 0;
            // The highest index wins among equal names.
            failures += &skills.GetSkill("Twin") != &skills.GetSkill(2);
            std::exit(failures);
        },
        testing::ExitedWithCode(0), "");
}
