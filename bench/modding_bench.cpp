// The modder's loop on a large archive (TOMELENS_BENCH_MB, default 400 MB, in
// TOMELENS_BENCH_DIR, default /dev/shm), each against a baseline run here:
//   pack of an untouched unpacked folder   vs a plain copy of the archive
//   pack after one file was edited         vs that copy plus packing the entry
//   unpack                                 vs extract of every entry
//   diff of archives differing in one entry vs reading both files
// Wall-clock times, the best of three runs each; the files are removed after.
#include "SyntheticArchive.h"
#include "engine/ArchiveFile.h"
#include "engine/ExtractEntries.h"
#include "modding/Diff.h"
#include "modding/Pack.h"
#include "modding/Unpack.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;
using namespace tomelens::core;

namespace {

double Best(const std::function<void()>& prepare, const std::function<void()>& work)
{
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void Check(const Outcome& outcome)
{
    if (!outcome.Ok()) {
        std::fprintf(stderr, "%s\n", outcome.Message().c_str());
        std::abort();
    }
}

// Level-9 blocks of 8192 bytes, as the writer packs an entry.
void PackLikeTheWriter(const std::vector<char>& plain)
{
    std::vector<unsigned char> out(compressBound(8192));
    for (std::size_t at = 0; at < plain.size(); at += 8192) {
        uLongf size = out.size();
        const std::size_t piece = std::min<std::size_t>(8192, plain.size() - at);
        compress2(out.data(), &size, reinterpret_cast<const Bytef*>(plain.data() + at), piece, 9);
        benchmark::DoNotOptimize(out.data());
    }
}

std::vector<char> ReadAll(const fs::path& path)
{
    std::vector<char> bytes(fs::file_size(path));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file || std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        std::abort();
    std::fclose(file);
    return bytes;
}

void ReadThrough(const fs::path& path)
{
    std::vector<char> chunk(1 << 20);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    while (std::fread(chunk.data(), 1, chunk.size(), file) == chunk.size())
        benchmark::DoNotOptimize(chunk.data());
    std::fclose(file);
}

void ModdersLoop(benchmark::State& state)
{
    const char* chosenDir = std::getenv("TOMELENS_BENCH_DIR");
    const char* chosenSize = std::getenv("TOMELENS_BENCH_MB");
    const fs::path base = chosenDir && *chosenDir ? chosenDir : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::uint64_t megabytes = chosenSize && *chosenSize ? std::strtoull(chosenSize, nullptr, 10) : 400;
    const fs::path root = base / ("modding-bench-" + std::to_string(::getpid()));
    fs::create_directories(root);
    const fs::path archive = root / "orig.pfs", copy = root / "copy.pfs", packed = root / "packed.pfs";
    const fs::path unpacked = root / "unpacked", scratch = root / "scratch";
    if (!bench::WriteLargeArchive(archive.string(), megabytes << 20, 2000))
        std::abort();

    for (auto _ : state) {
        const auto fresh = [&] { fs::remove_all(scratch); };
        const auto nothing = [] {};
        const double unpack = Best(fresh, [&] { Check(Unpack(archive.string(), scratch)); });
        const double extract = Best(fresh, [&] {
            DataFilePtr file;
            Check(OpenArchive(archive.string(), LoadMode::Index, file));
            ExtractOptions options;
            options.folder = scratch;
            options.archivePath = archive.string();
            Check(ExtractEntries(*file, LiveEntries(*file), options).outcome);
        });
        fs::remove_all(scratch);

        Check(Unpack(archive.string(), unpacked));
        PackReport report;
        const double packUntouched = Best(nothing, [&] { Check(Pack(unpacked, packed, {}, report)); });
        const double plainCopy =
            Best(nothing, [&] { fs::copy_file(archive, copy, fs::copy_options::overwrite_existing); });

        // One entry edited: a byte changed in the middle of its file.
        const fs::path edited = unpacked / "data/level30/entry1000.bin";
        std::vector<char> content = ReadAll(edited);
        content[content.size() / 2] ^= 0x5A;
        std::FILE* out = std::fopen(edited.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), out);
        std::fclose(out);
        const double packEdited = Best(nothing, [&] { Check(Pack(unpacked, packed, {}, report)); });
        const double copyAndPack = Best(nothing, [&] {
            fs::copy_file(archive, copy, fs::copy_options::overwrite_existing);
            PackLikeTheWriter(ReadAll(edited));
        });

        std::vector<EntryDifference> differences;
        const double diff = Best(nothing, [&] { Check(DiffArchives(archive.string(), packed.string(), differences)); });
        const double readBoth = Best(nothing, [&] {
            ReadThrough(archive);
            ReadThrough(packed);
        });
        if (differences.size() != 1)
            std::abort();

        state.counters["pack_untouched_vs_copy"] = packUntouched / plainCopy;
        state.counters["pack_edited_vs_copy_and_pack"] = packEdited / copyAndPack;
        state.counters["unpack_vs_extract"] = unpack / extract;
        state.counters["diff_vs_read_both"] = diff / readBoth;
        std::printf("%llu MB: pack untouched %.3f s / copy %.3f s = %.2f (target <= 1.3)\n"
                    "        pack one edit %.3f s / copy+pack %.3f s = %.2f (target <= 1.3)\n"
                    "        unpack %.3f s / extract %.3f s = %.2f (target <= 1.1)\n"
                    "        diff %.3f s / read both %.3f s = %.2f (target <= 1.5)\n",
                    static_cast<unsigned long long>(megabytes), packUntouched, plainCopy, packUntouched / plainCopy,
                    packEdited, copyAndPack, packEdited / copyAndPack, unpack, extract, unpack / extract, diff,
                    readBoth, diff / readBoth);
    }
    fs::remove_all(root);
}

}  // namespace

BENCHMARK(ModdersLoop)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
