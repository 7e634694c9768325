#include "engine/SaveArchive.h"

#include "archive/DMResultCodes.h"
#include "engine/LibraryMessages.h"

namespace tomelens::core {

namespace {

// A code no library result uses: the save stopped because the caller cancelled.
constexpr int kStopped = 1000;

int Observe(void* context, unsigned long long done, unsigned long long total)
{
    auto* reporter = static_cast<ProgressReporter*>(context);
    reporter->SetTotals(0, total);
    const std::uint64_t before = reporter->BytesDone();
    return reporter->Advance(done > before ? done - before : 0) ? 0 : kStopped;
}

}  // namespace

Outcome SaveArchive(DMDataFile& file, const std::string& path, const ProgressCallback& progress, ArchiveWatch* watch)
{
    return Guarded([&] {
        if (watch) {
            if (Outcome unchanged = watch->Check(); !unchanged.Ok())
                return unchanged;
        }
        ProgressReporter reporter(progress);
        const int code = file.SaveObserved(path.empty() ? nullptr : path.c_str(), Observe, &reporter);
        if (code == kStopped)
            return Outcome::Cancelled();
        if (code != DMResult::Success)
            return Outcome::Failure(code == DMResult::ShortRead ? Step::Read : Step::Write,
                                    path.empty() ? "the archive" : path, ArchiveSaveMessage(code));
        // Replacing the file changed the old one's link count: the entries
        // still read from it, and the watch starts over from here.
        if (watch)
            watch->Start(file, watch->Path());
        reporter.Flush();
        return Outcome::Success();
    });
}

}  // namespace tomelens::core
