#include "modding/Pack.h"

#include "ArchiveLock.h"
#include "EntryNameCodec.h"
#include "ListOrder.h"
#include "ParallelFor.h"
#include "engine/AddFiles.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveWatch.h"
#include "engine/CreateArchive.h"
#include "engine/LibraryMessages.h"
#include "engine/SaveArchive.h"
#include "RegularFile.h"
#include "modding/FileCrc.h"
#include "modding/Manifest.h"
#include "modding/ModdingPaths.h"

#include "archive/DMResultCodes.h"

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_map>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

struct FoundFile {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
};

struct FolderContent {
    std::map<std::string, FoundFile> files;  // by path relative to the folder, '/' between parts
    std::set<std::string> folders;
};

Outcome ReadManifest(const fs::path& path, std::optional<Manifest>& manifest)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error)))
        return Outcome::Success();
    int code = 0;
    unsigned long long size = 0;
    UniqueFile file = OpenRegularFile(path.string(), &size, &code);
    if (!file)
        return Outcome::Failure(Step::Read, path.string(), std::strerror(code));
    std::string document(size, '\0');
    if (std::fread(document.data(), 1, document.size(), file.get()) != document.size())
        return Outcome::Failure(Step::Read, path.string(), "cannot be read in full");
    std::string problem;
    manifest = ManifestFromJson(document, problem);
    if (!manifest)
        return Outcome::Failure(Step::Refused, path.string(), "is not a usable manifest: " + problem);
    return Outcome::Success();
}

// Every regular file under the folder, except the manifest and the archive
// being written (which may lie inside the folder).
Outcome ScanFolder(const fs::path& folder, const std::optional<FileIdentity>& output, FolderContent& content)
{
    std::error_code error;
    fs::recursive_directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        const std::string relative = PathToManifestText(path.lexically_relative(folder));
        const fs::file_status link = it->symlink_status(error);
        if (error)
            break;
        if (fs::is_directory(link)) {
            content.folders.insert(relative);
            continue;
        }
        if (relative == kManifestFileName)
            continue;
        const auto identity = FileIdentity::Of(path);
        if (!identity || !fs::is_regular_file(fs::status(path, error)))
            return Outcome::Failure(Step::Refused, path.string(),
                                    "is not a regular file; pack takes only files and folders");
        if (output && identity->device == output->device && identity->file == output->file)
            continue;
        content.files[relative] = {identity->size, identity->modifiedNs};
    }
    if (error)
        return Outcome::Failure(Step::Read, folder.string(), error.message());
    return Outcome::Success();
}

// The separator added files get in their names: the archive's own, when its
// names use one.
char NameSeparator(const Manifest& manifest)
{
    for (const ManifestEntry& entry : manifest.entries) {
        const std::size_t at = entry.name.find_first_of("/\\");
        if (at != std::string::npos)
            return entry.name[at];
    }
    return '/';
}

std::string Mismatch(const Manifest& manifest, DMDataFile& archive)
{
    if (archive.GetNumEntries() != manifest.entries.size())
        return "it holds " + std::to_string(archive.GetNumEntries()) + " entries, the manifest " +
               std::to_string(manifest.entries.size());
    for (unsigned i = 0; i < archive.GetNumEntries(); ++i) {
        const DMDataFileEntry& entry = *archive.GetEntry(i);
        const ManifestEntry& expected = manifest.entries[i];
        if (entry.GetName() != expected.name || entry.GetLength() != expected.length ||
            entry.GetCheckSum() != expected.checkSum || entry.GetOffset() + 12 != expected.offset ||
            entry.GetPackedLength() != expected.packedLength || entry.GetIndex() != expected.index)
            return "its entry " + std::to_string(i + 1) + " differs from the manifest's";
    }
    unsigned length = 0;
    const void* signature = archive.GetSignature(length);
    if (std::string(static_cast<const char*>(signature), signature ? length : 0) != manifest.signature)
        return "its signature differs from the manifest's";
    return {};
}

// Without a manifest there is nothing to keep: every file is new, and pack
// is create.
Outcome CreateFromFolder(const fs::path& folder, const fs::path& archivePath, PackReport& report,
                         const ProgressCallback& progress)
{
    std::vector<AddSource> sources;
    if (Outcome collected = CollectFiles({folder.string()}, FileIdentity::Of(archivePath), sources); !collected.Ok())
        return collected;
    ArchiveLock lock;
    std::string problem;
    if (!lock.Acquire(archivePath, kArchiveLockWait, problem))
        return Outcome::Failure(Step::Lock, archivePath.string(), problem);
    report.added = sources.size();
    return CreateArchive(archivePath.string(), sources, progress);
}

struct AddedFile {
    std::string path;
    std::string name;
    std::uint32_t crc = 0;
};

Outcome PackBody(const fs::path& folder, const fs::path& archivePath, const PackOptions& options,
                 PackReport& report, const ProgressCallback& progress)
{
    report = {};
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return Outcome::Failure(Step::Open, folder.string(), "is not a folder");

    std::optional<Manifest> manifest;
    if (Outcome read = ReadManifest(folder / kManifestFileName, manifest); !read.Ok())
        return read;
    if (!manifest)
        return CreateFromFolder(folder, archivePath, report, progress);
    report.usedManifest = true;
    const Manifest& m = *manifest;

    FolderContent content;
    if (Outcome scanned = ScanFolder(folder, FileIdentity::Of(archivePath), content); !scanned.Ok())
        return scanned;

    // Which of the manifest's entries are still there, and which files are new.
    enum class State { Kept, Changed, Removed, Unsure };
    std::vector<State> states(m.entries.size(), State::Removed);
    std::unordered_map<std::string, std::size_t> entryOfFile;
    std::unordered_map<std::string, std::string> fileOfName;
    for (std::size_t i = 0; i < m.entries.size(); ++i) {
        const ManifestEntry& entry = m.entries[i];
        if (!entryOfFile.emplace(entry.file, i).second)
            return Outcome::Failure(Step::Refused, (folder / kManifestFileName).string(),
                                    "lists the file \"" + entry.file + "\" twice");
        if (content.folders.count(entry.file))
            return Outcome::Failure(Step::Refused, (folder / PathFromManifestText(entry.file)).string(),
                                    "was a file when unpacked and is now a folder; move it away or restore the file");
        const auto found = content.files.find(entry.file);
        if (found == content.files.end())
            continue;
        fileOfName.emplace(entry.name, entry.file);
        if (found->second.size != entry.length)
            states[i] = State::Changed;
        else if (found->second.size == entry.size && found->second.modifiedNs == entry.modifiedNs)
            states[i] = State::Kept;
        else
            states[i] = State::Unsure;
    }
    const char separator = NameSeparator(m);
    std::vector<AddedFile> added;
    for (const auto& [path, found] : content.files) {
        if (entryOfFile.count(path))
            continue;
        std::string name;
        char32_t bad = 0;
        std::string text = path;
        if (separator != '/')
            std::replace(text.begin(), text.end(), '/', separator);
        if (!EntryNameFromUtf8(text, name, &bad))
            return Outcome::Failure(Step::Name, (folder / PathFromManifestText(path)).string(),
                                    "cannot be an entry name: the archive's code page has no " +
                                        DescribeCharacter(bad));
        const auto [other, fresh] = fileOfName.emplace(name, path);
        if (!fresh)
            return Outcome::Failure(Step::Name, (folder / PathFromManifestText(path)).string(),
                                    "would be entry \"" + EntryNameToUtf8(name) + "\", like the file \"" +
                                        other->second + "\"; rename one of them");
        added.push_back({path, std::move(name)});
    }

    // The writers' lock comes before the original is read, since the two are
    // often the same file.
    ArchiveLock lock;
    std::string problem;
    if (!lock.Acquire(archivePath, kArchiveLockWait, problem))
        return Outcome::Failure(Step::Lock, archivePath.string(), problem);

    const fs::path original = options.original.empty() ? PathFromManifestText(m.archive) : options.original;
    DataFilePtr archive;
    if (Outcome opened = OpenArchive(original.string(), LoadMode::Index, archive); !opened.Ok()) {
        opened.cause += "; pack copies unchanged entries from it (give it with --from)";
        return opened;
    }
    if (const std::string mismatch = Mismatch(m, *archive); !mismatch.empty())
        return Outcome::Failure(Step::Refused, original.string(),
                                "is not the archive this folder was unpacked from: " + mismatch);
    ArchiveWatch watch(*archive, original.string());

    // Checksums needed: to tell touched from changed files of the same length,
    // for --update-crc, and to say which stored checksums now disagree.
    struct CrcJob {
        std::string path;
        std::uint32_t* result;
    };
    std::vector<std::uint32_t> entryCrc(m.entries.size());
    std::vector<CrcJob> jobs;
    std::uint64_t bytesToRead = 0;
    for (std::size_t i = 0; i < m.entries.size(); ++i) {
        const ManifestEntry& entry = m.entries[i];
        const bool agreed = entry.checkSum == entry.crc32;
        if (states[i] == State::Unsure || (states[i] == State::Changed && (options.updateCrc || agreed))) {
            jobs.push_back({entry.file, &entryCrc[i]});
            bytesToRead += content.files[entry.file].size;
        }
    }
    for (AddedFile& file : added) {
        if (options.updateCrc) {
            jobs.push_back({file.path, &file.crc});
            bytesToRead += content.files[file.path].size;
        }
    }
    ProgressReporter reporter(progress, jobs.size(), bytesToRead);
    std::vector<Outcome> failures(jobs.size());
    ParallelFor(jobs.size(), [&](std::size_t j) {
        if (reporter.Cancelled())
            return;
        const fs::path path = folder / PathFromManifestText(jobs[j].path);
        int code = 0;
        const auto crc = FileCrc32(path.string(), code, [&](std::size_t bytes) { return reporter.Advance(bytes); });
        if (crc)
            *jobs[j].result = *crc;
        else if (!reporter.Cancelled())
            failures[j] = Outcome::Failure(Step::Read, path.string(), std::strerror(code));
        reporter.Advance(0, 1, jobs[j].path);
    });
    if (!reporter.Flush())
        return Outcome::Cancelled();
    for (Outcome& failure : failures) {
        if (!failure.Ok())
            return failure;
    }

    // The original's container becomes the new archive: unchanged entries
    // keep their packed bytes, changed ones read their files.
    std::vector<unsigned> removed;
    for (std::size_t i = 0; i < m.entries.size(); ++i) {
        const ManifestEntry& entry = m.entries[i];
        if (states[i] == State::Unsure)
            states[i] = entryCrc[i] == entry.crc32 ? State::Kept : State::Changed;
        if (states[i] == State::Kept) {
            ++report.kept;
            continue;
        }
        const auto position = static_cast<unsigned>(i);
        if (states[i] == State::Removed) {
            removed.push_back(position);
            continue;
        }
        ++report.changed;
        DMDataFileEntry& target = *archive->GetEntry(position);
        const fs::path path = folder / PathFromManifestText(entry.file);
        if (const int code = target.LoadData(path.string().c_str()); code != DMResult::Success)
            return Outcome::Failure(Step::Read, path.string(), EntryLoadMessage(code));
        if (options.updateCrc)
            target.SetCheckSum(entryCrc[i]);
        else if (entry.checkSum == entry.crc32 && entryCrc[i] != entry.checkSum)
            report.disagreeing.push_back({entry.name, entry.checkSum, entryCrc[i]});
    }
    archive->DelEntries(removed.data(), static_cast<unsigned>(removed.size()));
    report.removed = removed.size();

    std::vector<std::string_view> addedNames;
    for (const AddedFile& file : added)
        addedNames.push_back(file.name);
    for (const std::uint32_t k : ListOrderOf(addedNames)) {
        const AddedFile& file = added[k];
        DMDataFileEntry& entry = *archive->GetEntry(archive->AddEntry());
        entry.SetName(file.name.c_str());
        entry.SetCheckSum(options.updateCrc ? file.crc : 0);
        const fs::path path = folder / PathFromManifestText(file.path);
        if (const int code = entry.LoadData(path.string().c_str()); code != DMResult::Success)
            return Outcome::Failure(Step::Read, path.string(), EntryLoadMessage(code));
    }
    report.added = added.size();

    if (!reporter.Flush())
        return Outcome::Cancelled();
    Outcome saved = SaveArchive(*archive, archivePath.string(), progress, &watch);
    saved.done = report.kept + report.changed + report.added;
    return saved;
}

}  // namespace

Outcome Pack(const fs::path& folder, const fs::path& archive, const PackOptions& options, PackReport& report,
             const ProgressCallback& progress)
{
    return Guarded([&] { return PackBody(folder, archive, options, report, progress); });
}

}  // namespace tomelens::core
