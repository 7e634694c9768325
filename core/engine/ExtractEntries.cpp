#include "engine/ExtractEntries.h"

#include "DirectoryExtractor.h"
#include "ParallelFor.h"
#include "archive/DMResultCodes.h"
#include "engine/EntryNames.h"
#include "engine/LibraryMessages.h"
#include "engine/SafeEntryPath.h"
#include "engine/UniquePaths.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_set>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

// A fill's own codes: the target refused the bytes (the file keeps the
// system's reason), the caller cancelled, the archive changed.
constexpr int kTargetWriteFailed = 1000;
constexpr int kStopped = 1001;
constexpr int kChanged = 1002;

struct Sink {
    ExtractedFile* target;
    ProgressReporter* progress;
    std::string_view current;
    const DMDataFileEntry* entry;
    const ExtractOptions* options;
};

int WriteToFile(void* context, const void* bytes, unsigned length)
{
    auto* sink = static_cast<Sink*>(context);
    if (!sink->target->Append(bytes, length))
        return kTargetWriteFailed;
    if (sink->options->onData)
        sink->options->onData(*sink->entry, bytes, length);
    return sink->progress->Advance(length, 0, sink->current) ? 0 : kStopped;
}

class Extraction {
public:
    Extraction(DMDataFile& file, const ExtractOptions& options, const ArchiveWatch* watch)
        : m_file(file), m_options(options), m_watch(watch), m_rule(options.existing, options.ask),
          m_progress(options.progress)
    {
    }

    DirectoryExtractor extractor;
    ProgressReporter& Progress() { return m_progress; }
    bool Changed() const { return m_changed; }
    bool Stopped() const { return m_changed || m_cancelled || m_progress.Cancelled(); }
    void Claim(const std::string& path)
    {
        const std::lock_guard lock(m_claimMutex);
        m_claimed.insert(path);
    }

    // Writes one entry to `target`; fills `note` when there is something to say.
    bool Extract(unsigned position, std::string target, ExtractNote& note)
    {
        const DMDataFileEntry& entry = *m_file.GetEntry(position);
        note.position = position;
        std::optional<Decision> decision;
        if (IsProtected(target))
            return Note(note, ExtractNote::Kind::Protected, target, "is the archive being read");
        if (m_options.existing != ExistingFile::Overwrite && Exists(target)) {
            decision = Decide(target);
            if (*decision == Decision::Cancel)
                return false;
            if (*decision == Decision::KeepBoth)
                target = FreeNumbered(target);
        }
        for (;;) {
            const bool overwrite = decision == Decision::Replace || m_options.existing == ExistingFile::Overwrite;
            if (decision == Decision::Skip)
                return Note(note, ExtractNote::Kind::Skipped, target, {});
            if (decision == Decision::Refuse)
                return Note(note, ExtractNote::Kind::Exists, target, "already exists");
            std::string readProblem;
            const ExtractResult result = extractor.Write(target, overwrite, [&](ExtractedFile& out) {
                return Fill(entry, out, readProblem);
            });
            switch (result.outcome) {
            case ExtractOutcome::Written:
                ++m_written;
                if (target != NameAsUtf8(entry.GetName()))
                    Note(note, ExtractNote::Kind::Renamed, target, {});
                return true;
            case ExtractOutcome::Exists:
                // Taken since it was looked at: decide now.
                decision = Decide(target);
                if (*decision == Decision::Cancel)
                    return false;
                if (*decision == Decision::KeepBoth) {
                    target = FreeNumbered(target);
                    decision.reset();
                }
                continue;
            case ExtractOutcome::IsProtected:
                return Note(note, ExtractNote::Kind::Protected, target, "is the archive being read");
            case ExtractOutcome::FillFailed:
                if (result.fillResult == kStopped || result.fillResult == kChanged)
                    return false;
                return Note(note, ExtractNote::Kind::ReadFailed, target, readProblem);
            case ExtractOutcome::Failed:
                return Note(note, ExtractNote::Kind::WriteFailed, target, result.problem);
            }
        }
    }

    std::size_t Written() const { return m_written; }
    void Protect(const FileIdentity& identity)
    {
        m_protected = identity;
        extractor.Protect(identity);
    }

private:
    static bool Note(ExtractNote& note, ExtractNote::Kind kind, const std::string& path, std::string cause)
    {
        note.kind = kind;
        note.path = path;
        note.cause = std::move(cause);
        return true;
    }

    // A first look, so no question is put about the archive itself; the
    // extractor looks again at the moment it writes.
    bool IsProtected(const std::string& target) const
    {
        if (!m_protected)
            return false;
        const auto identity = FileIdentity::Of(m_options.folder / target);
        return identity && identity->device == m_protected->device && identity->file == m_protected->file;
    }

    bool Exists(const std::string& target) const
    {
        std::error_code error;
        return fs::exists(fs::symlink_status(m_options.folder / target, error));
    }

    Decision Decide(const std::string& target)
    {
        const Decision decision = m_rule.ForFile((m_options.folder / target).string());
        if (decision == Decision::Cancel)
            m_cancelled = true;
        return decision;
    }

    // The first "target~n" that neither exists nor was handed out.
    std::string FreeNumbered(const std::string& target)
    {
        const std::lock_guard lock(m_claimMutex);
        for (unsigned n = 2;; ++n) {
            std::string candidate = NumberedPath(target, n);
            if (!m_claimed.count(candidate) && !Exists(candidate)) {
                m_claimed.insert(candidate);
                return candidate;
            }
        }
    }

    int Fill(const DMDataFileEntry& entry, ExtractedFile& out, std::string& problem)
    {
        if (Stopped())
            return kStopped;
        if (m_watch && !m_watch->Check().Ok()) {
            m_changed = true;
            return kChanged;
        }
        if (m_options.onData)
            m_options.onData(entry, nullptr, 0);
        Sink sink{&out, &m_progress, entry.GetName(), &entry, &m_options};
        const int code = entry.ReadData(WriteToFile, &sink);
        if (m_watch) {
            ArchiveWatch::AfterRead();
            if (!m_watch->Check().Ok()) {
                m_changed = true;
                return kChanged;
            }
        }
        if (code != DMResult::Success && code != kTargetWriteFailed && code != kStopped)
            problem = EntryDataMessage(code);
        return code;
    }

    DMDataFile& m_file;
    const ExtractOptions& m_options;
    const ArchiveWatch* m_watch;
    NameRule m_rule;
    ProgressReporter m_progress;
    std::atomic<bool> m_changed{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<std::size_t> m_written{0};
    std::mutex m_claimMutex;
    std::unordered_set<std::string> m_claimed;
    std::optional<FileIdentity> m_protected;
};

Outcome FirstFailure(const std::vector<ExtractNote>& notes, DMDataFile& file, std::size_t written)
{
    for (const ExtractNote& note : notes) {
        if (!note.IsFailure())
            continue;
        const Step step = note.kind == ExtractNote::Kind::ReadFailed ? Step::Inflate : Step::Write;
        Outcome outcome = Outcome::Failure(step, EntryLabel(file.GetEntry(note.position)->GetName()), note.cause);
        outcome.done = written;
        return outcome;
    }
    return Outcome::Success(written);
}

}  // namespace

ExtractReport ExtractEntries(DMDataFile& file, const std::vector<unsigned>& positions, const ExtractOptions& options,
                             const ArchiveWatch* watch)
{
    ExtractReport report;
    std::size_t written = 0;
    report.outcome = Guarded([&] {
        Extraction work(file, options, watch);
        std::string problem;
        if (!work.extractor.Open(options.folder, problem))
            return Outcome::Failure(Step::Write, options.folder.string(), problem);
        if (!options.archivePath.empty()) {
            if (const auto archive = FileIdentity::Of(options.archivePath))
                work.Protect(*archive);
        }

        // Paths are handed out in data order before any work starts, so the
        // numbering of clashing names does not depend on the threads.
        std::vector<std::string> targets;
        targets.reserve(positions.size());
        UniquePaths usedPaths;
        std::uint64_t totalBytes = 0;
        for (unsigned position : positions) {
            const DMDataFileEntry& entry = *file.GetEntry(position);
            const std::string safePath = SafeEntryPath(NameForFile(entry.GetName()));
            targets.push_back(usedPaths.Claim(safePath.empty() ? "unnamed" : safePath));
            work.Claim(targets.back());
            totalBytes += entry.GetLength();
        }
        work.Progress().SetTotals(positions.size(), totalBytes);

        std::vector<ExtractNote> notes(positions.size());
        std::vector<char> noted(positions.size(), 0);
        ParallelFor(positions.size(), [&](std::size_t i) {
            if (work.Stopped())
                return;
            ExtractNote note;
            if (work.Extract(positions[i], targets[i], note) && !note.path.empty()) {
                notes[i] = std::move(note);
                noted[i] = 1;
            }
            work.Progress().Advance(0, 1);
        });
        for (std::size_t i = 0; i < positions.size(); ++i) {
            if (noted[i])
                report.notes.push_back(std::move(notes[i]));
        }
        written = work.Written();
        work.Progress().Flush();
        if (work.Changed()) {
            Outcome changed = ArchiveWatch::Changed(watch->Path());
            changed.done = written;
            return changed;
        }
        if (work.Stopped())
            return Outcome::Cancelled(written);
        return FirstFailure(report.notes, file, written);
    });
    if (report.outcome.step == Step::Memory)
        report.outcome.done = written;
    return report;
}

}  // namespace tomelens::core
