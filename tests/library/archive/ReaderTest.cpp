// Checking and loading: every refusal of the reader, and how entries are
// ordered and named.
#include "ArchiveSuite.h"

using namespace archivetest;

namespace {

std::vector<PlainEntry> ThreeEntries()
{
    return {{"first.txt", ToBytes("the first entry"), 11},
            {"second.bin", Bytes(10000, 0x5A), 22},
            {"third", ToBytes("3"), 33}};
}

class Reader : public ::testing::Test {
protected:
    // Loads the bytes over a container that held a signed archive; a failed
    // load must leave it empty, without a signature.
    int LoadBytes(const Bytes& bytes)
    {
        RawArchive signedArchive = MakeArchive(ThreeEntries());
        signedArchive.signature = ToBytes("SIGNATURE");
        signedArchive.WriteTo(path);
        EXPECT_EQ(archive.Load(path.c_str()), DMResult::Success);
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

    TempDir dir;
    std::string path = dir.File("archive.dat");
    DMDataFile archive{nullptr};
};

TEST_F(Reader, CheckFileReportsPathAndHeaderFaults)
{
    EXPECT_EQ(archive.CheckFile(nullptr), DMResult::NoPath);
    EXPECT_EQ(archive.Load(nullptr), DMResult::NoPath);
    EXPECT_EQ(archive.CheckFile(dir.File("missing").c_str()), DMResult::CannotOpen);
    EXPECT_EQ(archive.CheckFile(dir.Path().c_str()), DMResult::CannotOpen) << "a directory is no file";
    const Bytes valid = MakeArchive(ThreeEntries()).Serialize();
    for (std::size_t size = 0; size < 12; ++size) {
        WriteFile(path, Bytes(valid.begin(), valid.begin() + size));
        EXPECT_EQ(archive.CheckFile(path.c_str()), size < 8 ? DMResult::NotArchive : DMResult::ShortRead) << size;
    }
    // A sound header with no records: the check passes, the load finds no name list.
    RawArchive empty;
    empty.WriteTo(path);
    EXPECT_EQ(archive.CheckFile(path.c_str()), DMResult::Success);
    EXPECT_EQ(archive.Load(path.c_str()), DMResult::NotArchive);
}

TEST_F(Reader, RefusesEveryBrokenLayout)
{
    const RawArchive valid = MakeArchive(ThreeEntries());
    const Bytes validBytes = valid.Serialize();
    const auto size = static_cast<std::uint32_t>(validBytes.size());
    const std::uint32_t d = static_cast<std::uint32_t>(valid.CountOffset());
    struct Case {
        std::string what;
        Bytes file;
        int expected = DMResult::NotArchive;
        bool headerFault = false;  // CheckFile sees it too
    };
    std::vector<Case> cases;
    auto changed = [&](std::string what, auto change, int expected = DMResult::NotArchive, bool header = false) {
        RawArchive archive = valid;
        change(archive);
        cases.push_back({std::move(what), archive.Serialize(), expected, header});
    };
    changed("bad magic", [](RawArchive& a) { a.magic = 0x20534651; }, DMResult::NotArchive, true);
    for (std::uint32_t version : {0x00010000u, 0x00020001u, 0x00030000u, 0u, 0xFFFFFFFFu})
        changed("version " + std::to_string(version), [=](RawArchive& a) { a.version = version; },
                DMResult::NotArchive, true);
    for (std::uint32_t offset : {size - 3, size, 0xFFFFFFFFu, 11u, 0u, 8u})
        changed("directory offset " + std::to_string(offset), [=](RawArchive& a) { a.directoryOffset = offset; },
                DMResult::NotArchive, true);

    Bytes longer = validBytes;
    longer.push_back(0);
    cases.push_back({"one byte too many", longer});
    cases.push_back({"the last record cut", Bytes(validBytes.begin(), validBytes.end() - 1)});
    for (std::uint32_t count : {0x15555556u, 0xFFFFFFFFu, 5u, 3u}) {  // must not wrap around
        Bytes file = validBytes;
        SetWordAt(file, d, count);
        cases.push_back({"record count " + std::to_string(count), file});
    }
    for (std::uint32_t offset : {0u, 11u, d + 1, 0xFFFFFFFFu})
        changed("record offset " + std::to_string(offset), [=](RawArchive& a) { a.records[1].offset = offset; });
    // An empty extent at D is allowed, but it comes last and is taken for the
    // name list, which is then empty.
    changed("empty entry at D", [=](RawArchive& a) { a.records[0] = {0, d, 0}; });
    changed("4 GiB name list from a few packed bytes", [](RawArchive& a) { a.records.back().length = 0xFFFFFFF0u; });
    changed("damaged name list stream",
            [](RawArchive& a) { a.area[a.records.back().offset - 12 + 8 + 4] ^= 0xFF; }, DMResult::CorruptData);

    // Name lists that do not match the directory or themselves.
    auto withList = [&](std::string what, const Bytes& list, int lengthDelta = 0, int expected = DMResult::NotArchive) {
        changed(std::move(what), [&](RawArchive& a) {
            a.area.resize(a.records.back().offset - 12);
            a.records.back().offset = a.Append(PackBlocks(list));
            a.records.back().length = static_cast<std::uint32_t>(list.size() + lengthDelta);
        }, expected);
    };
    const Bytes good = NameList({"a", "b", "c"});
    withList("too many names", NameList({"a", "b", "c", "d"}));
    withList("too few names", NameList({"a", "b"}));
    withList("record longer than the list", good, +1, DMResult::CorruptData);
    withList("record shorter than the list", good, -1, DMResult::CorruptData);
    Bytes trailing = good;
    trailing.push_back('x');
    withList("a byte after the last name", trailing);
    Bytes noNul = good;
    noNul.back() = 'c';
    withList("last name without NUL", noNul);
    withList("last name runs past the end", Bytes(good.begin(), good.end() - 4));
    // A first name of length 0 would end inside its own length word; read as
    // an empty name, the list would hold three names.
    Bytes zeroLength = NameList({"a", "b"});
    SetWordAt(zeroLength, 0, 3);
    zeroLength.insert(zeroLength.begin() + 4, 4, 0);
    withList("zero name length", zeroLength);

    withList("the same list, sound", good, 0, DMResult::Success);
    for (const Case& c : cases) {
        if (c.headerFault) {
            WriteFile(path, c.file);
            EXPECT_EQ(archive.CheckFile(path.c_str()), c.expected) << c.what;
        }
        EXPECT_EQ(LoadBytes(c.file), c.expected) << c.what;
    }
}

TEST_F(Reader, NamesEntriesInDataOrderWhateverTheDirectoryOrder)
{
    for (bool reverse : {false, true}) {  // reversed: the name list at slot 0, entry i at 3 - i
        ASSERT_EQ(LoadBytes(MakeArchive(ThreeEntries(), reverse).Serialize()), DMResult::Success);
        std::vector<EntryState> expected;
        for (const PlainEntry& e : ThreeEntries())
            expected.push_back({e.name, e.data, e.checkSum, reverse ? 3 - unsigned(expected.size()) : unsigned(expected.size())});
        EXPECT_EQ(Snapshot(archive), expected) << reverse;
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
    raw.records = {{1, dataOffset, 7}, {2, dataOffset, 0}, {3, dataOffset, 0},
                   {4, listOffset, static_cast<std::uint32_t>(list.size())}};
    ASSERT_EQ(LoadBytes(raw.Serialize()), DMResult::Success);
    EXPECT_EQ(Snapshot(archive), (std::vector<EntryState>{{"empty-high", {}, 3, 2, DMResult::Success},
                                                          {"empty-low", {}, 2, 1, DMResult::Success},
                                                          {"data", ToBytes("payload"), 1, 0, DMResult::Success}}));
}

TEST_F(Reader, LoadsAgainWithoutAPathOnceChecked)
{
    const Bytes file = MakeArchive(ThreeEntries()).Serialize();
    WriteFile(path, file);
    ASSERT_EQ(archive.CheckFile(path.c_str()), DMResult::Success);
    for (int load = 0; load < 2; ++load) {  // a second load re-reads the same file
        ASSERT_EQ(archive.Load(nullptr), DMResult::Success);
        EXPECT_EQ(archive.GetNumEntries(), 3u);
    }
    // A failed load keeps the failing path: the next load looks at it again.
    const std::string other = dir.File("other.dat");
    WriteFile(other, Bytes(5, 0));
    EXPECT_EQ(archive.Load(other.c_str()), DMResult::NotArchive);
    WriteFile(other, file);
    EXPECT_EQ(archive.Load(nullptr), DMResult::Success);
}

TEST_F(Reader, LeavesEntriesPackedUntilAsked)
{
    std::vector<PlainEntry> entries = ThreeEntries();
    entries[1].corrupt = true;
    ASSERT_EQ(LoadBytes(MakeArchive(entries).Serialize()), DMResult::Success);
    std::vector<int> results;
    for (const EntryState& state : Snapshot(archive))
        results.push_back(state.dataResult);
    EXPECT_EQ(results, (std::vector<int>{DMResult::Success, DMResult::CorruptData, DMResult::Success}));
}

}  // namespace
