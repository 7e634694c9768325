// Checking and loading: every refusal of the reader, and how entries are
// ordered and named.
#include "ArchiveTestSupport.h"

#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"

#include <gtest/gtest.h>

using namespace archivetest;

namespace {

class Reader : public ::testing::Test {
protected:
    // Writes the bytes, loads them and returns the code; a failed load must
    // leave the container empty with the path kept.
    int LoadBytes(const Bytes& bytes)
    {
        WriteFile(path, bytes);
        const int result = archive.Load(path.c_str());
        if (result != DMResult::Success) {
            EXPECT_EQ(archive.GetNumEntries(), 0u);
            unsigned length = 1;
            EXPECT_EQ(archive.GetSignature(length), nullptr);
            EXPECT_EQ(length, 0u);
        }
        return result;
    }

    static std::vector<PlainEntry> ThreeEntries()
    {
        return {{"first.txt", ToBytes("the first entry"), 11},
                {"second.bin", Bytes(10000, 0x5A), 22},
                {"third", ToBytes("3"), 33}};
    }

    TempDir dir;
    std::string path = dir.File("archive.dat");
    DMDataFile archive{nullptr};
};

TEST_F(Reader, CheckFileReportsPathAndHeaderFaults)
{
    DMDataFile fresh(nullptr);
    EXPECT_EQ(fresh.CheckFile(nullptr), DMResult::NoPath);
    EXPECT_EQ(fresh.Load(nullptr), DMResult::NoPath);
    EXPECT_EQ(fresh.CheckFile(dir.File("missing").c_str()), DMResult::CannotOpen);
    EXPECT_EQ(fresh.CheckFile(dir.Path().c_str()), DMResult::CannotOpen) << "a directory is no file";

    const Bytes valid = MakeArchive(ThreeEntries()).Serialize();
    for (std::size_t size = 0; size < 12; ++size) {
        WriteFile(path, Bytes(valid.begin(), valid.begin() + size));
        EXPECT_EQ(fresh.CheckFile(path.c_str()), size < 8 ? DMResult::NotArchive : DMResult::ShortRead)
            << size;
    }
}

TEST_F(Reader, CheckFileReadsOnlyTheHeader)
{
    // D = length - 4 with N = 0 and nothing else: the header alone is sound.
    Bytes file;
    PutWord(file, 12);
    PutWord(file, 0x20534650);
    PutWord(file, 0x00020000);
    PutWord(file, 0);
    WriteFile(path, file);
    EXPECT_EQ(archive.CheckFile(path.c_str()), DMResult::Success);
    // Without records there is no name list: the load refuses it.
    EXPECT_EQ(archive.Load(path.c_str()), DMResult::NotArchive);
}

TEST_F(Reader, RefusesBrokenHeaders)
{
    const RawArchive valid = MakeArchive(ThreeEntries());
    const auto size = static_cast<std::uint32_t>(valid.Serialize().size());
    struct Case {
        const char* what;
        RawArchive archive;
    };
    std::vector<Case> cases;
    cases.push_back({"bad magic", valid});
    cases.back().archive.magic = 0x20534651;
    for (std::uint32_t d : {size - 3, size, 0xFFFFFFFFu, 11u, 0u, 8u}) {
        cases.push_back({"directory offset out of range", valid});
        cases.back().archive.overrideDirectoryOffset = true;
        cases.back().archive.directoryOffset = d;
    }
    for (const Case& c : cases) {
        WriteFile(path, c.archive.Serialize());
        EXPECT_EQ(archive.CheckFile(path.c_str()), DMResult::NotArchive) << c.what;
        EXPECT_EQ(LoadBytes(c.archive.Serialize()), DMResult::NotArchive) << c.what;
    }
}

TEST_F(Reader, RefusesLengthsThatDoNotMatchTheDirectory)
{
    RawArchive archive = MakeArchive(ThreeEntries());
    Bytes file = archive.Serialize();
    file.push_back(0);  // one byte too many
    EXPECT_EQ(LoadBytes(file), DMResult::NotArchive);
    file.pop_back();
    file.pop_back();  // one byte too few: the last record is cut
    EXPECT_EQ(LoadBytes(file), DMResult::NotArchive);

    // A record count whose directory cannot fit must not wrap around.
    file = archive.Serialize();
    const std::size_t countAt = 12 + archive.area.size();
    for (std::uint32_t count : {0x15555556u, 0xFFFFFFFFu, 5u, 3u}) {
        Bytes changed = file;
        for (int i = 0; i < 4; ++i)
            changed[countAt + i] = static_cast<unsigned char>(count >> (8 * i));
        EXPECT_EQ(LoadBytes(changed), DMResult::NotArchive) << count;
    }
}

TEST_F(Reader, RefusesRecordsOutsideTheDataArea)
{
    const RawArchive valid = MakeArchive(ThreeEntries());
    const std::uint32_t directoryOffset = 12 + static_cast<std::uint32_t>(valid.area.size());
    for (std::uint32_t offset : {0u, 11u, directoryOffset + 1, 0xFFFFFFFFu}) {
        RawArchive archive = valid;
        archive.records[1].offset = offset;
        EXPECT_EQ(LoadBytes(archive.Serialize()), DMResult::NotArchive) << offset;
    }
    // An offset at D itself is allowed: an empty extent at the end.
    RawArchive atEnd = valid;
    atEnd.records[0].offset = directoryOffset;
    atEnd.records[0].length = 0;
    EXPECT_EQ(LoadBytes(atEnd.Serialize()), DMResult::NotArchive)
        << "the entry at D comes last and is taken for the name list, which is then empty";
}

TEST_F(Reader, RefusesNameListsThatDoNotMatch)
{
    auto withList = [&](const Bytes& list, std::uint32_t recordLength) {
        RawArchive archive = MakeArchive(ThreeEntries());
        archive.area.resize(archive.records.back().offset - 12);
        archive.records.back().offset = archive.Append(PackBlocks(list));
        archive.records.back().length = recordLength;
        return archive.Serialize();
    };
    const Bytes good = NameList({"a", "b", "c"});
    ASSERT_EQ(LoadBytes(withList(good, static_cast<std::uint32_t>(good.size()))), DMResult::Success);

    const Bytes tooMany = NameList({"a", "b", "c", "d"});
    const Bytes tooFew = NameList({"a", "b"});
    EXPECT_EQ(LoadBytes(withList(tooMany, static_cast<std::uint32_t>(tooMany.size()))), DMResult::NotArchive);
    EXPECT_EQ(LoadBytes(withList(tooFew, static_cast<std::uint32_t>(tooFew.size()))), DMResult::NotArchive);

    Bytes trailing = good;
    trailing.push_back('x');
    EXPECT_EQ(LoadBytes(withList(trailing, static_cast<std::uint32_t>(trailing.size()))), DMResult::NotArchive);

    Bytes noNul = good;
    noNul.back() = 'c';
    EXPECT_EQ(LoadBytes(withList(noNul, static_cast<std::uint32_t>(noNul.size()))), DMResult::NotArchive);

    Bytes cut = good;
    cut.resize(cut.size() - 4);  // the last name's record runs past the end
    EXPECT_EQ(LoadBytes(withList(cut, static_cast<std::uint32_t>(cut.size()))), DMResult::NotArchive);

    // A zero length word: the name record would end inside its own length word.
    Bytes zeroLength;
    PutWord(zeroLength, 3);
    PutWord(zeroLength, 0);
    for (const char* name : {"a", "b"}) {
        PutWord(zeroLength, 2);
        zeroLength.push_back(static_cast<unsigned char>(name[0]));
        zeroLength.push_back(0);
    }
    EXPECT_EQ(LoadBytes(withList(zeroLength, static_cast<std::uint32_t>(zeroLength.size()))),
              DMResult::NotArchive);

    // The record claims more or less than the list inflates to.
    EXPECT_EQ(LoadBytes(withList(good, static_cast<std::uint32_t>(good.size() + 1))), DMResult::CorruptData);
    EXPECT_EQ(LoadBytes(withList(good, static_cast<std::uint32_t>(good.size() - 1))), DMResult::CorruptData);
}

TEST_F(Reader, RefusesAnImpossibleNameListLengthBeforeInflating)
{
    // A 4 GiB name list cannot come out of a few dozen packed bytes.
    RawArchive archive = MakeArchive(ThreeEntries());
    archive.records.back().length = 0xFFFFFFF0u;
    EXPECT_EQ(LoadBytes(archive.Serialize()), DMResult::NotArchive);
}

TEST_F(Reader, ReportsADamagedNameListBlockAsCorrupt)
{
    RawArchive archive = MakeArchive(ThreeEntries());
    archive.area[archive.records.back().offset - 12 + 8 + 4] ^= 0xFF;  // inside the list's stream
    EXPECT_EQ(LoadBytes(archive.Serialize()), DMResult::CorruptData);
}

TEST_F(Reader, NamesEntriesInDataOrderWhateverTheDirectoryOrder)
{
    for (bool reverse : {false, true}) {
        const RawArchive raw = MakeArchive(ThreeEntries(), reverse);
        ASSERT_EQ(LoadBytes(raw.Serialize()), DMResult::Success);
        const auto entries = Snapshot(archive);
        ASSERT_EQ(entries.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(entries[i].name, ThreeEntries()[i].name);
            EXPECT_EQ(entries[i].data, ThreeEntries()[i].data);
            EXPECT_EQ(entries[i].checkSum, ThreeEntries()[i].checkSum);
            EXPECT_EQ(entries[i].index, reverse ? 3 - i : i);
            EXPECT_EQ(entries[i].dataResult, DMResult::Success);
        }
    }
}

TEST_F(Reader, PutsTheLaterRecordFirstAmongEqualOffsets)
{
    // Two empty entries share the offset of "data", which comes after them in
    // data order only if its directory index is the lowest of the three.
    RawArchive raw;
    const std::uint32_t dataOffset = raw.Append(PackBlocks(ToBytes("payload")));
    const Bytes list = NameList({"empty-high", "empty-low", "data"});
    const std::uint32_t listOffset = raw.Append(PackBlocks(list));
    raw.records = {{1, dataOffset, 7},
                   {2, dataOffset, 0},
                   {3, dataOffset, 0},
                   {4, listOffset, static_cast<std::uint32_t>(list.size())}};
    ASSERT_EQ(LoadBytes(raw.Serialize()), DMResult::Success);
    const auto entries = Snapshot(archive);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].checkSum, 3u);
    EXPECT_EQ(entries[1].checkSum, 2u);
    EXPECT_EQ(entries[2].checkSum, 1u);
    EXPECT_EQ(entries[2].name, "data");
    EXPECT_EQ(entries[2].data, ToBytes("payload"));
    EXPECT_EQ(entries[0].data, Bytes());
    EXPECT_EQ(entries[0].dataResult, DMResult::Success);
}

TEST_F(Reader, LoadsAgainWithoutAPathOnceChecked)
{
    const Bytes file = MakeArchive(ThreeEntries()).Serialize();
    WriteFile(path, file);
    ASSERT_EQ(archive.CheckFile(path.c_str()), DMResult::Success);
    ASSERT_EQ(archive.Load(nullptr), DMResult::Success);
    EXPECT_EQ(archive.GetNumEntries(), 3u);
    ASSERT_EQ(archive.Load(nullptr), DMResult::Success) << "a second load re-reads the same file";
    EXPECT_EQ(archive.GetNumEntries(), 3u);

    // A failed load keeps the failing path: the next check looks at it again.
    const std::string other = dir.File("other.dat");
    WriteFile(other, Bytes(5, 0));
    EXPECT_EQ(archive.Load(other.c_str()), DMResult::NotArchive);
    EXPECT_EQ(archive.GetNumEntries(), 0u);
    WriteFile(other, file);
    EXPECT_EQ(archive.Load(nullptr), DMResult::Success);
}

TEST_F(Reader, LeavesEntriesPackedUntilAsked)
{
    RawArchive raw = MakeArchive(ThreeEntries());
    raw.area[raw.records[1].offset - 12 + 20] ^= 0x55;  // damage the second entry only
    ASSERT_EQ(LoadBytes(raw.Serialize()), DMResult::Success);
    const auto entries = Snapshot(archive);
    EXPECT_EQ(entries[0].dataResult, DMResult::Success);
    EXPECT_EQ(entries[1].dataResult, DMResult::CorruptData);
    EXPECT_EQ(entries[2].dataResult, DMResult::Success);
}

}  // namespace
