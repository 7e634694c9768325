// Reading an archive without its data area, streaming an entry's data, and
// deleting many entries at once.
#include "ArchiveSuite.h"

#include <thread>
#include <unistd.h>

using namespace archivetest;

namespace {

std::vector<PlainEntry> MixedEntries()
{
    return {{"text", PatternBytes(20000, 1, 7), 1}, {"empty", {}, 2},  {"noise", PatternBytes(9000, 2), 3},
            {"one", ToBytes("x"), 4},               {"block", PatternBytes(8192, 3, 5), 5}};
}

struct Collected {
    Bytes bytes;
    std::size_t largestPiece = 0;
    int stopWith = 0;
};

int Collect(void* context, const void* bytes, unsigned length)
{
    auto* into = static_cast<Collected*>(context);
    const auto* first = static_cast<const unsigned char*>(bytes);
    into->bytes.insert(into->bytes.end(), first, first + length);
    into->largestPiece = std::max<std::size_t>(into->largestPiece, length);
    return into->stopWith;
}

// An archive on disk, opened by index.
class Indexed : public ::testing::Test {
protected:
    void Open(const std::vector<PlainEntry>& entries, bool reverseDirectory = false)
    {
        MakeArchive(entries, reverseDirectory).WriteTo(path);
        ASSERT_EQ(archive.LoadIndex(path.c_str()), DMResult::Success);
    }

    TempDir dir;
    std::string path = dir.File("game.dat");
    DMDataFile archive{nullptr};
};

// (That it refuses what Load refuses is checked with the reader's layouts.)
TEST(LoadIndex, HoldsWhatLoadHolds)
{
    TempDir dir;
    RawArchive raw = MakeArchive(MixedEntries(), true);
    raw.signature = ToBytes("SIGNATURE");
    const std::string good = dir.File("good.dat");
    raw.WriteTo(good);
    DMDataFile loaded(nullptr), indexed(nullptr);
    ASSERT_EQ(loaded.Load(good.c_str()), DMResult::Success);
    ASSERT_EQ(indexed.LoadIndex(good.c_str()), DMResult::Success);
    EXPECT_EQ(Snapshot(indexed), Snapshot(loaded));
    unsigned length = 0;
    const auto* signature = static_cast<const unsigned char*>(indexed.GetSignature(length));
    EXPECT_EQ(Bytes(signature, signature + length), raw.signature);
}

TEST_F(Indexed, AddAndDeleteSavedOverItsOwnFile)
{
    const std::vector<PlainEntry> entries = MixedEntries();
    Open(entries, true);
    const Bytes plain = PatternBytes(10000, 9, 3);
    archive.GetEntry(archive.AddEntry())->SetData(plain.data(), static_cast<unsigned>(plain.size()));
    archive.DelEntry(0);
    ASSERT_EQ(archive.Save(nullptr), DMResult::Success);

    // Unchanged entries were copied from the very file being replaced.
    const std::vector<EntryState> expected = Reload(path);
    ASSERT_EQ(expected.size(), 5u);
    for (unsigned i = 1; i < entries.size(); ++i)
        EXPECT_EQ(expected[i - 1].data, entries[i].data) << i;
    EXPECT_EQ(expected[4].data, plain);
    EXPECT_EQ(Snapshot(archive, true), expected) << "the container reads the new file";
#ifdef _WIN32
    // Windows lists the replaced file, under a name of its own, until the last
    // handle on it closes: loading again lets the container's go.
    ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success);
#endif
    EXPECT_EQ(dir.List(), std::vector<std::string>{"game.dat"});
}

TEST_F(Indexed, ASourceThatShrankIsReportedAsUnreadable)
{
    Open(MixedEntries());
    ASSERT_EQ(::truncate(path.c_str(), 20), 0);
    Collected collected;
    EXPECT_EQ(archive.GetEntry(0)->ReadData(Collect, &collected), DMResult::ShortRead);
    EXPECT_EQ(Snapshot(archive)[0].dataResult, DMResult::ShortRead);
    const std::string copy = dir.File("copy.dat");
    EXPECT_EQ(archive.Save(copy.c_str()), DMResult::ShortRead);
    EXPECT_FALSE(FileExists(copy));
}

TEST(ReadData, StreamsInBoundedPiecesAndStopsWhenTheSinkSaysSo)
{
    // One block that claims, and really holds, 48 MiB: it arrives in pieces.
    const Bytes zeros(48u << 20, 0);
    const Bytes packed = Block(Deflate(zeros, 1), static_cast<std::uint32_t>(zeros.size()));
    const DMDataFileEntry entry = ViewOf(packed, static_cast<unsigned>(zeros.size()));
    Collected collected;
    ASSERT_EQ(entry.ReadData(Collect, &collected), DMResult::Success);
    EXPECT_TRUE(collected.bytes == zeros);
    EXPECT_LE(collected.largestPiece, 1u << 20);

    Collected stopping;
    stopping.stopWith = 42;
    EXPECT_EQ(entry.ReadData(Collect, &stopping), 42);
    EXPECT_EQ(stopping.bytes.size(), stopping.largestPiece) << "nothing after the refusal";
}

TEST_F(Indexed, DistinctEntriesReadFromSeveralThreads)
{
    std::vector<PlainEntry> entries;
    for (unsigned i = 0; i < 16; ++i)
        entries.push_back({std::string("e").append(std::to_string(i)), PatternBytes(30000 + i * 1000, i, i % 3 ? 6 : 0)});
    Open(entries);
    std::vector<Collected> read(entries.size());
    std::vector<int> results(entries.size(), -2);
    std::vector<std::thread> readers;
    for (unsigned t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            for (unsigned i = t; i < entries.size(); i += 4)
                results[i] = archive.GetEntry(i)->ReadData(Collect, &read[i]);
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    for (unsigned i = 0; i < entries.size(); ++i)
        EXPECT_TRUE(results[i] == DMResult::Success && read[i].bytes == entries[i].data) << i;
}

// Slots and deletion marks, to set DelEntries against DelEntry one position at a time.
std::vector<std::pair<unsigned, bool>> Slots(DMDataFile& file)
{
    std::vector<std::pair<unsigned, bool>> slots;
    for (unsigned i = 0; i < file.GetNumEntries(); ++i)
        slots.emplace_back(file.GetEntry(i)->GetIndex(), file.GetEntry(i)->Deleted());
    return slots;
}

TEST(DelEntries, DeletesExactlyAsDelEntryInTurn)
{
    TempDir dir;
    const std::string path = dir.File("game.dat");
    std::vector<PlainEntry> entries;
    for (unsigned i = 0; i < 12; ++i)
        entries.push_back({std::string("e").append(std::to_string(i)), {}});
    MakeArchive(entries, true).WriteTo(path);
    // Mixed, and (the directory being reversed) descending and ascending directory order.
    const std::vector<std::vector<unsigned>> lists = {{7, 2, 11, 2, 40, 0, 9, 12, 5}, {0, 2, 5, 9}, {9, 5, 2, 0}};
    for (const std::vector<unsigned>& positions : lists) {
        for (bool oddIndices : {false, true}) {
            DMDataFile together(nullptr), inTurn(nullptr);
            for (DMDataFile* file : {&together, &inTurn}) {
                ASSERT_EQ(file->Load(path.c_str()), DMResult::Success);
                file->DelEntry(3);
                if (oddIndices)  // two entries sharing a slot: only the slow path can mimic DelEntry
                    file->GetEntry(4)->SetIndex(file->GetEntry(6)->GetIndex());
            }
            together.DelEntries(positions.data(), static_cast<unsigned>(positions.size()));
            for (unsigned position : positions)
                inTurn.DelEntry(position);
            EXPECT_EQ(Slots(together), Slots(inTurn)) << positions.size() << " " << oddIndices;
            EXPECT_EQ(together.GetEntry(together.AddEntry())->GetIndex(),
                      inTurn.GetEntry(inTurn.AddEntry())->GetIndex());
        }
    }
}

}  // namespace
