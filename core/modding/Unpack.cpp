#include "modding/Unpack.h"

#include "ArchiveLock.h"
#include "FileWrite.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveWatch.h"
#include "engine/EntryNames.h"
#include "engine/ExtractEntries.h"
#include "modding/FileCrc.h"
#include "modding/Manifest.h"
#include "modding/ModdingPaths.h"

#include <cstring>
#include <unordered_map>
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
    // The data's CRC-32, taken as extract writes it.
    std::unordered_map<const DMDataFileEntry*, std::uint32_t> crcs;
    for (unsigned position : positions)
        crcs[file->GetEntry(position)] = 0;
    ExtractOptions options;
    options.onData = [&crcs](const DMDataFileEntry& entry, const void* bytes, unsigned length) {
        std::uint32_t& crc = crcs.find(&entry)->second;
        crc = bytes ? ContinueCrc32(crc, bytes, length) : 0;
    };
    options.folder = folder;
    options.existing = ExistingFile::KeepBoth;  // only the manifest's placeholder can be in the way
    options.progress = progress;
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

    // Each file's stamp, so pack knows an untouched file without reading it.
    Manifest manifest;
    manifest.archive = PathToManifestText(fs::absolute(archivePath));
    manifest.archiveSize = identity->size;
    manifest.archiveModifiedNs = identity->modifiedNs;
    unsigned signatureLength = 0;
    if (const void* signature = file->GetSignature(signatureLength))
        manifest.signature.assign(static_cast<const char*>(signature), signatureLength);
    for (unsigned position : positions) {
        const DMDataFileEntry& entry = *file->GetEntry(position);
        ManifestEntry record;
        record.name = entry.GetName();
        record.file = paths[position];
        record.length = entry.GetLength();
        record.checkSum = entry.GetCheckSum();
        record.crc32 = crcs[&entry];
        record.offset = entry.GetOffset() + 12;
        record.packedLength = entry.GetPackedLength();
        record.index = entry.GetIndex();
        const fs::path written = folder / PathFromManifestText(record.file);
        const auto stamp = FileIdentity::Of(written);
        if (!stamp)
            return Outcome::Failure(Step::Read, written.string(), "cannot be examined after it was written");
        record.size = stamp->size;
        record.modifiedNs = stamp->modifiedNs;
        manifest.entries.push_back(std::move(record));
    }
    const std::string json = ManifestToJson(manifest);
    const fs::path manifestPath = folder / kManifestFileName;
    if (std::string problem = WriteWholeFile(manifestPath.string(), std::string_view(json));
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
