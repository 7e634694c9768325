// One entry on its own: the block codec, the forms of its data, and file transfer.
#include "ArchiveTestSupport.h"

#include "archive/DMDataFileEntry.h"
#include "archive/DMResultCodes.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace archivetest;

namespace {

Bytes Pattern(std::size_t size, unsigned seed = 1)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<unsigned char>(random() % 7 + 'a');  // compressible, not trivially
    return bytes;
}

Bytes Packed(const DMDataFileEntry& entry, unsigned room = 1 << 20)
{
    Bytes packed(room);
    unsigned size = room;
    EXPECT_EQ(entry.GetPackedData(packed.data(), size), DMResult::Success);
    packed.resize(size);
    return packed;
}

// An entry viewing `packed` as its blocks, claiming `length` plain bytes.
DMDataFileEntry ViewOf(const Bytes& packed, unsigned length)
{
    DMDataFileEntry entry;
    entry.SetLength(length);
    entry.SetOffset(0);
    entry.SetPackedData(packed.data(), static_cast<unsigned>(packed.size()));
    return entry;
}

int Unpack(const DMDataFileEntry& entry, Bytes& out)
{
    out.assign(entry.GetLength(), 0xEE);
    return entry.GetData(out.data());
}

TEST(EntryCodec, CutsBlocksAt8192PlainBytes)
{
    for (std::size_t size : {1u, 8191u, 8192u, 8193u, 3 * 8192u + 5}) {
        const Bytes plain = Pattern(size);
        DMDataFileEntry entry;
        entry.SetData(plain.data(), static_cast<unsigned>(plain.size()));
        const Bytes packed = Packed(entry);

        std::vector<std::uint32_t> blockSizes;
        std::size_t at = 0;
        while (at < packed.size()) {
            EXPECT_EQ(packed[at + 8], 0x78);
            EXPECT_EQ(packed[at + 9], 0xDA) << "level 9 streams";
            blockSizes.push_back(WordAt(packed, at + 4));
            at += 8 + WordAt(packed, at);
        }
        EXPECT_EQ(at, packed.size());
        std::vector<std::uint32_t> expected(size / 8192, 8192);
        if (size % 8192)
            expected.push_back(size % 8192);
        EXPECT_EQ(blockSizes, expected) << size;
        EXPECT_EQ(packed, PackBlocks(plain)) << "the same blocks any level-9 writer makes";

        Bytes unpacked;
        EXPECT_EQ(Unpack(ViewOf(packed, static_cast<unsigned>(size)), unpacked), DMResult::Success);
        EXPECT_EQ(unpacked, plain);
    }
}

TEST(EntryCodec, PackedCopyNeedsExactlyItsRoom)
{
    const Bytes packed = PackBlocks(Pattern(20000));
    const DMDataFileEntry entry = ViewOf(packed, 20000);
    Bytes dest(packed.size());
    unsigned size = static_cast<unsigned>(packed.size() - 1);
    EXPECT_EQ(entry.GetPackedData(dest.data(), size), DMResult::BufferTooSmall);
    EXPECT_EQ(size, packed.size() - 1) << "size is left alone on failure";
    size = static_cast<unsigned>(packed.size());
    EXPECT_EQ(entry.GetPackedData(dest.data(), size), DMResult::Success);
    EXPECT_EQ(dest, packed);

    DMDataFileEntry fresh;
    fresh.SetData(Pattern(20000).data(), 20000);
    size = 100;  // far too little room to deflate into
    EXPECT_EQ(fresh.GetPackedData(dest.data(), size), DMResult::BufferTooSmall);
    EXPECT_EQ(size, 100u);
}

TEST(EntryCodec, ReportsCorruptBlocks)
{
    const Bytes plain = Pattern(9000);
    const Bytes packed = PackBlocks(plain);  // blocks of 8192 and 808
    const std::uint32_t firstStream = WordAt(packed, 0);
    Bytes out;

    Bytes trailing = packed;
    trailing.push_back(0);
    EXPECT_EQ(Unpack(ViewOf(trailing, 9000), out), DMResult::CorruptData) << "bytes left after the blocks";

    Bytes trailingBlock = packed;
    const Bytes extra = PackBlocks(ToBytes("more"));
    trailingBlock.insert(trailingBlock.end(), extra.begin(), extra.end());
    EXPECT_EQ(Unpack(ViewOf(trailingBlock, 9000), out), DMResult::CorruptData) << "a block too many";

    Bytes wrongU = packed;
    wrongU[4] = 0xFF;  // first block claims 8447 bytes
    EXPECT_EQ(Unpack(ViewOf(wrongU, 9000), out), DMResult::CorruptData);

    EXPECT_EQ(Unpack(ViewOf(packed, 8500), out), DMResult::CorruptData) << "U exceeds what is left";
    EXPECT_EQ(Unpack(ViewOf(packed, 9001), out), DMResult::CorruptData) << "blocks run out early";
    EXPECT_EQ(Unpack(ViewOf(packed, 0), out), DMResult::CorruptData) << "length 0, view not empty";

    Bytes hugeS = packed;
    hugeS[3] = 0xFF;  // S near 4 GiB must not wrap the position
    EXPECT_EQ(Unpack(ViewOf(hugeS, 9000), out), DMResult::CorruptData);

    Bytes damaged = packed;
    damaged[8 + firstStream / 2] ^= 0x40;
    EXPECT_EQ(Unpack(ViewOf(damaged, 9000), out), DMResult::CorruptData);

    const Bytes cut(packed.begin(), packed.begin() + 8);  // a header without stream bytes
    EXPECT_EQ(Unpack(ViewOf(cut, 9000), out), DMResult::CorruptData);

    // What the blocks before the fault produced stays in the caller's buffer.
    Bytes secondDamaged = packed;
    secondDamaged[8 + firstStream + 8 + 3] ^= 0xFF;
    EXPECT_EQ(Unpack(ViewOf(secondDamaged, 9000), out), DMResult::CorruptData);
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 8192, out.begin()));
}

TEST(EntryCodec, RefusesALengthItsExtentCannotHold)
{
    const Bytes packed = PackBlocks(ToBytes("tiny"));
    // Far beyond what 12 stream bytes can inflate to: refused before any
    // buffer of that size is made.
    DMDataFileEntry entry = ViewOf(packed, 0xFFFFFFF0u);
    TempDir dir;
    EXPECT_EQ(entry.SaveData(dir.File("out").c_str()), DMResult::CorruptData);
    EXPECT_FALSE(FileExists(dir.File("out")));
}

TEST(EntryData, NoDataMeansNothingWritten)
{
    DMDataFileEntry entry;
    unsigned char dest[4] = {1, 2, 3, 4};
    EXPECT_EQ(entry.GetData(dest), DMResult::Success);
    EXPECT_EQ(dest[0], 1);
    unsigned size = 4;
    EXPECT_EQ(entry.GetPackedData(dest, size), DMResult::Success);
    EXPECT_EQ(size, 0u);

    // A claimed length with nothing behind it is reported, not left as garbage.
    entry.SetLength(4);
    EXPECT_EQ(entry.GetData(dest), DMResult::CorruptData);
    TempDir dir;
    EXPECT_EQ(entry.SaveData(dir.File("x").c_str()), DMResult::CorruptData);
    EXPECT_FALSE(FileExists(dir.File("x")));

    entry.SetData(nullptr, 5);
    EXPECT_EQ(entry.GetLength(), 0u);
    entry.SetData("abc", 0);
    EXPECT_EQ(entry.GetLength(), 0u);
}

TEST(EntryData, SetDataReplacesTheViewAndOffset)
{
    const Bytes packed = PackBlocks(ToBytes("packed bytes"));
    Bytes base(100, 0);
    base.insert(base.end(), packed.begin(), packed.end());
    DMDataFileEntry entry;
    entry.SetOffset(100);
    entry.SetPackedData(base.data(), static_cast<unsigned>(packed.size()));
    EXPECT_EQ(entry.GetPackedLength(), packed.size());
    Bytes out;
    entry.SetLength(12);
    EXPECT_EQ(Unpack(entry, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("packed bytes")) << "the view starts at the offset";

    entry.SetOffset(7);
    EXPECT_EQ(entry.GetPackedLength(), 0u) << "a new offset drops the view";

    entry.SetOffset(100);
    entry.SetPackedData(base.data(), static_cast<unsigned>(packed.size()));
    entry.SetData("new", 3);
    EXPECT_EQ(entry.GetOffset(), 0u);
    EXPECT_EQ(entry.GetPackedLength(), 0u);
    EXPECT_EQ(Unpack(entry, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("new"));
}

TEST(EntryData, UnpackedCopyWinsOverTheView)
{
    const Bytes packed = PackBlocks(ToBytes("old"));
    DMDataFileEntry entry;
    entry.SetData("new!", 4);
    entry.SetPackedData(packed.data(), static_cast<unsigned>(packed.size()));
    Bytes out;
    EXPECT_EQ(Unpack(entry, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("new!"));
    EXPECT_EQ(Packed(entry), PackBlocks(ToBytes("new!")));
}

TEST(EntryData, SetLengthKeepsTheUnpackedCopyInBounds)
{
    DMDataFileEntry entry;
    entry.SetData("abcdef", 6);
    entry.SetLength(3);
    Bytes out;
    EXPECT_EQ(Unpack(entry, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("abc"));
    entry.SetLength(5);
    EXPECT_EQ(Unpack(entry, out), DMResult::Success);
    EXPECT_EQ(out, (Bytes{'a', 'b', 'c', 0, 0}));
    EXPECT_EQ(Packed(entry), PackBlocks(out));
}

TEST(EntryData, CopiesOwnTheirBuffers)
{
    DMDataFileEntry original;
    original.SetName("name");
    original.SetCheckSum(77);
    original.SetIndex(3);
    original.SetData("payload", 7);

    DMDataFileEntry copy(original);
    original.SetData("other", 5);  // frees the original's buffer
    Bytes out;
    EXPECT_EQ(Unpack(copy, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("payload"));
    EXPECT_STREQ(copy.GetName(), "name");
    EXPECT_EQ(copy.GetCheckSum(), 77u);
    EXPECT_EQ(copy.GetIndex(), 3u);

    DMDataFileEntry assigned;
    assigned.SetData("to be replaced", 14);
    assigned = copy;
    copy.SetData(nullptr, 0);
    EXPECT_EQ(Unpack(assigned, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("payload"));

    DMDataFileEntry& self = assigned;
    assigned = self;
    EXPECT_EQ(Unpack(assigned, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("payload"));
}

TEST(EntryFiles, LoadAndSaveWholeFiles)
{
    TempDir dir;
    const Bytes content = Pattern(20000, 9);
    WriteFile(dir.File("in.bin"), content);

    DMDataFileEntry entry;
    entry.SetName("kept");
    entry.SetCheckSum(5);
    entry.Delete();
    ASSERT_EQ(entry.LoadData(dir.File("in.bin").c_str()), DMResult::Success);
    EXPECT_EQ(entry.GetLength(), content.size());
    EXPECT_STREQ(entry.GetName(), "kept");
    EXPECT_EQ(entry.GetCheckSum(), 5u);
    EXPECT_TRUE(entry.Deleted());
    ASSERT_EQ(entry.SaveData(dir.File("out.bin").c_str()), DMResult::Success);
    EXPECT_EQ(ReadFile(dir.File("out.bin")), content);

    // Failed loads leave the entry as it was.
    EXPECT_EQ(entry.LoadData(dir.File("missing").c_str()), DMResult::CannotOpen);
    EXPECT_EQ(entry.LoadData(nullptr), DMResult::CannotOpen);
    EXPECT_EQ(entry.LoadData(dir.Path().c_str()), DMResult::CannotOpen);
    EXPECT_EQ(entry.GetLength(), content.size());
    EXPECT_EQ(entry.SaveData(nullptr), DMResult::CannotOpen);
    EXPECT_EQ(entry.SaveData(dir.File("no/such/dir").c_str()), DMResult::CannotOpen);
    EXPECT_EQ(entry.SaveData(dir.Path().c_str()), DMResult::CannotOpen);

    // Packed data is inflated on the way out.
    const Bytes packed = PackBlocks(content);
    ASSERT_EQ(ViewOf(packed, 20000).SaveData(dir.File("inflated.bin").c_str()), DMResult::Success);
    EXPECT_EQ(ReadFile(dir.File("inflated.bin")), content);
    Bytes damaged = packed;
    damaged[30] ^= 0xFF;
    EXPECT_EQ(ViewOf(damaged, 20000).SaveData(dir.File("inflated.bin").c_str()), DMResult::CorruptData);
    EXPECT_EQ(ReadFile(dir.File("inflated.bin")), content) << "a failed save leaves the old file";

    EXPECT_EQ((std::vector<std::string>{"in.bin", "inflated.bin", "out.bin"}), dir.List());
}

TEST(EntryFiles, AnEmptyFileGivesAnEmptyEntry)
{
    TempDir dir;
    WriteFile(dir.File("empty"), {});
    DMDataFileEntry entry;
    entry.SetData("x", 1);
    ASSERT_EQ(entry.LoadData(dir.File("empty").c_str()), DMResult::Success);
    EXPECT_EQ(entry.GetLength(), 0u);
    unsigned char room[16];
    unsigned size = sizeof room;
    EXPECT_EQ(entry.GetPackedData(room, size), DMResult::Success);
    EXPECT_EQ(size, 0u);
    WriteFile(dir.File("out"), ToBytes("old"));
    ASSERT_EQ(entry.SaveData(dir.File("out").c_str()), DMResult::Success);
    EXPECT_TRUE(ReadFile(dir.File("out")).empty());
}

TEST(EntryFiles, RefusesAFileTooLargeForTheFormat)
{
    // A sparse file of 4 GiB takes no disk space and must not be read into memory.
    TempDir dir;
    const std::string path = dir.File("huge");
    WriteFile(path, {});
    ASSERT_EQ(::truncate(path.c_str(), 0x100000000LL), 0);
    DMDataFileEntry entry;
    entry.SetData("kept", 4);
    EXPECT_EQ(entry.LoadData(path.c_str()), DMResult::ShortRead);
    EXPECT_EQ(entry.GetLength(), 4u);
}

}  // namespace
