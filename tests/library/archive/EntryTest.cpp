// One entry on its own: its checksum, the block codec, the forms of its data,
// and file transfer.
#include "ArchiveSuite.h"

#include "archive/CheckSum.h"

#include <filesystem>

#include <zlib.h>

using namespace archivetest;

namespace {

Bytes Packed(const DMDataFileEntry& entry)
{
    Bytes packed(1 << 20);
    auto size = static_cast<unsigned>(packed.size());
    EXPECT_EQ(entry.GetPackedData(packed.data(), size), DMResult::Success);
    packed.resize(size);
    return packed;
}

int Unpack(const DMDataFileEntry& entry, Bytes& out)
{
    out.assign(entry.GetLength(), 0xEE);
    return entry.GetData(out.data());
}

// zlib's crc32 is the reference: same value over every byte value, and a
// checksum taken in two pieces, the second seeded with the first, is the whole.
TEST(EntryCodec, CheckSumMatchesZlibWholeAndInPieces)
{
    const Bytes data = PatternBytes(4096, 7);
    const auto whole = static_cast<unsigned>(crc32(0, data.data(), 4096));
    EXPECT_EQ(CheckSum(data.data(), 4096, 0), whole);
    EXPECT_EQ(CheckSum(data.data() + 1000, 3096, CheckSum(data.data(), 1000, 0)), whole);
    EXPECT_EQ(CheckSum(data.data(), 0, 0xDEADBEEFu), 0xDEADBEEFu) << "no bytes: the seed comes back";
}

TEST(EntryCodec, PacksLevel9BlocksOf8192IntoExactlyTheirRoomAndInflatesThemBack)
{
    for (std::size_t size : {1u, 8191u, 8192u, 8193u, 3 * 8192u + 5}) {
        const Bytes plain = PatternBytes(size, 1, 7);  // compressible, not trivially
        DMDataFileEntry fresh;
        fresh.SetData(plain.data(), static_cast<unsigned>(plain.size()));
        const Bytes packed = Packed(fresh);
        EXPECT_EQ(packed, PackBlocks(plain)) << size;
        const DMDataFileEntry view = ViewOf(packed, static_cast<unsigned>(size));
        const DMDataFileEntry* const both[] = {&fresh, &view};  // deflated into the room, or copied out
        for (const DMDataFileEntry* entry : both) {
            Bytes dest(packed.size());
            auto room = static_cast<unsigned>(packed.size() - 1);
            EXPECT_EQ(entry->GetPackedData(dest.data(), room), DMResult::BufferTooSmall) << size;
            EXPECT_EQ(room, packed.size() - 1) << "size is left alone on failure";
        }
        EXPECT_EQ(Packed(view), packed);
        Bytes unpacked;
        EXPECT_EQ(Unpack(view, unpacked), DMResult::Success);
        EXPECT_EQ(unpacked, plain) << size;
    }
}

TEST(EntryCodec, ReportsCorruptBlocks)
{
    const Bytes plain = PatternBytes(9000, 1, 7);
    const Bytes packed = PackBlocks(plain);  // blocks of 8192 and 808
    const std::size_t second = PackBlocks(Bytes(plain.begin(), plain.begin() + 8192)).size();
    auto with = [&](auto change) {
        Bytes bytes = packed;
        change(bytes);
        return bytes;
    };
    const struct {
        const char* what;
        Bytes packed;
        unsigned length = 9000;
    } cases[] = {
        {"a byte after the blocks", with([](Bytes& b) { b.push_back(0); })},
        {"first block claims 8447 bytes", with([](Bytes& b) { b[4] = 0xFF; })},
        {"U exceeds what is left", packed, 8500},
        {"blocks run out early", packed, 9001},
        {"length 0, view not empty", packed, 0},
        {"S near 4 GiB must not wrap", with([](Bytes& b) { b[3] = 0xFF; })},
        {"damaged first stream", PackBlocks(plain, true)},
        {"a header without stream bytes", Bytes(packed.begin(), packed.begin() + 8)},
        {"damaged second stream", with([&](Bytes& b) { b[second + 8 + 3] ^= 0xFF; })},
    };
    Bytes out;
    for (const auto& c : cases) {
        EXPECT_EQ(ViewOf(c.packed, c.length).ReadData(nullptr, nullptr), DMResult::CorruptData) << c.what;
        EXPECT_EQ(Unpack(ViewOf(c.packed, c.length), out), DMResult::CorruptData) << c.what;
    }
    // What the blocks before the fault produced stays in the caller's buffer.
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 8192, out.begin()));
    // SaveData never inflates an entry of length 0: it is an empty file.
    TempDir dir;
    EXPECT_EQ(ViewOf(packed, 0).SaveData(dir.File("empty").c_str()), DMResult::Success);
    EXPECT_TRUE(ReadFile(dir.File("empty")).empty());
}

TEST(EntryData, NoDataMeansNothingWritten)
{
    DMDataFileEntry entry;
    unsigned char dest[4] = {1, 2, 3, 4};
    EXPECT_EQ(entry.GetData(dest), DMResult::Success);
    EXPECT_EQ(dest[0], 1);
    entry.SetData("x", 1);
    entry.SetData(nullptr, 5);
    EXPECT_EQ(entry.GetLength(), 0u);
    // A claimed length with nothing behind it, or more than a tiny extent can
    // inflate to, is reported before any buffer or file of that size is made.
    TempDir dir;
    entry.SetLength(4);
    EXPECT_EQ(entry.GetData(dest), DMResult::CorruptData);
    EXPECT_EQ(entry.SaveData(dir.File("x").c_str()), DMResult::CorruptData);
    EXPECT_EQ(ViewOf(PackBlocks(ToBytes("tiny")), 0xFFFFFFF0u).SaveData(dir.File("x").c_str()), DMResult::CorruptData);
    EXPECT_TRUE(dir.List().empty());
}

TEST(EntryData, TheUnpackedCopyWinsAndFollowsTheLength)
{
    const Bytes packed = PackBlocks(ToBytes("packed bytes"));
    Bytes base(100, 0);
    base.insert(base.end(), packed.begin(), packed.end());
    DMDataFileEntry entry = ViewOf(base, 12);
    entry.SetOffset(100);  // a new offset drops the view until it is set again
    EXPECT_EQ(entry.GetPackedLength(), 0u);
    entry.SetPackedData(base.data(), static_cast<unsigned>(packed.size()));
    Bytes out;
    EXPECT_EQ(Unpack(entry, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("packed bytes")) << "the view starts at the offset";

    entry.SetData("abcdef", 6);
    entry.SetPackedData(base.data(), static_cast<unsigned>(packed.size()));  // a view set later loses too
    for (auto [length, expected] : {std::pair<unsigned, Bytes>{3, ToBytes("abc")}, {5, Bytes{'a', 'b', 'c', 0, 0}}}) {
        entry.SetLength(length);
        EXPECT_EQ(Unpack(entry, out), DMResult::Success);
        EXPECT_EQ(out, expected) << length;
        EXPECT_EQ(Packed(entry), PackBlocks(expected)) << length;
    }
}

TEST(EntryData, CopiesOwnTheirBuffers)
{
    DMDataFileEntry original;
    original.SetName("name");
    original.SetData("payload", 7);
    DMDataFileEntry copy(original);
    original.SetData("other", 5);  // frees the original's buffer
    DMDataFileEntry assigned;
    assigned.SetData("to be replaced", 14);  // freed by the assignment
    assigned = copy;
    copy.SetData(nullptr, 0);
    DMDataFileEntry& self = assigned;
    assigned = self;
    Bytes out;
    EXPECT_EQ(Unpack(assigned, out), DMResult::Success);
    EXPECT_EQ(out, ToBytes("payload"));
    EXPECT_STREQ(assigned.GetName(), "name");
}

TEST(EntryFiles, LoadAndSaveWholeFiles)
{
    TempDir dir;
    const Bytes content = PatternBytes(20000, 9, 7);
    WriteFile(dir.File("in.bin"), content);
    DMDataFileEntry entry;
    entry.SetName("kept");
    ASSERT_EQ(entry.LoadData(dir.File("in.bin").c_str()), DMResult::Success);
    EXPECT_STREQ(entry.GetName(), "kept");
    ASSERT_EQ(entry.SaveData(dir.File("out.bin").c_str()), DMResult::Success);
    EXPECT_EQ(ReadFile(dir.File("out.bin")), content);

    // Failed loads leave the entry as it was; a 4 GiB sparse file is not read at all.
    const std::string huge = dir.File("huge");
    WriteFile(huge, Bytes());
    std::filesystem::resize_file(huge, 0x100000000ULL);
    EXPECT_EQ(entry.LoadData(huge.c_str()), DMResult::ShortRead);
    std::filesystem::remove(huge);
    for (const std::string& bad : {dir.File("missing"), dir.Path()})
        EXPECT_EQ(entry.LoadData(bad.c_str()), DMResult::CannotOpen) << bad;
    EXPECT_EQ(entry.LoadData(nullptr), DMResult::CannotOpen);
    EXPECT_EQ(entry.GetLength(), content.size());
    // An empty file loads as no data, and no data empties the file it is saved to.
    WriteFile(dir.File("empty"), Bytes());
    ASSERT_EQ(entry.LoadData(dir.File("empty").c_str()), DMResult::Success);
    ASSERT_EQ(entry.SaveData(dir.File("in.bin").c_str()), DMResult::Success);
    EXPECT_TRUE(ReadFile(dir.File("in.bin")).empty());

    // Packed data is inflated on the way out; damaged data leaves the old file.
    ASSERT_EQ(ViewOf(PackBlocks(content), 20000).SaveData(dir.File("inflated.bin").c_str()), DMResult::Success);
    EXPECT_EQ(ReadFile(dir.File("inflated.bin")), content);
    EXPECT_EQ(ViewOf(PackBlocks(content, true), 20000).SaveData(dir.File("inflated.bin").c_str()),
              DMResult::CorruptData);
    EXPECT_EQ(ReadFile(dir.File("inflated.bin")), content);
    EXPECT_EQ((std::vector<std::string>{"empty", "in.bin", "inflated.bin", "out.bin"}), dir.List());
}

}  // namespace
