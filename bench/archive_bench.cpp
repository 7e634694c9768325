// Measures the archive library against what the same work costs with plain
// file I/O and raw zlib, in one run, and prints each figure as a ratio:
//   load            vs reading the file and inflating the name list
//   inflate all     vs zlib uncompress over the same blocks
//   save unchanged  vs copying the file (read, write, flush to disk)
//   save replaced   vs zlib compress2 level 9 over the same data
//   peak memory of load and of an unchanged save, against the file size
// The archive is built in TOMELENS_BENCH_DIR (default /dev/shm, else /tmp).
#include "PeakMemory.h"
#include "SyntheticArchive.h"

#include "archive/DMDataFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>
#include <zlib.h>

using namespace bench;

namespace {

constexpr std::uint64_t kTargetFileSize = 64ull << 20;

struct Setup {
    std::string dir;
    std::string archivePath;
    std::uint64_t fileSize = 0;
    std::vector<SyntheticEntry> entries;  // in data order
    ArchiveLayout layout;
    Bytes file;
};
Setup g;

std::unique_ptr<unsigned char[]> ReadWhole(const std::string& path, std::uint64_t& size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    size = static_cast<std::uint64_t>(info.st_size);
    auto bytes = std::make_unique_for_overwrite<unsigned char[]>(size);
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, bytes.get() + done, size - done);
        if (got <= 0)
            break;
        done += static_cast<std::uint64_t>(got);
    }
    ::close(fd);
    return bytes;
}

bool Inflate(const unsigned char* file, const BlockRef& block, unsigned char* dest)
{
    uLongf produced = block.plainSize;
    return uncompress(dest, &produced, file + block.streamOffset, block.streamSize) == Z_OK &&
           produced == block.plainSize;
}

std::uint32_t LongestEntry()
{
    std::uint32_t longest = 0;
    for (const SyntheticEntry& entry : g.entries)
        longest = std::max(longest, static_cast<std::uint32_t>(entry.data.size()));
    return longest;
}

// CPU and wall-clock seconds of one timed section.
struct Timing {
    double cpu = 0;
    double real = 0;
};

double Now(clockid_t clock)
{
    timespec now{};
    ::clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

template <typename Work>
Timing Measure(Work&& work)
{
    const double cpu = Now(CLOCK_PROCESS_CPUTIME_ID);
    const double real = Now(CLOCK_MONOTONIC);
    work();
    return {Now(CLOCK_PROCESS_CPUTIME_ID) - cpu, Now(CLOCK_MONOTONIC) - real};
}

using Operation = Timing (*)();

// Each iteration runs our operation and its baseline back to back, in
// alternating order, so both see the same machine; other work only ever slows
// a run, so the fastest of each is compared.
void Compare(benchmark::State& state, Operation ours, Operation baseline)
{
    Timing bestOurs{1e30, 1e30};
    Timing bestBaseline{1e30, 1e30};
    bool oursFirst = true;
    for (auto _ : state) {
        const Timing first = oursFirst ? ours() : baseline();
        const Timing second = oursFirst ? baseline() : ours();
        const Timing& o = oursFirst ? first : second;
        const Timing& b = oursFirst ? second : first;
        bestOurs = {std::min(bestOurs.cpu, o.cpu), std::min(bestOurs.real, o.real)};
        bestBaseline = {std::min(bestBaseline.cpu, b.cpu), std::min(bestBaseline.real, b.real)};
        oursFirst = !oursFirst;
    }
    state.counters["ours_ms"] = bestOurs.cpu * 1e3;
    state.counters["baseline_ms"] = bestBaseline.cpu * 1e3;
    state.counters["ratio"] = bestOurs.cpu / bestBaseline.cpu;
    state.counters["wall_ratio"] = bestOurs.real / bestBaseline.real;
}

Timing Load()
{
    DMDataFile* archive = CreateDMDataFile(nullptr);
    const Timing timing = Measure([&] { archive->Load(g.archivePath.c_str()); });
    DestroyDMDataFile(archive);
    return timing;
}

Timing ReadFileAndInflateNameList()
{
    std::unique_ptr<unsigned char[]> file;
    const Timing timing = Measure([&] {
        std::uint64_t size = 0;
        file = ReadWhole(g.archivePath, size);
        Bytes names(g.layout.nameListLength);
        std::uint64_t at = 0;
        for (const BlockRef& block : g.layout.nameList) {
            Inflate(file.get(), block, names.data() + at);
            at += block.plainSize;
        }
        benchmark::DoNotOptimize(names.data());
    });
    return timing;
}

DMDataFile* LoadedArchive()
{
    static DMDataFile* archive = [] {
        DMDataFile* loaded = CreateDMDataFile(nullptr);
        loaded->Load(g.archivePath.c_str());
        return loaded;
    }();
    return archive;
}

Bytes& EntryBuffer()
{
    static Bytes buffer(LongestEntry(), 0);
    return buffer;
}

Timing InflateEveryEntry()
{
    DMDataFile* archive = LoadedArchive();
    Bytes& buffer = EntryBuffer();
    return Measure([&] {
        for (unsigned i = 0; i < archive->GetNumEntries(); ++i)
            archive->GetEntry(i)->GetData(buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    });
}

Timing UncompressEveryBlock()
{
    Bytes& buffer = EntryBuffer();
    return Measure([&] {
        std::uint64_t at = 0;
        std::uint32_t entry = ~0u;
        for (const BlockRef& block : g.layout.blocks) {
            if (block.entry != entry) {
                entry = block.entry;
                at = 0;
            }
            Inflate(g.file.data(), block, buffer.data() + at);
            at += block.plainSize;
        }
        benchmark::DoNotOptimize(buffer.data());
    });
}

Timing SaveUnchanged()
{
    DMDataFile* archive = LoadedArchive();
    const std::string target = g.dir + "/unchanged.dat";
    return Measure([&] { archive->Save(target.c_str()); });
}

Timing CopyFile()
{
    const std::string target = g.dir + "/copy.dat";
    return Measure([&] {
        std::uint64_t size = 0;
        auto bytes = ReadWhole(g.archivePath, size);
        const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::uint64_t done = 0;
        while (done < size) {
            const ssize_t put = ::write(fd, bytes.get() + done, size - done);
            if (put <= 0)
                break;
            done += static_cast<std::uint64_t>(put);
        }
        ::fsync(fd);
        ::close(fd);
    });
}

Timing SaveReplaced()
{
    static DMDataFile* archive = [] {
        DMDataFile* replaced = CreateDMDataFile(nullptr);
        replaced->Load(g.archivePath.c_str());
        for (unsigned i = 0; i < replaced->GetNumEntries(); ++i)
            replaced->GetEntry(i)->SetData(g.entries[i].data.data(), static_cast<unsigned>(g.entries[i].data.size()));
        return replaced;
    }();
    const std::string target = g.dir + "/replaced.dat";
    return Measure([&] { archive->Save(target.c_str()); });
}

Timing Compress2Level9()
{
    static Bytes out(compressBound(8192));
    return Measure([&] {
        for (const SyntheticEntry& entry : g.entries) {
            for (std::size_t at = 0; at < entry.data.size(); at += 8192) {
                uLongf size = static_cast<uLongf>(out.size());
                const auto chunk = static_cast<uLong>(std::min<std::size_t>(8192, entry.data.size() - at));
                compress2(out.data(), &size, entry.data.data() + at, chunk, 9);
            }
        }
        benchmark::DoNotOptimize(out.data());
    });
}

// Runs in a fresh process, so nothing freed earlier hides an allocation.
int MeasureMemory(const char* path)
{
    const std::uint64_t base = CurrentResident();
    if (!ResetPeakResident())
        return 1;
    DMDataFile* archive = CreateDMDataFile(nullptr);
    if (archive->Load(path) != 0)
        return 1;
    const std::uint64_t loadPeak = PeakResident() - base;
    ResetPeakResident();
    const std::string target = std::string(path) + ".memory";
    if (archive->Save(target.c_str()) != 0)
        return 1;
    const std::uint64_t savePeak = PeakResident() - base;
    DestroyDMDataFile(archive);
    ::unlink(target.c_str());
    std::printf("%llu %llu\n", static_cast<unsigned long long>(loadPeak),
                static_cast<unsigned long long>(savePeak));
    return 0;
}

struct Figure {
    double ours_ms = 0;
    double baseline_ms = 0;
    double ratio = 0;
    double wallRatio = 0;
};

class FigureCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || !run.counters.count("ratio"))
                continue;
            figures[run.run_name.function_name] = {run.counters.at("ours_ms"), run.counters.at("baseline_ms"),
                                                   run.counters.at("ratio"), run.counters.at("wall_ratio")};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Figure> figures;
};

void PrintFigure(const char* figure, double ours, double baseline, const char* unit, double target, double wallRatio = 0)
{
    const double ratio = ours / baseline;
    std::printf("%-44s %10.1f %10.1f %-4s %6.3f  (target <= %.1f)%s", figure, ours, baseline, unit, ratio, target,
                ratio <= target ? "" : "  OVER");
    if (wallRatio > 0)
        std::printf("  wall-clock ratio %.3f", wallRatio);
    std::printf("\n");
}

std::string BenchDirectory()
{
    const char* chosen = std::getenv("TOMELENS_BENCH_DIR");
    std::string root = chosen && *chosen ? chosen : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = root + "/archive-bench-XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--measure-memory")
        return MeasureMemory(argv[2]);

    benchmark::Initialize(&argc, argv);
    g.dir = BenchDirectory();
    if (g.dir.empty()) {
        std::fprintf(stderr, "cannot create a working directory\n");
        return 1;
    }
    g.archivePath = g.dir + "/synthetic.dat";
    std::fprintf(stderr, "building a synthetic archive of about %llu MiB in %s ...\n",
                 static_cast<unsigned long long>(kTargetFileSize >> 20), g.dir.c_str());
    g.entries = MakeEntries(kTargetFileSize);
    if (!WriteArchive(g.entries, g.archivePath)) {
        std::fprintf(stderr, "cannot write %s\n", g.archivePath.c_str());
        return 1;
    }
    auto bytes = ReadWhole(g.archivePath, g.fileSize);
    g.file.assign(bytes.get(), bytes.get() + g.fileSize);
    bytes.reset();
    g.layout = ReadLayout(g.file);
    std::uint64_t plain = 0;
    for (const SyntheticEntry& entry : g.entries)
        plain += entry.data.size();
    std::printf("archive: %zu entries, %.1f MiB plain, file %.1f MiB\n", g.entries.size(), plain / 1048576.0,
                g.fileSize / 1048576.0);

    const std::string measure = "'/proc/" + std::to_string(::getpid()) + "/exe' --measure-memory '" + g.archivePath + "'";
    unsigned long long loadPeak = 0, savePeak = 0;
    if (FILE* child = ::popen(measure.c_str(), "r")) {
        if (std::fscanf(child, "%llu %llu", &loadPeak, &savePeak) != 2)
            loadPeak = savePeak = 0;
        ::pclose(child);
    }

    auto add = [](const char* name, Operation ours, Operation baseline, int iterations) {
        benchmark::RegisterBenchmark(name, Compare, ours, baseline)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations)
            ->UseRealTime();
    };
    add("LoadVsReadFileAndInflateNameList", Load, ReadFileAndInflateNameList, 8);
    add("InflateEveryEntryVsUncompress", InflateEveryEntry, UncompressEveryBlock, 5);
    add("SaveUnchangedVsCopyFile", SaveUnchanged, CopyFile, 6);
    add("SaveReplacedVsCompress2Level9", SaveReplaced, Compress2Level9, 3);
    FigureCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    const double mib = 1048576.0;
    std::printf("\nCPU time, fastest of the iterations, ours and baseline interleaved:\n");
    std::printf("%-44s %10s %10s %-4s %6s\n", "figure", "ours", "baseline", "unit", "ratio");
    const struct {
        const char* benchmark;
        const char* figure;
        double target;
    } rows[] = {{"LoadVsReadFileAndInflateNameList", "load vs read file + inflate name list", 1.2},
                {"InflateEveryEntryVsUncompress", "inflate every entry vs zlib uncompress", 1.1},
                {"SaveUnchangedVsCopyFile", "save unchanged vs copy file", 1.5},
                {"SaveReplacedVsCompress2Level9", "save all replaced vs compress2 level 9", 1.1}};
    for (const auto& row : rows) {
        const auto found = collector.figures.find(row.benchmark);
        if (found != collector.figures.end())
            PrintFigure(row.figure, found->second.ours_ms, found->second.baseline_ms, "ms", row.target,
                        found->second.wallRatio);
    }
    if (loadPeak > 0) {
        PrintFigure("peak memory of load vs file size", loadPeak / mib, g.fileSize / mib, "MiB", 1.1);
        PrintFigure("peak memory of unchanged save vs file size", savePeak / mib, g.fileSize / mib, "MiB", 2.2);
    } else {
        std::printf("peak memory: not measurable here (no /proc/self/clear_refs)\n");
    }

    for (const char* name : {"synthetic.dat", "unchanged.dat", "copy.dat", "replaced.dat"})
        ::unlink((g.dir + "/" + name).c_str());
    ::rmdir(g.dir.c_str());
    benchmark::Shutdown();
    return 0;
}
