#include "engine/AddFiles.h"

#include "ParallelFor.h"
#include "archive/DMArchiveWriter.h"
#include "archive/DMResultCodes.h"
#include "archive/DMSaveTemp.h"
#include "engine/ArchiveFile.h"
#include "engine/EntryIndex.h"
#include "engine/EntryNames.h"
#include "engine/LibraryMessages.h"
#include "engine/StreamedEntry.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

bool IsSkipped(const fs::path& path, const std::optional<FileIdentity>& skip)
{
    if (!skip)
        return false;
    const auto identity = FileIdentity::Of(path);
    return identity && identity->device == skip->device && identity->file == skip->file;
}

Outcome CollectFolder(const fs::path& folder, const std::optional<FileIdentity>& skip, std::vector<AddSource>& sources)
{
    std::vector<std::pair<std::string, std::string>> found;  // relative UTF-8 path, full path
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code statusError;
        if (!it->is_regular_file(statusError) || DMIsSaveTempName(it->path().filename().string().c_str())
            || IsSkipped(it->path(), skip))
            continue;
        found.emplace_back(it->path().lexically_relative(folder).generic_string(), it->path().string());
    }
    if (error)
        return Outcome::Failure(Step::Read, folder.string(), "cannot be listed: " + error.message());
    std::sort(found.begin(), found.end());
    for (const auto& [relative, full] : found) {
        std::string problem;
        const auto name = NameFromText(relative, problem);
        if (!name)
            return Outcome::Failure(Step::Name, full, "the file name " + problem);
        sources.push_back({full, *name});
    }
    return Outcome::Success();
}

constexpr unsigned kNewEntry = ~0u;
constexpr unsigned kSkipped = ~0u - 1;

// Where each source goes: an existing entry's position, a new entry, or nowhere.
Outcome Decide(DMDataFile& file, const std::vector<AddSource>& sources, const AddOptions& options,
               std::vector<unsigned>& targets, std::vector<Outcome>& problems)
{
    const EntryIndex index(file);
    NameRule rule(options.existing, options.ask);
    targets.assign(sources.size(), kNewEntry);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const auto found = index.Find(sources[i].name);
        if (found.empty())
            continue;
        switch (rule.ForName(sources[i].name)) {
        case Decision::Replace: targets[i] = found.front(); break;
        case Decision::KeepBoth: break;
        case Decision::Skip: targets[i] = kSkipped; break;
        case Decision::Refuse:
            targets[i] = kSkipped;
            problems.push_back(Outcome::Failure(Step::Name, sources[i].path,
                                                "the archive already has an " + EntryLabel(sources[i].name)));
            break;
        case Decision::Cancel: return Outcome::Cancelled();
        }
    }
    return Outcome::Success();
}

Outcome AddBody(DMDataFile& file, const std::vector<AddSource>& sources, const AddOptions& options,
                std::vector<Outcome>& problems)
{
    std::vector<unsigned> targets;
    if (Outcome decided = Decide(file, sources, options, targets, problems); !decided.Ok())
        return decided;
    if (!problems.empty())
        return problems.front();

    std::uint64_t totalBytes = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        std::error_code error;
        if (targets[i] != kSkipped)
            totalBytes += fs::file_size(sources[i].path, error);
    }
    ProgressReporter progress(options.progress, sources.size(), totalBytes);
    std::vector<std::unique_ptr<DMDataFileEntry>> loaded(sources.size());
    std::vector<std::vector<unsigned char>> packed(options.packedStore ? sources.size() : 0);
    std::vector<std::string> failures(sources.size());
    ParallelFor(sources.size(), [&](std::size_t i) {
        if (progress.Cancelled() || targets[i] == kSkipped)
            return;
        auto entry = std::make_unique<DMDataFileEntry>();
        const int code = entry->LoadData(sources[i].path.c_str());
        if (code != DMResult::Success) {
            // A missing file or a folder is named as such; other failures by the system's reason.
            failures[i] = InputFileProblem(sources[i].path);
            if (failures[i].empty())
                failures[i] = EntryLoadMessage(code);
            progress.Advance(0, 1, sources[i].path);
            return;
        }
        if (options.packedStore)
            KeepOnlyPacked(*entry, packed[i]);
        const std::uint64_t length = entry->GetLength();
        loaded[i] = std::move(entry);
        progress.Advance(length, 1, sources[i].path);
    });
    if (!progress.Flush())
        return Outcome::Cancelled();
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (!failures[i].empty())
            problems.push_back(Outcome::Failure(Step::Read, sources[i].path, failures[i]));
    }
    if (!problems.empty())
        return problems.front();

    // Everything is read: only now does the archive change.
    if (options.packedStore)
        options.packedStore->reserve(options.packedStore->size() + sources.size());
    std::size_t done = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (targets[i] == kSkipped)
            continue;
        const unsigned position = targets[i] == kNewEntry ? file.AddEntry() : targets[i];
        DMDataFileEntry* entry = file.GetEntry(position);
        if (!entry)
            return Outcome::Failure(Step::Refused, sources[i].path, "cannot create a new entry for it");
        const unsigned index = entry->GetIndex();
        const unsigned checkSum = entry->GetCheckSum();
        if (options.packedStore) {
            entry->SetData(nullptr, 0);
            entry->SetLength(loaded[i]->GetLength());
            entry->SetOffset(0);
            options.packedStore->push_back(std::move(packed[i]));
            entry->SetPackedData(options.packedStore->back().data(),
                                 static_cast<unsigned>(options.packedStore->back().size()));
        } else {
            *entry = *loaded[i];
            entry->SetIndex(index);
            entry->SetCheckSum(checkSum);
        }
        entry->SetName(sources[i].name.c_str());
        loaded[i].reset();
        ++done;
    }
    return Outcome::Success(done);
}

Outcome AddAndWriteBody(DMDataFile& file, const std::string& path, const std::vector<AddSource>& sources,
                        const AddOptions& options, const ArchiveWatch* watch, std::vector<Outcome>& problems)
{
    std::vector<unsigned> targets;
    if (Outcome decided = Decide(file, sources, options, targets, problems); !decided.Ok())
        return decided;
    std::uint64_t totalBytes = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (targets[i] == kSkipped)
            continue;
        if (std::string problem = InputFileProblem(sources[i].path); !problem.empty())
            problems.push_back(Outcome::Failure(Step::Read, sources[i].path, problem));
        std::error_code error;
        totalBytes += fs::file_size(sources[i].path, error);
    }
    if (!problems.empty())
        return problems.front();

    // The entries keep their places and slots; the new ones follow, in the
    // slots a container's AddEntry would give them.
    const std::vector<unsigned> live = LiveEntries(file);
    std::vector<std::size_t> replacedBy(file.GetNumEntries(), sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (targets[i] != kNewEntry && targets[i] != kSkipped)
            replacedBy[targets[i]] = i;
    }
    std::vector<bool> slotTaken(live.size() + 1, false);
    for (unsigned position : live)
        slotTaken.at(file.GetEntry(position)->GetIndex()) = true;
    const auto nameListSlot =
        static_cast<unsigned>(std::find(slotTaken.begin(), slotTaken.end(), false) - slotTaken.begin());

    ProgressReporter progress(options.progress, live.size() + sources.size(), totalBytes);
    DMArchiveWriter writer;
    if (const int code = writer.Open(path.c_str()); code != DMResult::Success)
        return WriterFailure(path, code);
    std::size_t done = 0;
    std::vector<unsigned char> piece;
    for (unsigned position : live) {
        DMDataFileEntry& entry = *file.GetEntry(position);
        const std::size_t source = replacedBy[position];
        if (source == sources.size()) {
            if (const int code = writer.CopyEntry(file, position); code != DMResult::Success)
                return code == DMResult::ShortRead ? Outcome::Failure(Step::Read, EntryLabel(entry.GetName()),
                                                                      EntryDataMessage(code))
                                                   : WriterFailure(path, code);
            if (!progress.Advance(0, 1, entry.GetName()))
                return Outcome::Cancelled();
        } else {
            const AddSource replacement{sources[source].path, entry.GetName()};
            if (Outcome streamed = StreamFileEntry(writer, path, replacement, entry.GetCheckSum(), progress, piece);
                !streamed.Ok())
                return streamed;
            ++done;
        }
        writer.SetSlot(entry.GetIndex());
    }
    unsigned nextSlot = static_cast<unsigned>(live.size()) + 1;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (targets[i] != kNewEntry)
            continue;
        if (Outcome streamed = StreamFileEntry(writer, path, sources[i], 0, progress, piece); !streamed.Ok())
            return streamed;
        writer.SetSlot(nextSlot++);
        ++done;
    }
    writer.SetNameListSlot(nameListSlot);
    unsigned signatureLength = 0;
    if (const void* signature = file.GetSignature(signatureLength))
        writer.SetSignature(signature, signatureLength);
    if (!progress.Flush())
        return Outcome::Cancelled();
    // The entries were copied from the archive's file: it must not have changed meanwhile.
    if (watch) {
        if (Outcome unchanged = watch->Check(); !unchanged.Ok())
            return unchanged;
    }
    if (const int code = writer.Finish(); code != DMResult::Success)
        return WriterFailure(path, code);
    return Outcome::Success(done);
}

}  // namespace

void KeepOnlyPacked(DMDataFileEntry& entry, std::vector<unsigned char>& packed)
{
    const unsigned length = entry.GetLength();
    // Room for the worst case of stored blocks; grown if ever too small.
    std::uint64_t room = length + 8ull * (length >> 13) + length / 10 + 64;
    for (;;) {
        packed.resize(room);
        unsigned size = static_cast<unsigned>(room);
        if (entry.GetPackedData(packed.data(), size) == DMResult::Success) {
            packed.resize(size);
            packed.shrink_to_fit();
            break;
        }
        room += length / 2 + 64;
    }
    entry.SetData(nullptr, 0);
    entry.SetLength(length);
    entry.SetOffset(0);
    entry.SetPackedData(packed.data(), static_cast<unsigned>(packed.size()));
}


Outcome CollectFiles(const std::vector<std::string>& paths, const std::optional<FileIdentity>& skip,
                     std::vector<AddSource>& sources)
{
    return Guarded([&] {
        for (const std::string& path : paths) {
            std::error_code error;
            if (fs::is_directory(path, error)) {
                if (Outcome collected = CollectFolder(path, skip, sources); !collected.Ok())
                    return collected;
                continue;
            }
            std::string problem;
            const auto name = NameFromText(fs::path(path).filename().string(), problem);
            if (!name)
                return Outcome::Failure(Step::Name, path, "the file name " + problem);
            sources.push_back({path, *name});
        }
        return Outcome::Success(sources.size());
    });
}

AddReport AddFiles(DMDataFile& file, const std::vector<AddSource>& sources, const AddOptions& options)
{
    AddReport report;
    report.outcome = Guarded([&] { return AddBody(file, sources, options, report.problems); });
    return report;
}

AddReport AddFilesAndWrite(DMDataFile& file, const std::string& path, const std::vector<AddSource>& sources,
                           const AddOptions& options, const ArchiveWatch* watch)
{
    AddReport report;
    report.outcome = Guarded([&] { return AddAndWriteBody(file, path, sources, options, watch, report.problems); });
    return report;
}

}  // namespace tomelens::core
