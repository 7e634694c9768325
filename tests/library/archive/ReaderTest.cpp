// Checking and loading: every refusal of the reader, and how entries are
// ordered and named.
#include "ArchiveSuite.h"

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace archivetest;

namespace {

const std::vector<PlainEntry> kThree = {{"first.txt", ToBytes("the first entry"), 11},
                                        {"second.bin", Bytes(10000, 0x5A), 22},
                                        {"third", ToBytes("3"), 33}};

class Reader : public ::testing::Test {
protected:
    // Loads the bytes over a container that held a signed archive; a failed
    // load must leave it empty, without a signature.
    int LoadBytes(const Bytes& bytes)
    {
        RawArchive signedArchive = MakeArchive(kThree);
        signedArchive.signature = ToBytes("SIGNATURE");
        signedArchive.WriteTo(path);
        EXPECT_EQ(archive.Load(path.c_str()), DMResult::Success);
        WriteFile(path, bytes);
        const int result = archive.Load(path.c_str());
        unsigned length = 1;
        const bool empty = archive.GetNumEntries() == 0 && !archive.GetSignature(length) && length == 0;
        EXPECT_TRUE(result == DMResult::Success || empty) << "a failed load leaves nothing behind";
        return result;
    }

    TempDir dir;
    std::string path = dir.File("archive.dat");
    DMDataFile archive{nullptr};
};

TEST_F(Reader, CheckFileReportsPathAndHeaderFaultsAndLoadKeepsTheLastPath)
{
    EXPECT_EQ(archive.CheckFile(nullptr), DMResult::NoPath);
    EXPECT_EQ(archive.Load(nullptr), DMResult::NoPath);
    EXPECT_EQ(archive.CheckFile(dir.File("missing").c_str()), DMResult::CannotOpen);
#ifndef _WIN32
    // A pipe without a writer is refused at once, never waited on.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    DMDataFileEntry entry;
    EXPECT_EQ(archive.CheckFile(fifo.c_str()), DMResult::CannotOpen);
    EXPECT_EQ(archive.Load(fifo.c_str()), DMResult::CannotOpen);
    EXPECT_EQ(entry.LoadData(fifo.c_str()), DMResult::CannotOpen);
    ::unlink(fifo.c_str());
#endif
    const Bytes valid = MakeArchive(kThree).Serialize();
    for (std::size_t size : {0u, 7u, 8u, 11u}) {
        WriteFile(path, Bytes(valid.begin(), valid.begin() + size));
        EXPECT_EQ(archive.CheckFile(path.c_str()), size < 8 ? DMResult::NotArchive : DMResult::ShortRead) << size;
    }
    // A sound header at the front of a sparse file just past the 32-bit range.
    RawArchive().WriteTo(path);
    std::filesystem::resize_file(path, 0x100000010ULL);
    EXPECT_EQ(archive.CheckFile(path.c_str()), DMResult::NotArchive);
    EXPECT_EQ(archive.Load(path.c_str()), DMResult::NotArchive);
    RawArchive().WriteTo(path);  // a sound header, but no records and so no name list
    EXPECT_EQ(archive.CheckFile(path.c_str()), DMResult::Success);
    EXPECT_EQ(archive.Load(nullptr), DMResult::NotArchive) << "loads what CheckFile was given";
    // A failed load keeps the failing path: the next load looks at it again.
    const std::string other = dir.File("other.dat");
    WriteFile(other, Bytes(5, 0));
    EXPECT_EQ(archive.Load(other.c_str()), DMResult::NotArchive);
    WriteFile(other, valid);
    EXPECT_EQ(archive.Load(nullptr), DMResult::Success);
    EXPECT_EQ(archive.GetNumEntries(), 3u);
}

TEST_F(Reader, RefusesEveryBrokenLayout)
{
    const RawArchive valid = MakeArchive(kThree);
    const auto size = static_cast<std::uint32_t>(valid.Serialize().size());
    const auto d = static_cast<std::uint32_t>(valid.CountOffset());
    struct Case {
        std::string what;
        Bytes file;
        int expected;
    };
    std::vector<Case> cases;
    auto changed = [&](std::string what, auto change, int expected = DMResult::NotArchive) {
        RawArchive archive = valid;
        change(archive);
        cases.push_back({std::move(what), archive.Serialize(), expected});
    };
    // Header faults come first: CheckFile must see them too.
    changed("bad magic", [](RawArchive& a) { a.magic ^= 1; });
    for (std::uint32_t version : {0x00010000u, 0x00020001u})
        changed("version " + std::to_string(version), [=](RawArchive& a) { a.version = version; });
    for (std::uint32_t offset : {11u, size - 3})
        changed("directory offset " + std::to_string(offset), [=](RawArchive& a) { a.directoryOffset = offset; });
    const std::size_t headerFaults = cases.size();

    // 0x40000004 records would take 48 bytes, as the real 4 do, if 12 x N wrapped.
    for (std::uint32_t count : {0x40000004u, 3u}) {
        Bytes file = valid.Serialize();
        SetWordAt(file, d, count);
        cases.push_back({"record count " + std::to_string(count), file, DMResult::NotArchive});
    }
    for (std::uint32_t offset : {11u, d + 1})
        changed("record offset " + std::to_string(offset), [=](RawArchive& a) { a.records[1].offset = offset; });
    // An empty extent at D comes last, so it is taken for the name list, which is then empty.
    changed("empty entry at D", [=](RawArchive& a) { a.records[0] = {0, d, 0}; });
    changed("4 GiB name list from a few packed bytes", [](RawArchive& a) { a.records.back().length = 0xFFFFFFF0u; });
    changed("damaged name list stream",
            [](RawArchive& a) { a.area[a.records.back().offset - 12 + 8 + 4] ^= 0xFF; }, DMResult::CorruptData);
    changed("a damaged entry, inflated only when asked", [](RawArchive& a) { a.area[8 + 4] ^= 0xFF; }, DMResult::Success);
    changed("a byte after the name list's last block", [](RawArchive& a) { a.area.push_back(0); }, DMResult::CorruptData);
    for (std::size_t length : {1u, 8u, 10u})  // a signature is 9 bytes or none
        changed(std::to_string(length) + "-byte signature", [=](RawArchive& a) { a.signature.assign(length, 0xA0); });

    // Name lists that do not match the directory or themselves.
    auto withList = [&](std::string what, const Bytes& list, int lengthDelta = 0, int expected = DMResult::NotArchive) {
        changed(std::move(what), [&](RawArchive& a) {
            a.area.resize(a.records.back().offset - 12);
            a.records.back().offset = a.Append(PackBlocks(list));
            a.records.back().length = static_cast<std::uint32_t>(list.size() + lengthDelta);
        }, expected);
    };
    const Bytes good = NameList({"a", "b", "c"});
    withList("the same list, sound", good, 0, DMResult::Success);
    withList("too many names", NameList({"a", "b", "c", "d"}));
    withList("record longer than the list", good, +1, DMResult::CorruptData);
    withList("record shorter than the list", good, -1, DMResult::CorruptData);
    Bytes trailing = good;
    trailing.push_back('x');
    withList("a byte after the last name", trailing);
    Bytes noNul = good;
    noNul.back() = 'c';
    withList("last name without NUL", noNul);
    for (int cut : {1, 4})  // the name, then even its length word, runs past the end
        withList("list cut by " + std::to_string(cut), Bytes(good.begin(), good.end() - cut));
    // A first name of length 0 would end inside its own length word; read as
    // an empty name, the list would hold three names.
    Bytes zeroLength = NameList({"a", "b"});
    SetWordAt(zeroLength, 0, 3);
    zeroLength.insert(zeroLength.begin() + 4, 4, 0);
    withList("zero name length", zeroLength);

    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (i < headerFaults) {
            WriteFile(path, cases[i].file);
            EXPECT_EQ(archive.CheckFile(path.c_str()), cases[i].expected) << cases[i].what;
        }
        EXPECT_EQ(LoadBytes(cases[i].file), cases[i].expected) << cases[i].what;
        DMDataFile indexed(nullptr);  // reading only the directory refuses the same
        EXPECT_EQ(indexed.LoadIndex(path.c_str()), cases[i].expected) << cases[i].what;
        EXPECT_EQ(Results(indexed), Results(archive)) << cases[i].what;
    }
}

TEST_F(Reader, NamesEntriesInDataOrderWhateverTheDirectoryOrder)
{
    for (bool reverse : {false, true}) {  // reversed: the name list at slot 0, entry i at 3 - i
        ASSERT_EQ(LoadBytes(MakeArchive(kThree, reverse).Serialize()), DMResult::Success);
        std::vector<EntryState> expected;
        for (unsigned i = 0; i < 3; ++i)
            expected.push_back({kThree[i].name, kThree[i].data, kThree[i].checkSum, reverse ? 3 - i : i});
        EXPECT_EQ(Snapshot(archive), expected) << reverse;
    }
}

}  // namespace
