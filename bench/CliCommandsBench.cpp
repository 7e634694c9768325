// Measures tomelens-cli's archive commands on many small files, run in this
// process, against what the same work costs with plain calls, and how those
// ratios hold from 10,000 to 100,000 entries:
//   create   vs reading the files and compress2 level 9 on one thread
//   extract  vs open/write/close of the same files
//   add      (a tenth more files) vs reading and compressing them plus one rewrite
//   delete   (a tenth of the names) vs one rewrite
// where a rewrite is the library indexing the archive and saving it unchanged.
// Wall-clock times, the best of three runs each. Work happens in
// TOMELENS_BENCH_DIR (default /dev/shm, else /tmp).
#include "Commands.h"
#include "archive/DMDataFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace fs = std::filesystem;

namespace {

double Seconds(clockid_t clock)
{
    timespec now{};
    ::clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Wall-clock and processor seconds (all threads) of one piece of work.
struct Cost {
    double real = 1e30, cpu = 1e30;
    double operator/(const Cost& other) const { return real / other.real; }
};

// The best of three runs of work, each after its own preparation.
Cost Best(const std::function<void()>& prepare, const std::function<void()>& work)
{
    Cost best;
    for (int run = 0; run < 3; ++run) {
        prepare();
        const double real = Seconds(CLOCK_MONOTONIC), cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        work();
        best.real = std::min(best.real, Seconds(CLOCK_MONOTONIC) - real);
        best.cpu = std::min(best.cpu, Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu);
    }
    return best;
}

// Small text-like files of 100 to 400 bytes, the same every run.
std::string Content(std::size_t i)
{
    static const char* const kWords[] = {"sword ", "shield ", "potion ", "scroll ", "gold ", "ring ", "helm "};
    std::string text;
    const std::size_t length = 100 + (i * 7919) % 300;
    for (std::size_t w = i; text.size() < length; w = w * 31 + 7)
        text += kWords[w % 7];
    text.resize(length);
    return text;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    ::close(fd);
}

std::string ReadFile(const std::string& path)
{
    std::string bytes(4096, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t got = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

void Compress(const std::string& plain)
{
    std::vector<unsigned char> packed(compressBound(plain.size()));
    uLongf size = packed.size();
    compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 9);
    benchmark::DoNotOptimize(packed.data());
}

void CopyFile(const std::string& from, const std::string& to)
{
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// The library reads the archive's index and writes it back unchanged.
void Rewrite(const std::string& path)
{
    DMDataFile* file = CreateDMDataFile(nullptr);
    if (file->LoadIndex(path.c_str()) != 0 || file->Save(path.c_str()) != 0)
        std::abort();
    DestroyDMDataFile(file);
}

void Run(int (*command)(CommandArgs), std::vector<std::string> args)
{
    if (command(args) != 0)
        std::abort();
}

struct Ratios {
    double create = 0, extract = 0, add = 0, del = 0;
    double createCpu = 0, extractCpu = 0;  // processor time over the baseline's
};

Ratios MeasureAt(const fs::path& root, std::size_t count)
{
    const fs::path work = root / std::to_string(count);
    const fs::path inputs = work / "in", extra = work / "extra";
    fs::create_directories(inputs);
    fs::create_directories(extra);
    std::vector<std::string> names(count), paths(count), extraPaths(count / 10);
    for (std::size_t i = 0; i < count; ++i) {
        names[i] = "file" + std::to_string(i) + ".txt";
        paths[i] = (inputs / names[i]).string();
        WriteFile(paths[i], Content(i));
    }
    for (std::size_t i = 0; i < extraPaths.size(); ++i) {
        extraPaths[i] = (extra / ("more" + std::to_string(i) + ".txt")).string();
        WriteFile(extraPaths[i], Content(i + count));
    }
    const std::string archive = (work / "made.pfs").string(), copy = (work / "copy.pfs").string();
    const fs::path out = work / "out";
    auto nothing = [] {};

    Ratios r;
    const Cost create = Best(nothing, [&] { Run(RunCreate, {archive, inputs.string(), "--force"}); });
    const Cost read = Best(nothing, [&] {
        for (const std::string& path : paths)
            Compress(ReadFile(path));
    });
    r.create = create / read;
    r.createCpu = create.cpu / read.cpu;

    auto freshOut = [&] { fs::remove_all(out); };
    const Cost extract = Best(freshOut, [&] { Run(RunExtract, {archive, "-C", out.string()}); });
    const Cost write = Best(freshOut, [&] {
        fs::create_directories(out);
        for (std::size_t i = 0; i < count; ++i)
            WriteFile((out / names[i]).string(), Content(i));
    });
    r.extract = extract / write;
    r.extractCpu = extract.cpu / write.cpu;

    auto freshCopy = [&] { CopyFile(archive, copy); };
    const Cost rewrite = Best(freshCopy, [&] { Rewrite(copy); });
    std::vector<std::string> addArgs = {copy};
    addArgs.insert(addArgs.end(), extraPaths.begin(), extraPaths.end());
    const Cost add = Best(freshCopy, [&] { Run(RunAdd, addArgs); });
    const Cost addBase = Best(freshCopy, [&] {
        for (const std::string& path : extraPaths)
            Compress(ReadFile(path));
        Rewrite(copy);
    });
    r.add = add / addBase;

    std::vector<std::string> deleteArgs = {copy};
    for (std::size_t i = 0; i < count; i += 10)
        deleteArgs.push_back(names[i]);
    const Cost del = Best(freshCopy, [&] { Run(RunDelete, deleteArgs); });
    r.del = del / rewrite;

    std::printf("%7zu entries: create %.3f  extract %.3f  add %.3f  delete %.3f  (ours/baseline, wall clock)\n"
                "               create %.3f  extract %.3f  (processor time)\n",
                count, r.create, r.extract, r.add, r.del, r.createCpu, r.extractCpu);
    fs::remove_all(work);
    return r;
}

void CliCommandsAtScale(benchmark::State& state)
{
    const char* chosen = std::getenv("TOMELENS_BENCH_DIR");
    const fs::path base = chosen && *chosen ? chosen : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const fs::path root = base / ("cli-bench-" + std::to_string(::getpid()));
    for (auto _ : state) {
        const Ratios small = MeasureAt(root, 10000);
        const Ratios large = MeasureAt(root, 100000);
        state.counters["create_ratio"] = large.create;
        state.counters["extract_ratio"] = large.extract;
        state.counters["delete_ratio"] = large.del;
        state.counters["create_growth"] = large.create / small.create;
        state.counters["extract_growth"] = large.extract / small.extract;
        state.counters["add_growth"] = large.add / small.add;
        state.counters["delete_growth"] = large.del / small.del;
        std::printf("100k/10k growth: create %.3f  extract %.3f  add %.3f  delete %.3f  (target <= 1.3)\n",
                    large.create / small.create, large.extract / small.extract, large.add / small.add,
                    large.del / small.del);
    }
    fs::remove_all(root);
}

}  // namespace

BENCHMARK(CliCommandsAtScale)->Iterations(1)->Unit(benchmark::kSecond);
