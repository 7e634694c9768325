// Measures the archive library against what the same work costs with plain
// file I/O and raw zlib, in one run, and prints each figure as a ratio:
//   load            vs reading the file and inflating the name list
//   inflate all     vs zlib uncompress over the same blocks
//   save unchanged  vs copying the file (read, write, flush to disk)
//   save replaced   vs zlib compress2 level 9 over the same data
//   peak memory of load and of an unchanged save, against the file size
// and, spread over the machine's cores (wall-clock time):
//   save replaced   vs single-thread compress2 level 9
//   inflate all     vs single-thread zlib uncompress
// and the figures of memory that follows the work and of linear growth:
//   AddEntry, DelEntries and save per entry at 100,000 entries vs at 10,000,
//   in CPU time (the calling thread's for AddEntry and DelEntries, the
//   process's for the save, which packs on several threads), so that other
//   work on a busy machine cannot make the growth look worse than it is
//   peak memory of saves (all replaced, one entry added and one deleted)
//   list (LoadIndex and names) of a large archive vs reading its header,
//   directory and name list; peak memory of the list
// The archive is built in TOMELENS_BENCH_DIR (default /dev/shm, else /tmp).
#include "PeakMemory.h"
#include "SyntheticArchive.h"

#include "archive/DMDataFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <ctime>
#include <unistd.h>
#include <zlib.h>

using namespace bench;

namespace {

constexpr std::uint64_t kTargetFileSize = 64ull << 20;
constexpr std::uint64_t kLargeFileSize = 256ull << 20;
constexpr std::uint32_t kLargeEntryCount = 20000;

struct Setup {
    std::string dir;
    std::string archivePath;
    std::uint64_t fileSize = 0;
    std::vector<SyntheticEntry> entries;  // in data order
    ArchiveLayout layout;
    Bytes file;
    std::string largePath;
    unsigned cores = 1;
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

// Process CPU, calling thread CPU and wall-clock seconds of one timed section.
struct Timing {
    double cpu = 0;
    double real = 0;
    double thread = 0;
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
    const double thread = Now(CLOCK_THREAD_CPUTIME_ID);
    work();
    return {Now(CLOCK_PROCESS_CPUTIME_ID) - cpu, Now(CLOCK_MONOTONIC) - real, Now(CLOCK_THREAD_CPUTIME_ID) - thread};
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
    state.counters["ours_wall_ms"] = bestOurs.real * 1e3;
    state.counters["baseline_wall_ms"] = bestBaseline.real * 1e3;
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

// Entries handed out one at a time to a thread per core, each with its own buffer.
Timing InflateEveryEntrySpread()
{
    DMDataFile* archive = LoadedArchive();
    return Measure([&] {
        std::atomic<unsigned> next{0};
        auto work = [&] {
            Bytes buffer(LongestEntry());
            for (unsigned i = next++; i < archive->GetNumEntries(); i = next++)
                archive->GetEntry(i)->GetData(buffer.data());
            benchmark::DoNotOptimize(buffer.data());
        };
        std::vector<std::thread> helpers;
        for (unsigned t = 1; t < g.cores; ++t)
            helpers.emplace_back(work);
        work();
        for (std::thread& helper : helpers)
            helper.join();
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

Timing ListLarge()
{
    DMDataFile* archive = CreateDMDataFile(nullptr);
    const Timing timing = Measure([&] {
        archive->LoadIndex(g.largePath.c_str());
        std::size_t names = 0;
        for (unsigned i = 0; i < archive->GetNumEntries(); ++i)
            names += std::char_traits<char>::length(archive->GetEntry(i)->GetName());
        benchmark::DoNotOptimize(names);
    });
    DestroyDMDataFile(archive);
    return timing;
}

std::uint32_t WordAt(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// A whole positional read; a short one means the benchmark's own file is broken.
void ReadAt(int fd, void* into, std::size_t length, off_t at)
{
    if (::pread(fd, into, length, at) != static_cast<ssize_t>(length))
        std::abort();
}

// Reads the header, the directory and the name list's extent, and inflates the list.
Timing ReadHeaderDirectoryAndNames()
{
    return Measure([&] {
        const int fd = ::open(g.largePath.c_str(), O_RDONLY | O_CLOEXEC);
        unsigned char header[16];
        ReadAt(fd, header, 12, 0);
        const std::uint32_t directoryOffset = WordAt(header);
        ReadAt(fd, header, 4, directoryOffset);
        const std::uint32_t count = WordAt(header);
        Bytes directory(std::size_t(count) * 12);
        ReadAt(fd, directory.data(), directory.size(), directoryOffset + 4);
        std::uint32_t listOffset = 0, listLength = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (WordAt(&directory[i * 12 + 4]) >= listOffset) {
                listOffset = WordAt(&directory[i * 12 + 4]);
                listLength = WordAt(&directory[i * 12 + 8]);
            }
        }
        Bytes packed(directoryOffset - listOffset);
        ReadAt(fd, packed.data(), packed.size(), listOffset);
        ::close(fd);
        Bytes names(listLength);
        std::uint64_t at = 0, out = 0;
        while (at + 8 < packed.size()) {
            uLongf produced = WordAt(&packed[at + 4]);
            uncompress(names.data() + out, &produced, packed.data() + at + 8, WordAt(&packed[at]));
            out += produced;
            at += 8 + WordAt(&packed[at]);
        }
        benchmark::DoNotOptimize(names.data());
    });
}

// CPU seconds per entry of AddEntry, of a save, and of DelEntries on every
// other entry, in a container of `count` small entries; the fastest of three
// rounds. Time spent waiting for a core is not counted.
struct PerEntry {
    double add = 1e30, save = 1e30, del = 1e30;
};

PerEntry MeasurePerEntry(unsigned count)
{
    PerEntry best;
    const unsigned char data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::string target = g.dir + "/scaling.dat";
    for (int round = 0; round < 3; ++round) {
        DMDataFile* archive = CreateDMDataFile(nullptr);
        const Timing add = Measure([&] {
            for (unsigned i = 0; i <= count; ++i)
                archive->AddEntry();
        });
        for (unsigned i = 0; i < count; ++i) {
            archive->GetEntry(i)->SetName(("entry" + std::to_string(i)).c_str());
            archive->GetEntry(i)->SetData(data, sizeof data);
        }
        const Timing save = Measure([&] { archive->Save(target.c_str()); });
        std::vector<unsigned> positions;
        for (unsigned i = 0; i < count; i += 2)
            positions.push_back(i);
        const Timing del =
            Measure([&] { archive->DelEntries(positions.data(), static_cast<unsigned>(positions.size())); });
        DestroyDMDataFile(archive);
        best.add = std::min(best.add, add.thread / count);
        best.save = std::min(best.save, save.cpu / count);
        best.del = std::min(best.del, del.thread / positions.size());
    }
    ::unlink(target.c_str());
    return best;
}

// Runs in a fresh process, so nothing freed earlier hides an allocation.
int MeasureMemory(const char* path)
{
    if (!ResetPeakResident())
        return 1;
    const std::string target = std::string(path) + ".memory";
    // First, while nothing freed can be reused: one entry added and one deleted,
    // in a container read by LoadIndex and by Load.
    std::uint64_t editPeaks[2] = {};
    for (int full = 0; full < 2; ++full) {
        const std::uint64_t editBase = CurrentResident();
        ResetPeakResident();
        DMDataFile* edited = CreateDMDataFile(nullptr);
        if ((full ? edited->Load(path) : edited->LoadIndex(path)) != 0)
            return 1;
        const unsigned added = edited->AddEntry();
        edited->GetEntry(added)->SetName("added.txt");
        edited->GetEntry(added)->SetData("added", 5);
        edited->DelEntry(0);
        if (edited->Save(target.c_str()) != 0)
            return 1;
        editPeaks[full] = PeakResident() - editBase;
        DestroyDMDataFile(edited);
    }
    const std::uint64_t base = CurrentResident();
    ResetPeakResident();
    DMDataFile* archive = CreateDMDataFile(nullptr);
    if (archive->Load(path) != 0)
        return 1;
    const std::uint64_t loadPeak = PeakResident() - base;
    ResetPeakResident();
    if (archive->Save(target.c_str()) != 0)
        return 1;
    const std::uint64_t savePeak = PeakResident() - base;

    // Every entry replaced: the plain data is in place before the save starts.
    for (unsigned i = 0; i < archive->GetNumEntries(); ++i) {
        DMDataFileEntry* entry = archive->GetEntry(i);
        Bytes plain(entry->GetLength());
        entry->GetData(plain.data());
        entry->SetData(plain.data(), static_cast<unsigned>(plain.size()));
    }
    const std::uint64_t replacedBase = CurrentResident();
    ResetPeakResident();
    if (archive->Save(target.c_str()) != 0)
        return 1;
    const std::uint64_t replacedPeak = PeakResident() - replacedBase;
    DestroyDMDataFile(archive);

    ::unlink(target.c_str());
    std::printf("%llu %llu %llu %llu %llu\n", static_cast<unsigned long long>(loadPeak),
                static_cast<unsigned long long>(savePeak), static_cast<unsigned long long>(replacedPeak),
                static_cast<unsigned long long>(editPeaks[0]), static_cast<unsigned long long>(editPeaks[1]));
    return 0;
}

// Peak memory of listing an archive with LoadIndex, in a fresh process.
int MeasureListMemory(const char* path)
{
    const std::uint64_t base = CurrentResident();
    if (!ResetPeakResident())
        return 1;
    DMDataFile* archive = CreateDMDataFile(nullptr);
    if (archive->LoadIndex(path) != 0)
        return 1;
    std::size_t names = 0;
    for (unsigned i = 0; i < archive->GetNumEntries(); ++i)
        names += std::char_traits<char>::length(archive->GetEntry(i)->GetName());
    benchmark::DoNotOptimize(names);
    std::printf("%llu\n", static_cast<unsigned long long>(PeakResident() - base));
    DestroyDMDataFile(archive);
    return 0;
}

struct Figure {
    double ours_ms = 0;
    double baseline_ms = 0;
    double ratio = 0;
    double wallRatio = 0;
    double oursWall_ms = 0;
    double baselineWall_ms = 0;
};

class FigureCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || !run.counters.count("ratio"))
                continue;
            figures[run.run_name.function_name] = {run.counters.at("ours_ms"),      run.counters.at("baseline_ms"),
                                                   run.counters.at("ratio"),        run.counters.at("wall_ratio"),
                                                   run.counters.at("ours_wall_ms"), run.counters.at("baseline_wall_ms")};
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
    if (argc == 3 && std::string(argv[1]) == "--measure-list")
        return MeasureListMemory(argv[2]);

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

    g.cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("cores used: %u\n", g.cores);
    g.largePath = g.dir + "/large.dat";
    if (!WriteLargeArchive(g.largePath, kLargeFileSize, kLargeEntryCount)) {
        std::fprintf(stderr, "cannot write %s\n", g.largePath.c_str());
        return 1;
    }
    struct stat largeInfo {};
    ::stat(g.largePath.c_str(), &largeInfo);
    std::printf("large archive: %u entries, file %.1f MiB\n", kLargeEntryCount, largeInfo.st_size / 1048576.0);

    const std::string self = "'/proc/" + std::to_string(::getpid()) + "/exe'";
    const std::string measure = self + " --measure-memory '" + g.archivePath + "'";
    unsigned long long loadPeak = 0, savePeak = 0, replacedPeak = 0, indexEditPeak = 0, loadEditPeak = 0;
    if (FILE* child = ::popen(measure.c_str(), "r")) {
        if (std::fscanf(child, "%llu %llu %llu %llu %llu", &loadPeak, &savePeak, &replacedPeak, &indexEditPeak,
                        &loadEditPeak) != 5)
            loadPeak = savePeak = 0;
        ::pclose(child);
    }
    unsigned long long listPeak = 0;
    if (FILE* child = ::popen((self + " --measure-list '" + g.largePath + "'").c_str(), "r")) {
        if (std::fscanf(child, "%llu", &listPeak) != 1)
            listPeak = 0;
        ::pclose(child);
    }
    const PerEntry small = MeasurePerEntry(10000);
    const PerEntry large = MeasurePerEntry(100000);

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
    add("InflateSpreadVsUncompress", InflateEveryEntrySpread, UncompressEveryBlock, 5);
    add("ListLargeVsReadHeaderDirectoryAndNames", ListLarge, ReadHeaderDirectoryAndNames, 8);
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
                {"SaveReplacedVsCompress2Level9", "save all replaced vs compress2 level 9", 1.1},
                {"ListLargeVsReadHeaderDirectoryAndNames", "list 256 MiB archive vs read dir + names", 2.0}};
    for (const auto& row : rows) {
        const auto found = collector.figures.find(row.benchmark);
        if (found != collector.figures.end())
            PrintFigure(row.figure, found->second.ours_ms, found->second.baseline_ms, "ms", row.target,
                        found->second.wallRatio);
    }
    std::printf("\nWall-clock time on %u core(s), fastest of the iterations:\n", g.cores);
    const struct {
        const char* benchmark;
        const char* figure;
        double target;
    } wallRows[] = {{"SaveReplacedVsCompress2Level9", "save all replaced vs 1-thread compress2", 0.6},
                    {"InflateSpreadVsUncompress", "inflate spread vs 1-thread uncompress", g.cores > 1 ? 0.45 : 0.7}};
    for (const auto& row : wallRows) {
        const auto found = collector.figures.find(row.benchmark);
        if (found != collector.figures.end()) {
            PrintFigure(row.figure, found->second.oursWall_ms, found->second.baselineWall_ms, "ms", row.target);
            // Below the core count when other work shares the machine.
            std::printf("%-44s %10.2f cores busy on average\n", "", found->second.ours_ms / found->second.oursWall_ms);
        }
    }
    std::printf("\nCPU time per entry, at 100,000 entries vs at 10,000:\n");
    PrintFigure("AddEntry", large.add * 1e9, small.add * 1e9, "ns", 1.3);
    PrintFigure("DelEntries", large.del * 1e9, small.del * 1e9, "ns", 1.3);
    PrintFigure("save", large.save * 1e9, small.save * 1e9, "ns", 1.3);
    std::printf("\n");
    if (loadPeak > 0) {
        PrintFigure("peak memory of load vs file size", loadPeak / mib, g.fileSize / mib, "MiB", 1.1);
        PrintFigure("peak memory of unchanged save vs file size", savePeak / mib, g.fileSize / mib, "MiB", 2.2);
        PrintFigure("peak memory of all-replaced save vs file size", replacedPeak / mib, g.fileSize / mib, "MiB", 2.2);
        PrintFigure("peak memory of LoadIndex+add+delete+save vs file", indexEditPeak / mib, g.fileSize / mib, "MiB",
                    1.2);
        PrintFigure("peak memory of Load+add+delete+save vs file", loadEditPeak / mib, g.fileSize / mib, "MiB", 1.2);
        PrintFigure("peak memory of list vs 32 MiB", listPeak / mib, 32, "MiB", 1.0);
    } else {
        std::printf("peak memory: not measurable here (no /proc/self/clear_refs)\n");
    }

    for (const char* name : {"synthetic.dat", "unchanged.dat", "copy.dat", "replaced.dat", "large.dat"})
        ::unlink((g.dir + "/" + name).c_str());
    ::rmdir(g.dir.c_str());
    benchmark::Shutdown();
    return 0;
}
