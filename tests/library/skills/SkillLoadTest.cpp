// Loading the skill table from other blobs than the built-in one. The table
// is loaded once per process, so every case that constructs DMSkills runs in
// a child process of its own (a death-test fork) and reports back through its
// exit code and its stderr.

#include "skills/DMSkills.h"
#include "skills/EmbeddedResources.h"
#include "support/ArchiveBytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using tomelens::resources::kSkillTableResourceId;
using tomelens::resources::OverrideEmbeddedResource;
using namespace testsupport;

namespace {

// Raw records: a 32-byte zero-padded name, then 108 bytes that differ from
// record to record, so a record read from the wrong place shows.
Bytes RawBlob(const std::vector<std::string>& names)
{
    Bytes blob(4, 0);  // a zero length word: raw records follow
    for (const std::string& name : names) {
        Bytes record = PatternBytes(140, static_cast<unsigned>(blob.size()));
        std::fill_n(record.begin(), 32, 0);
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 32), record.begin());
        blob.insert(blob.end(), record.begin(), record.end());
    }
    return blob;
}

Bytes PackedBlob(const Bytes& records, std::uint32_t lengthWord)
{
    Bytes blob;
    PutWord(blob, lengthWord);
    const Bytes stream = Deflate(records);
    blob.insert(blob.end(), stream.begin(), stream.end());
    return blob;
}

std::vector<std::pair<std::string, std::string>> g_reports;

// Constructs two DMSkills objects with the blob in place (none: no blob at
// all) and exits 0 when the table holds `expected` records and a failure
// (expected == 0) reached the handler exactly once. Runs in a child.
[[noreturn]] void LoadInChild(const std::optional<Bytes>& blob, int expected, bool withHandler = true)
{
    OverrideEmbeddedResource(kSkillTableResourceId, blob ? blob->data() : nullptr, blob ? blob->size() : 0);
    if (withHandler)
        SetSkillsErrorHandler([](const char* text, const char* caption) { g_reports.emplace_back(text, caption); });
    DMSkills first;
    DMSkills second;
    int failures = (first.GetMaxSkill() != expected) + (second.GetMaxSkill() != expected);
    failures += std::strcmp(second.GetSkill(expected).name, "Unknown") != 0;
    const auto reports = decltype(g_reports)(expected == 0 && withHandler, {"Can't initialize skills.", "Error"});
    failures += g_reports != reports;
    std::exit(failures == 0 ? 0 : 10 + failures);
}

TEST(SkillLoad, EveryFailureIsReportedOnceAndGivesAnEmptyTable)
{
    const Bytes two = RawBlob({"One", "Two"});
    const Bytes good = PackedBlob(Bytes(two.begin() + 4, two.end()), 280);
    Bytes corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt.back() ^= 0xFF;  // the stream's checksum
    const struct {
        const char* what;
        std::optional<Bytes> blob;
        int expected;
    } cases[] = {
        {"raw records", RawBlob({"Alpha", "Beta", "Gamma"}), 3},
        {"packed records", good, 2},
        {"no blob", std::nullopt, 0},
        {"inflates one byte short of its length word", PackedBlob(Bytes(10359, 'x'), 10360), 0},
        {"corrupt stream", corrupt, 0},
        {"a 4 GiB promise", PackedBlob(Bytes(140, 'a'), 0xFFFFFFFFu), 0},
        {"a length word too small for the stream", PackedBlob(Bytes(two.begin() + 4, two.end()), 140), 0},
        {"raw, no records", Bytes(4, 0), 0},
        {"shorter than the length word", Bytes{0x18, 0x01}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EXIT(LoadInChild(c.blob, c.expected), testing::ExitedWithCode(0), "") << c.what;
    // Without a handler the one report goes to stderr.
    EXPECT_EXIT(LoadInChild(std::nullopt, 0, false), testing::ExitedWithCode(0),
                testing::Eq("Error: Can't initialize skills.\n"));
}

TEST(SkillLoad, NamesFillingTheirFieldAndDuplicatesAreFound)
{
    // 32 letters leave no room for a NUL: the lookup must stay inside the field.
    const std::string full(32, 'L');
    const Bytes blob = RawBlob({"Twin", full, "Twin"});
    EXPECT_EXIT(
        {
            OverrideEmbeddedResource(kSkillTableResourceId, blob.data(), blob.size());
            DMSkills skills;
            int failures = &skills.GetSkill(full.c_str()) != &skills.GetSkill(1);
            failures += SkillName(skills.GetSkill(1)) != full;
            for (int i = 0; i < 3; ++i)  // every record byte for byte, its name included
                failures += std::memcmp(&skills.GetSkill(i), blob.data() + 4 + 140 * i, 140) != 0;
            for (const std::string& miss : {full + "L", full.substr(0, 31)})
                failures += &skills.GetSkill(miss.c_str()) != &skills.GetSkill(-1);
            failures += &skills.GetSkill("Twin") != &skills.GetSkill(2);  // the highest index wins
            std::exit(failures);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
