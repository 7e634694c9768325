#include "modding/Pack.h"

#include "ArchiveLock.h"
#include "EntryNameCodec.h"
#include "FileWrite.h"
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

    // A touched file of its old length is read once to tell whether it changed.
    std::vector<std::uint32_t> entryCrc(m.entries.size());
    std::vector<std::size_t> unsure;
    std::uint64_t bytesToRead = 0;
    for (std::size_t i = 0; i < m.entries.size(); ++i) {
        if (states[i] == State::Unsure) {
            unsure.push_back(i);
            bytesToRead += m.entries[i].length;
        }
    }
    ProgressReporter reporter(progress, unsure.size(), bytesToRead);
    std::vector<Outcome> failures(unsure.size());
    ParallelFor(unsure.size(), [&](std::size_t u) {
        const ManifestEntry& entry = m.entries[unsure[u]];
        const fs::path path = folder / PathFromManifestText(entry.file);
        int code = 0;
        const auto crc = FileCrc32(path.string(), code, [&](std::size_t bytes) { return reporter.Advance(bytes); });
        if (crc)
            entryCrc[unsure[u]] = *crc;
        else if (!reporter.Cancelled())
            failures[u] = Outcome::Failure(Step::Read, path.string(), std::strerror(code));
        reporter.Advance(0, 1, entry.file);
    });
    if (!reporter.Flush())
        return Outcome::Cancelled();
    for (Outcome& failure : failures) {
        if (!failure.Ok())
            return failure;
    }

    // The original's container becomes the new archive: unchanged entries
    // keep their packed bytes; changed and new ones get their files' data.
    struct Load {
        DMDataFileEntry* entry;
        std::string file;
        std::uint32_t* crc;  // where the data's CRC-32 goes
    };
    std::vector<Load> loads;
    std::vector<unsigned> removed;
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < m.entries.size(); ++i) {
        const ManifestEntry& entry = m.entries[i];
        if (states[i] == State::Unsure)
            states[i] = entryCrc[i] == entry.crc32 ? State::Kept : State::Changed;
        const auto position = static_cast<unsigned>(i);
        if (states[i] == State::Removed)
            removed.push_back(position);
        if (states[i] != State::Changed)
            continue;
        changed.push_back(i);
        loads.push_back({archive->GetEntry(position), entry.file, &entryCrc[i]});
    }
    std::vector<std::string_view> addedNames;
    for (const AddedFile& file : added)
        addedNames.push_back(file.name);
    for (const std::uint32_t k : ListOrderOf(addedNames)) {
        AddedFile& file = added[k];
        DMDataFileEntry& entry = *archive->GetEntry(archive->AddEntry());
        entry.SetName(file.name.c_str());
        loads.push_back({&entry, file.path, &file.crc});
    }

    // Every file is read, its CRC-32 taken when wanted and its data packed at
    // once on every core; only the packed bytes stay until the save.
    std::vector<std::vector<unsigned char>> packedStore(loads.size());
    std::uint64_t bytesToLoad = 0;
    for (const Load& load : loads)
        bytesToLoad += content.files[load.file].size;
    ProgressReporter loading(progress, loads.size(), bytesToLoad);
    failures.assign(loads.size(), Outcome::Success());
    ParallelFor(loads.size(), [&](std::size_t j) {
        if (loading.Cancelled())
            return;
        Load& load = loads[j];
        const fs::path path = folder / PathFromManifestText(load.file);
        if (const int code = load.entry->LoadData(path.string().c_str()); code != DMResult::Success) {
            failures[j] = Outcome::Failure(Step::Read, path.string(), EntryLoadMessage(code));
            return;
        }
        *load.crc = 0;
        load.entry->ReadData(
            [](void* crc, const void* bytes, unsigned length) {
                *static_cast<std::uint32_t*>(crc) = ContinueCrc32(*static_cast<std::uint32_t*>(crc), bytes, length);
                return 0;
            },
            load.crc);
        KeepOnlyPacked(*load.entry, packedStore[j]);
        loading.Advance(load.entry->GetLength(), 1, load.file);
    });
    if (!loading.Flush())
        return Outcome::Cancelled();
    for (Outcome& failure : failures) {
        if (!failure.Ok())
            return failure;
    }

    for (const std::size_t i : changed) {
        const ManifestEntry& entry = m.entries[i];
        if (options.updateCrc)
            archive->GetEntry(static_cast<unsigned>(i))->SetCheckSum(entryCrc[i]);
        else if (entry.checkSum == entry.crc32 && entryCrc[i] != entry.checkSum)
            report.disagreeing.push_back({entry.name, entry.checkSum, entryCrc[i]});
    }
    // New entries come after the changed ones among the loads; they get their
    // data's CRC-32 with --update-crc and 0 otherwise.
    for (std::size_t j = changed.size(); j < loads.size(); ++j)
        loads[j].entry->SetCheckSum(options.updateCrc ? *loads[j].crc : 0);
    archive->DelEntries(removed.data(), static_cast<unsigned>(removed.size()));
    report.kept = m.entries.size() - changed.size() - removed.size();
    report.changed = changed.size();
    report.removed = removed.size();
    report.added = added.size();

    // Packed over the archive it came from, the folder's manifest must follow
    // the new file, or the next pack would find its original gone.
    const bool overOriginal = fs::weakly_canonical(original, error) == fs::weakly_canonical(archivePath, error);
    Outcome saved = SaveArchive(*archive, archivePath.string(), progress, &watch);
    saved.done = report.kept + report.changed + report.added;
    if (!saved.Ok() || !overOriginal)
        return saved;
    std::unordered_map<const DMDataFileEntry*, std::pair<std::string, std::uint32_t>> fileAndCrc;
    for (std::size_t i = 0; i < m.entries.size(); ++i)
        fileAndCrc[archive->GetEntry(static_cast<unsigned>(i))] = {m.entries[i].file, m.entries[i].crc32};
    for (const Load& load : loads)
        fileAndCrc[load.entry] = {load.file, *load.crc};
    Manifest next;
    next.archive = PathToManifestText(fs::absolute(original));
    next.signature = m.signature;
    if (const auto written = FileIdentity::Of(archivePath)) {
        next.archiveSize = written->size;
        next.archiveModifiedNs = written->modifiedNs;
    }
    for (unsigned position = 0; position < archive->GetNumEntries(); ++position) {
        const DMDataFileEntry& entry = *archive->GetEntry(position);
        if (entry.Deleted())
            continue;
        const auto& [file, crc] = fileAndCrc[&entry];
        const FoundFile& found = content.files[file];
        next.entries.push_back({entry.GetName(), file, entry.GetLength(), entry.GetCheckSum(), crc,
                                entry.GetOffset() + 12, entry.GetPackedLength(), entry.GetIndex(), found.size,
                                found.modifiedNs});
    }
    const std::string json = ManifestToJson(next);
    const fs::path manifestPath = folder / kManifestFileName;
    if (std::string problem = WriteWholeFile(manifestPath.string(), std::string_view(json));
        !problem.empty())
        return Outcome::Failure(Step::Write, manifestPath.string(),
                                problem + "; the archive was written, but pack cannot follow it from this folder");
    return saved;
}

}  // namespace

Outcome Pack(const fs::path& folder, const fs::path& archive, const PackOptions& options, PackReport& report,
             const ProgressCallback& progress)
{
    return Guarded([&] { return PackBody(folder, archive, options, report, progress); });
}

}  // namespace tomelens::core
