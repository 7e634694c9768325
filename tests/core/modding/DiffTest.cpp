#include "modding/Diff.h"
#include "support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tomelens::core;
using namespace testsupport;
using Kind = EntryDifference::Kind;

namespace {

struct Item {
    std::string name;
    std::string data;
    std::uint32_t checkSum = 0;
    int level = 9;  // another level packs the same data into other bytes
    bool corrupt = false;
};

void Write(const std::string& path, const std::vector<Item>& items)
{
    RawArchive archive;
    std::vector<std::string> names;
    for (const Item& item : items) {
        const Bytes plain = ToBytes(item.data);
        Bytes packed = plain.empty() ? Bytes{} : Block(Deflate(plain, item.level), static_cast<std::uint32_t>(plain.size()));
        if (item.corrupt)
            packed[10] ^= 0xFF;
        archive.records.push_back({item.checkSum, archive.Append(packed), static_cast<std::uint32_t>(plain.size())});
        names.push_back(item.name);
    }
    const Bytes list = NameList(names);
    archive.records.push_back({0, archive.Append(PackBlocks(list)), static_cast<std::uint32_t>(list.size())});
    // Name list first in the directory, so empty entries read back in their place.
    std::reverse(archive.records.begin(), archive.records.end());
    archive.WriteTo(path);
}

EntryDifference Changed(std::string name, unsigned a, unsigned b, std::uint32_t la, std::uint32_t lb,
                        std::uint32_t ca, std::uint32_t cb, unsigned what)
{
    return {Kind::Changed, std::move(name), a, b, la, lb, ca, cb, what};
}

}  // namespace

TEST(Diff, FindsEachKindOfDifferenceByNameWithDuplicatesInOrder)
{
    const std::string longText(20000, 'q');
    // Past the size compared whole: these stream through the two-thread comparison.
    const std::string huge = std::string(5u << 20, 'h') + "end";
    std::string hugeEdited = huge;
    hugeEdited[hugeEdited.size() - 2] = 'N';
    const std::vector<Item> a = {
        {"same", "unchanged text"},
        {"repacked", longText, 0, 9},
        {"edited", "hello world"},
        {"resized", "abc"},
        {"crc", "x", 1},
        {"dup", "first"},
        {"dup", "second"},
        {"gone", "bye"},
        {"moved", "m"},
        {"empty", ""},
        {"huge same", huge, 0, 9},
        {"huge edited", huge},
    };
    const std::vector<Item> b = {
        {"moved", "m"},
        {"same", "unchanged text"},
        {"repacked", longText, 0, 1},
        {"edited", "hellO world"},
        {"resized", "abcd"},
        {"crc", "x", 2},
        {"dup", "first"},
        {"dup", "SECOND"},
        {"empty", ""},
        {"huge same", huge, 0, 1},
        {"huge edited", hugeEdited},
        {"new", "hi"},
    };
    TempDir dir;
    Write(dir.File("a"), a);
    Write(dir.File("b"), b);
    std::vector<EntryDifference> found;
    const Outcome outcome = DiffArchives(dir.File("a"), dir.File("b"), found);
    ASSERT_TRUE(outcome.Ok()) << outcome.Message();
    const std::vector<EntryDifference> expected = {
        Changed("edited", 2, 3, 11, 11, 0, 0, kDiffData),
        Changed("resized", 3, 4, 3, 4, 0, 0, kDiffSize | kDiffData),
        Changed("crc", 4, 5, 1, 1, 1, 2, kDiffCheckSum),
        Changed("dup", 6, 7, 6, 6, 0, 0, kDiffData),
        {Kind::OnlyInA, "gone", 7, EntryDifference::kNoPosition, 3, 0, 0, 0, 0},
        Changed("moved", 8, 0, 1, 1, 0, 0, kDiffPosition),
        Changed("huge edited", 11, 10, std::uint32_t(huge.size()), std::uint32_t(huge.size()), 0, 0, kDiffData),
        {Kind::OnlyInB, "new", EntryDifference::kNoPosition, 11, 0, 2, 0, 0, 0},
    };
    EXPECT_EQ(found, expected);

    found.clear();
    ASSERT_TRUE(DiffArchives(dir.File("a"), dir.File("a"), found).Ok());
    EXPECT_TRUE(found.empty());
}

TEST(Diff, CorruptEntryOrMissingArchiveIsAFailureNotADifference)
{
    TempDir dir;
    Write(dir.File("a"), {{"x", "same length"}});
    Write(dir.File("b"), {{"x", "same LENGTH", 0, 9, true}});
    std::vector<EntryDifference> found;
    Outcome outcome = DiffArchives(dir.File("a"), dir.File("b"), found);
    EXPECT_EQ(outcome.step, Step::Inflate);
    EXPECT_NE(outcome.Message().find("\"x\""), std::string::npos) << outcome.Message();

    outcome = DiffArchives(dir.File("a"), dir.File("none"), found);
    EXPECT_EQ(outcome.step, Step::Open);
    EXPECT_EQ(outcome.subject, dir.File("none"));
}
