#include "engine/SaveArchive.h"

#include "archive/DMResultCodes.h"
#include "engine/LibraryMessages.h"

namespace tomelens::core {

namespace {

// Codes no library result uses: the save stopped because the caller
// cancelled, or because the archive it copies from changed.
constexpr int kStopped = 1000;
constexpr int kChanged = 1001;

struct Watching {
    ProgressReporter reporter;
    const ArchiveWatch* watch;
};

int Observe(void* context, unsigned long long done, unsigned long long total)
{
    auto* watching = static_cast<Watching*>(context);
    ProgressReporter& reporter = watching->reporter;
    reporter.SetTotals(0, total);
    // The whole file is written and not yet in place: the last moment to
    // notice that entries were copied from a file rewritten meanwhile.
    if (done == total && watching->watch && !watching->watch->Check().Ok())
        return kChanged;
    const std::uint64_t before = reporter.BytesDone();
    return reporter.Advance(done > before ? done - before : 0) ? 0 : kStopped;
}

}  // namespace

Outcome SaveArchive(DMDataFile& file, const std::string& path, const ProgressCallback& progress, ArchiveWatch* watch)
{
    return Guarded([&] {
        if (watch) {
            if (Outcome unchanged = watch->Check(); !unchanged.Ok())
                return unchanged;
        }
        Watching watching{ProgressReporter(progress), watch};
        const int code = file.SaveObserved(path.empty() ? nullptr : path.c_str(), Observe, &watching);
        if (code == kStopped)
            return Outcome::Cancelled();
        if (code == kChanged)
            return watch->Check();
        if (code != DMResult::Success)
            return Outcome::Failure(code == DMResult::ShortRead ? Step::Read : Step::Write,
                                    path.empty() ? "the archive" : path, ArchiveSaveMessage(code));
        // Replacing the file changed the old one's link count: the entries
        // still read from it, and the watch starts over from here.
        if (watch)
            watch->Start(file, watch->Path());
        watching.reporter.Flush();
        return Outcome::Success();
    });
}

}  // namespace tomelens::core
