#pragma once

#include "ArchiveLock.h"
#include "archive/DMDataFile.h"
#include "engine/ArchiveWatch.h"
#include "engine/NamePolicy.h"
#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <optional>
#include <string>
#include <vector>

// Adding files to an open archive, and gathering the files to add.
namespace tomelens::core {

// One file and the entry name (bytes) it gets.
struct AddSource {
    std::string path;
    std::string name;
};

// The files under `paths`: a file stands for itself, named by its file name;
// a folder for every regular file below it, recursively, in name order, named
// by its path below the folder with '/' between the parts ("sub/a.txt").
// Symbolic links to folders are not followed; anything that is not a regular
// file, the temporary files of saves in progress and the file `skip` (the
// archive being written, when it lies inside a folder given) are left out.
// Fails on a folder that cannot be listed or a name an entry cannot hold.
Outcome CollectFiles(const std::vector<std::string>& paths, const std::optional<FileIdentity>& skip,
                     std::vector<AddSource>& sources);

struct AddOptions {
    ExistingName existing = ExistingName::KeepBoth;
    ExistingNameQuestion ask;  // for ExistingName::Ask
    ProgressCallback progress;
    // When given, each added entry keeps only its packed bytes, which live
    // here: memory then holds the packed archive rather than every file's
    // plain bytes. The caller keeps them until the archive is saved.
    std::vector<std::vector<unsigned char>>* packedStore = nullptr;
};

struct AddReport {
    Outcome outcome;              // done: entries added or replaced
    std::vector<Outcome> problems;  // every file that could not be read, in order
};

// Packs an entry's plain data into `packed` and lets the entry view it, so the
// plain bytes are freed as soon as they are packed (pack uses it too).
void KeepOnlyPacked(DMDataFileEntry& entry, std::vector<unsigned char>& packed);

// Adds the sources as entries, reading them on every core. A name the archive
// already has is handled by options.existing. Every file is read before the
// archive is touched: when any fails, or the progress callback cancels, the
// archive stays exactly as it was.
AddReport AddFiles(DMDataFile& file, const std::vector<AddSource>& sources, const AddOptions& options);

// Adds the sources to an archive just opened, unchanged, and writes the result
// to path in one pass, streaming like CreateArchive: the archive's entries are
// copied as they are and each file is packed as it is read, so memory does
// not grow with the files. The file is what AddFiles and a save would write.
// Nothing is written unless every file can be read; a cancel leaves path as
// it was, as does a change of the archive seen through `watch`.
// options.packedStore is not used.
AddReport AddFilesAndWrite(DMDataFile& file, const std::string& path, const std::vector<AddSource>& sources,
                           const AddOptions& options, const ArchiveWatch* watch = nullptr);

}  // namespace tomelens::core
