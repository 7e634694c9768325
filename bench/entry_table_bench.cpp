// Measures the Archives tab's entry table on big archives against loading the
// same archive with the library, in one run, and prints each as a ratio:
//   open and list  (the window's open: index read + table filled + sorted by
//                   name + first page painted)
//   sort by size, filter by wildcard, filter by text (on the listed table)
// Archives of 10,000, 100,000 and 200,000 entries of a few bytes each (the
// worst case: loading them reads almost nothing but the index), and one of
// 100,000 entries of 1 KiB each, are built in TOMELENS_BENCH_DIR (default
// /dev/shm, else /tmp).
#include "archives/EntryListPanel.h"
#include "archives/EntryTableModel.h"
#include "archive/DMDataFile.h"
#include "ParallelFor.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

std::map<int, std::string> g_paths;

std::string BenchDirectory()
{
    const char* chosen = std::getenv("TOMELENS_BENCH_DIR");
    const QString base = chosen ? QString::fromLocal8Bit(chosen)
                                : (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath());
    return QDir(base).filePath(QStringLiteral("tomelens-entry-table-bench")).toStdString();
}

// The archive of 1 KiB entries is listed under this argument.
constexpr int kKibEntries = -100000;

bool MakeArchive(int entries, const std::string& path)
{
    const bool kib = entries < 0;
    entries = std::abs(entries);
    static const char* const kKinds[] = {".bmp", ".txt", ".wav", ".dat"};
    // A container takes entries once it holds an archive, even an empty one.
    DMDataFile* file = CreateDMDataFile(nullptr);
    if (file->Save(path.c_str()) != 0 || file->Load(path.c_str()) != 0) {
        DestroyDMDataFile(file);
        return false;
    }
    for (int i = 0; i < entries; ++i) {
        DMDataFileEntry* entry = file->GetEntry(file->AddEntry());
        const std::string name = "Entry_" + std::to_string((i * 7919) % entries) + kKinds[i % 4];
        entry->SetName(name.c_str());
        std::string data = "data of " + name;
        if (kib) {
            // Text-like bytes that pack to about half, different in every entry.
            data.resize(1024);
            std::uint32_t state = static_cast<std::uint32_t>(i) * 2654435761U + 1;
            for (size_t b = name.size(); b < data.size(); ++b) {
                state = state * 1664525U + 1013904223U;
                data[b] = static_cast<char>('a' + (state >> 24) % 23);
            }
        }
        entry->SetData(data.data(), static_cast<unsigned>(data.size()));
    }
    const bool ok = file->Save(path.c_str()) == 0;
    DestroyDMDataFile(file);
    return ok;
}

double Seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimeLoad(const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    DMDataFile* file = CreateDMDataFile(nullptr);
    benchmark::DoNotOptimize(file->Load(path.c_str()));
    DestroyDMDataFile(file);
    return Seconds(start);
}

enum class Work { OpenAndList, SortBySize, FilterWildcard, FilterText };

// Each iteration times the work and the load baseline back to back.
void Compare(benchmark::State& state, Work work)
{
    const int entries = static_cast<int>(state.range(0));
    const std::string& path = g_paths[entries];
    double bestOurs = 1e9, bestBaseline = 1e9;
    for (auto _ : state) {
        // In the window the list is on screen, laid out, before an archive is
        // opened: so it is here.
        EntryListPanel panel;
        panel.resize(700, 500);
        benchmark::DoNotOptimize(panel.grab());
        DMDataFile* file = CreateDMDataFile(nullptr);
        double ours = 0;
        auto start = std::chrono::steady_clock::now();
        // The window opens archives reading only their index.
        file->LoadIndex(path.c_str());
        if (work != Work::OpenAndList) {
            panel.Model().Fill(*file);
            start = std::chrono::steady_clock::now();
        }
        switch (work) {
        case Work::OpenAndList:
            panel.Model().Fill(*file);
            benchmark::DoNotOptimize(panel.grab());
            break;
        case Work::SortBySize: panel.View()->sortByColumn(EntryTableModel::SizeColumn, Qt::AscendingOrder); break;
        case Work::FilterWildcard:
            panel.FilterField()->setText(QStringLiteral("*_12*.BMP"));
            panel.ApplyFilter();
            break;
        case Work::FilterText:
            panel.FilterField()->setText(QStringLiteral("y_99"));
            panel.ApplyFilter();
            break;
        }
        benchmark::DoNotOptimize(panel.SummaryText());
        ours = Seconds(start);
        DestroyDMDataFile(file);
        bestOurs = std::min(bestOurs, ours);
        bestBaseline = std::min(bestBaseline, TimeLoad(path));
    }
    state.counters["ours_ms"] = bestOurs * 1000;
    state.counters["load_ms"] = bestBaseline * 1000;
    state.counters["ratio"] = bestOurs / bestBaseline;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const std::string dir = BenchDirectory();
    QDir().mkpath(QString::fromStdString(dir));
    // Big lists are read and ranked on every core.
    std::printf("cores used: %u\n", tomelens::core::WorkerThreadCount());
    for (int entries : {10000, 100000, 200000, kKibEntries}) {
        g_paths[entries] = dir + "/entries" + std::to_string(entries) + ".dat";
        if (!MakeArchive(entries, g_paths[entries])) {
            std::fprintf(stderr, "cannot write %s\n", g_paths[entries].c_str());
            return 1;
        }
    }
    const struct {
        const char* name;
        Work work;
    } figures[] = {{"OpenAndListVsLoad", Work::OpenAndList},
                   {"SortBySizeVsLoad", Work::SortBySize},
                   {"FilterWildcardVsLoad", Work::FilterWildcard},
                   {"FilterTextVsLoad", Work::FilterText}};
    benchmark::RegisterBenchmark("OpenAndListVsLoad_1KiBEntries", Compare, Work::OpenAndList)
        ->Arg(kKibEntries)
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (const auto& figure : figures) {
        benchmark::RegisterBenchmark(figure.name, Compare, figure.work)
            ->Arg(10000)->Arg(100000)->Arg(200000)
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!std::getenv("TOMELENS_BENCH_KEEP"))
        QDir(QString::fromStdString(dir)).removeRecursively();
    return 0;
}
