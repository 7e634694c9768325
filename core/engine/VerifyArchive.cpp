#include "engine/VerifyArchive.h"

#include "ParallelFor.h"
#include "archive/CheckSum.h"
#include "archive/DMResultCodes.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveWatch.h"
#include "engine/EntryNames.h"
#include "engine/LibraryMessages.h"

#include <atomic>
#include <cstdio>

namespace tomelens::core {

namespace {

constexpr int kStopped = 1000;

struct Reading {
    ProgressReporter* progress;
    bool sum;
    unsigned checkSum = 0;
};

int Check(void* context, const void* bytes, unsigned length)
{
    auto* reading = static_cast<Reading*>(context);
    if (reading->sum)
        reading->checkSum = CheckSum(bytes, length, reading->checkSum);
    return reading->progress->Advance(length) ? 0 : kStopped;
}

std::string Hex8(unsigned value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

}  // namespace

VerifyReport VerifyArchive(const std::string& path, bool compareCheckSums, const ProgressCallback& progress)
{
    VerifyReport report;
    report.outcome = Guarded([&] {
        DataFilePtr file;
        if (Outcome opened = OpenArchive(path, LoadMode::Index, file); !opened.Ok())
            return opened;
        const ArchiveWatch watch(*file, path);
        const std::vector<unsigned> positions = LiveEntries(*file);
        report.entries = positions.size();
        std::uint64_t totalBytes = 0;
        for (unsigned position : positions)
            totalBytes += file->GetEntry(position)->GetLength();
        ProgressReporter reporter(progress, positions.size(), totalBytes);

        std::vector<std::string> problems(positions.size());
        std::vector<std::string> mismatches(positions.size());
        std::atomic<bool> changed{false};
        ParallelFor(positions.size(), [&](std::size_t i) {
            if (reporter.Cancelled() || changed)
                return;
            const DMDataFileEntry& entry = *file->GetEntry(positions[i]);
            if (!watch.Check().Ok()) {
                changed = true;
                return;
            }
            Reading reading{&reporter, compareCheckSums};
            const int code = entry.ReadData(Check, &reading);
            ArchiveWatch::AfterRead();
            if (!watch.Check().Ok()) {
                changed = true;
                return;
            }
            if (code == kStopped)
                return;
            if (code != DMResult::Success)
                problems[i] = EntryDataMessage(code);
            else if (compareCheckSums && reading.checkSum != entry.GetCheckSum())
                mismatches[i] = "stored checksum " + Hex8(entry.GetCheckSum()) + " is not its data's ("
                              + Hex8(reading.checkSum) + ")";
            reporter.Advance(0, 1, entry.GetName());
        });
        if (changed)
            return ArchiveWatch::Changed(path);
        if (reporter.Cancelled())
            return Outcome::Cancelled(reporter.EntriesDone());
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const std::string label = EntryLabel(file->GetEntry(positions[i])->GetName());
            if (!problems[i].empty())
                report.failures.push_back(Outcome::Failure(Step::Inflate, label, problems[i]));
            if (!mismatches[i].empty())
                report.warnings.push_back(Outcome::Failure(Step::None, label, mismatches[i]));
        }
        if (!report.failures.empty()) {
            Outcome failed = Outcome::Failure(Step::Inflate, path,
                                              std::to_string(report.failures.size()) + " of "
                                                  + std::to_string(positions.size()) + " entries fail");
            failed.done = positions.size() - report.failures.size();
            return failed;
        }
        return Outcome::Success(positions.size());
    });
    return report;
}

}  // namespace tomelens::core
