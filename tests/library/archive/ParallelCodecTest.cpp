// The codec's internals: packing on several threads and the two inflaters.
#include "ArchiveSuite.h"

#include "archive/BlockCodec.h"
#include "archive/ParallelPack.h"

using namespace archivetest;
using namespace tomelens::archive;

namespace {

TEST(ParallelPack, SavesTheSameBytesWithAnyNumberOfThreads)
{
    TempDir dir;
    const std::vector<std::size_t> sizes = {0, 1, 8191, 8192, 8193, 300000, 5, 8192 * 40 + 17};
    Bytes reference;
    std::vector<Bytes> plains;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        plains.push_back(PatternBytes(sizes[i], static_cast<unsigned>(i), i % 2 ? 0 : 5));
    for (unsigned threads : {1u, 2u, 8u}) {
        SetPackThreadCount(threads);
        DMDataFile archive(nullptr);
        archive.AddEntry();
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            DMDataFileEntry* entry = archive.GetEntry(archive.AddEntry());
            entry->SetName(("e" + std::to_string(i)).c_str());
            entry->SetData(plains[i].data(), static_cast<unsigned>(plains[i].size()));
        }
        const std::string path = dir.File("t" + std::to_string(threads));
        ASSERT_EQ(archive.Save(path.c_str()), DMResult::Success);
        if (threads == 1) {
            reference = ReadFile(path);
        } else {
            EXPECT_TRUE(ReadFile(path) == reference) << threads << " threads";
        }
    }
    SetPackThreadCount(0);
    const std::vector<EntryState> reloaded = Reload(dir.File("t8"));
    ASSERT_EQ(reloaded.size(), sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i)
        EXPECT_TRUE(reloaded[i].data == plains[i]) << i;
}

TEST(Inflaters, AcceptAndRefuseTheSameStreams)
{
    if (!HasLibdeflate())
        GTEST_SKIP() << "built without libdeflate";
    const Bytes plain = PatternBytes(8192, 3, 9);
    const Bytes stream = Deflate(plain);
    auto with = [&](auto change) {
        Bytes bytes = stream;
        change(bytes);
        return bytes;
    };
    auto flipped = [&](std::size_t at, unsigned char mask) {
        Bytes bytes = stream;
        bytes.at(at) ^= mask;
        return bytes;
    };
    const struct {
        const char* what;
        Bytes stream;
        std::size_t plainSize;
        bool valid;
    } cases[] = {
        {"level 9", stream, plain.size(), true},
        {"level 1", Deflate(plain, 1), plain.size(), true},
        {"empty", Deflate({}), 0, true},
        {"garbage after the stream", with([](Bytes& b) { b.insert(b.end(), {1, 2, 3, 4}); }), plain.size(), true},
        {"one byte more claimed", stream, plain.size() + 1, false},
        {"one byte less claimed", stream, plain.size() - 1, false},
        {"truncated trailer", with([](Bytes& b) { b.pop_back(); }), plain.size(), false},
        {"truncated data", with([](Bytes& b) { b.resize(b.size() / 2); }), plain.size(), false},
        {"damaged Adler-32", flipped(stream.size() - 1, 1), plain.size(), false},
        {"damaged header check", flipped(1, 1), plain.size(), false},
        {"preset dictionary", flipped(1, 0xDA ^ 0xBB), plain.size(), false},
        {"not deflate", flipped(0, 0x78 ^ 0x79), plain.size(), false},
        {"damaged data", flipped(stream.size() / 2, 0x55), plain.size(), false},
        {"only a header", Bytes(stream.begin(), stream.begin() + 2), plain.size(), false},
        {"nothing", Bytes{}, 0, false},
    };
    for (const auto& c : cases) {
        Bytes byZlib(c.plainSize + 1, 0), byLibdeflate(c.plainSize + 1, 0);
        const auto size = static_cast<std::uint32_t>(c.stream.size());
        const auto plainSize = static_cast<std::uint32_t>(c.plainSize);
        EXPECT_EQ(InflateExact(Inflater::Zlib, c.stream.data(), size, byZlib.data(), plainSize), c.valid) << c.what;
        EXPECT_EQ(InflateExact(Inflater::Libdeflate, c.stream.data(), size, byLibdeflate.data(), plainSize), c.valid)
            << c.what;
        if (c.valid) {
            EXPECT_TRUE(byZlib == byLibdeflate) << c.what;
        }
    }
}

}  // namespace
