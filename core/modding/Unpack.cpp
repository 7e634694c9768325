#include "modding/Unpack.h"

#include "ArchiveLock.h"
#include "ParallelFor.h"
#include "SafeFileWriter.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveWatch.h"
#include "engine/EntryNames.h"
#include "engine/ExtractEntries.h"
#include "modding/FileCrc.h"
#include "modding/Manifest.h"
#include "modding/ModdingPaths.h"

#include <cstring>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

Outcome PrepareFolder(const fs::path& folder)
{
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (fs::exists(status)) {
        if (!fs::is_directory(status))
            return Outcome::Failure(Step::Refused, folder.string(), "is not a folder");
        if (!fs::is_empty(folder, error))
            return Outcome::Failure(Step::Refused, folder.string(),
                                    "is not empty; unpack into a new or empty folder, so pack sees only the archive's files");
    } else if (!fs::create_directories(folder, error)) {
        return Outcome::Failure(Step::Write, folder.string(), error.message());
    }
    // Holds the manifest's place: empty, so pack refuses the folder until unpack has finished.
    if (!std::ofstream(folder / kManifestFileName, std::ios::binary))
        return Outcome::Failure(Step::Write, (folder / kManifestFileName).string(), "cannot be created");
    return Outcome::Success();
}

// Extracting and reading back are two passes over the entries: the caller
// sees one count running to twice their number.
ProgressCallback Phase(const ProgressCallback& progress, std::uint64_t entries, std::uint64_t before)
{
    if (!progress)
        return {};
    return [&progress, entries, before](const Progress& step) {
        Progress whole = step;
        whole.entriesDone += before;
        whole.entriesTotal = 2 * entries;
        return progress(whole);
    };
}

Outcome UnpackBody(const std::string& archivePath, const fs::path& folder, const ProgressCallback& progress)
{
    DataFilePtr file;
    if (Outcome opened = OpenArchive(archivePath, LoadMode::Index, file); !opened.Ok())
        return opened;
    const auto identity = FileIdentity::Of(archivePath);
    if (!identity)
        return Outcome::Failure(Step::Open, archivePath, "cannot be examined");
    if (Outcome prepared = PrepareFolder(folder); !prepared.Ok())
        return prepared;

    const std::vector<unsigned> positions = LiveEntries(*file);
    ExtractOptions options;
    options.folder = folder;
    options.existing = ExistingFile::KeepBoth;  // only the manifest's placeholder can be in the way
    options.progress = Phase(progress, positions.size(), 0);
    options.archivePath = archivePath;
    const ArchiveWatch watch(*file, archivePath);
    const ExtractReport extracted = ExtractEntries(*file, positions, options, &watch);
    if (!extracted.outcome.Ok())
        return extracted.outcome;

    // Where each entry went: its own name, unless extract had to say otherwise.
    std::vector<std::string> paths(file->GetNumEntries());
    for (unsigned position : positions)
        paths[position] = NameAsUtf8(file->GetEntry(position)->GetName());
    for (const ExtractNote& note : extracted.notes) {
        if (note.IsFailure())
            return Outcome::Failure(Step::Write, (folder / PathFromManifestText(note.path)).string(), note.cause);
        if (note.kind == ExtractNote::Kind::Renamed)
            paths[note.position] = note.path;
    }

    // The data's CRC-32 and each file's stamp, read back from the files just
    // written (still in the system's cache) on every core.
    Manifest manifest;
    manifest.archive = PathToManifestText(fs::absolute(archivePath));
    manifest.archiveSize = identity->size;
    manifest.archiveModifiedNs = identity->modifiedNs;
    unsigned signatureLength = 0;
    if (const void* signature = file->GetSignature(signatureLength))
        manifest.signature.assign(static_cast<const char*>(signature), signatureLength);
    manifest.entries.resize(positions.size());
    ProgressReporter reporter(Phase(progress, positions.size(), positions.size()), positions.size());
    std::vector<Outcome> failures(positions.size());
    ParallelFor(positions.size(), [&](std::size_t i) {
        const DMDataFileEntry& entry = *file->GetEntry(positions[i]);
        ManifestEntry& record = manifest.entries[i];
        record.name = entry.GetName();
        record.file = paths[positions[i]];
        record.length = entry.GetLength();
        record.checkSum = entry.GetCheckSum();
        record.offset = entry.GetOffset() + 12;
        record.packedLength = entry.GetPackedLength();
        record.index = entry.GetIndex();
        const fs::path written = folder / PathFromManifestText(record.file);
        int error = 0;
        const auto crc = FileCrc32(written.string(), error, [&](std::size_t bytes) { return reporter.Advance(bytes); });
        const auto stamp = FileIdentity::Of(written);
        if (crc && stamp) {
            record.crc32 = *crc;
            record.size = stamp->size;
            record.modifiedNs = stamp->modifiedNs;
        } else if (!reporter.Cancelled()) {
            failures[i] = Outcome::Failure(Step::Read, written.string(), error ? std::strerror(error) : "cannot be read");
        }
        reporter.Advance(0, 1, record.name);
    });
    if (!reporter.Flush())
        return Outcome::Cancelled(positions.size());
    for (Outcome& failure : failures) {
        if (!failure.Ok())
            return failure;
    }
    const std::string json = ManifestToJson(manifest);
    const fs::path manifestPath = folder / kManifestFileName;
    if (std::string problem = WriteFileAtomically(
            manifestPath, {reinterpret_cast<const unsigned char*>(json.data()), json.size()});
        !problem.empty())
        return Outcome::Failure(Step::Write, manifestPath.string(), problem);
    return Outcome::Success(positions.size());
}

}  // namespace

Outcome Unpack(const std::string& archivePath, const fs::path& folder, const ProgressCallback& progress)
{
    return Guarded([&] { return UnpackBody(archivePath, folder, progress); });
}

}  // namespace tomelens::core
