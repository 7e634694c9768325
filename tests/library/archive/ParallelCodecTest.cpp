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
    std::vector<Bytes> plains;
    for (std::size_t size : {0u, 1u, 8193u, 300000u, 5u, 8192u * 40 + 17})
        plains.push_back(PatternBytes(size, static_cast<unsigned>(plains.size()), plains.size() % 2 ? 0 : 5));
    for (unsigned threads : {1u, 8u}) {
        SetPackThreadCount(threads);
        DMDataFile archive(nullptr);
        archive.AddEntry();  // the first entry of an empty container is its name list
        for (const Bytes& plain : plains)
            archive.GetEntry(archive.AddEntry())->SetData(plain.data(), static_cast<unsigned>(plain.size()));
        ASSERT_EQ(archive.Save(dir.File(std::string("t").append(std::to_string(threads))).c_str()), DMResult::Success);
    }
    SetPackThreadCount(0);
    // That the bytes are right is the round trip's and the codec's to show.
    EXPECT_TRUE(ReadFile(dir.File("t8")) == ReadFile(dir.File("t1")));
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
        {"damaged Adler-32", flipped(stream.size() - 1, 1), plain.size(), false},
        {"preset dictionary", flipped(1, 0xDA ^ 0xBB), plain.size(), false},
        {"not deflate", flipped(0, 0x78 ^ 0x79), plain.size(), false},
        {"damaged data", flipped(stream.size() / 2, 0x55), plain.size(), false},
        {"nothing", Bytes{}, 0, false},
    };
    for (const auto& c : cases) {
        Bytes byZlib(c.plainSize + 1, 0), byLibdeflate(c.plainSize + 1, 0);
        const auto size = static_cast<std::uint32_t>(c.stream.size());
        const auto plainSize = static_cast<std::uint32_t>(c.plainSize);
        EXPECT_EQ(InflateExact(Inflater::Zlib, c.stream.data(), size, byZlib.data(), plainSize), c.valid) << c.what;
        EXPECT_EQ(InflateExact(Inflater::Libdeflate, c.stream.data(), size, byLibdeflate.data(), plainSize), c.valid)
            << c.what;
        EXPECT_TRUE(!c.valid || byZlib == byLibdeflate) << c.what;
    }
}

}  // namespace
