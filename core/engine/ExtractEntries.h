#pragma once

#include "archive/DMDataFile.h"
#include "engine/ArchiveWatch.h"
#include "engine/NamePolicy.h"
#include "engine/Outcome.h"
#include "engine/Progress.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tomelens::core {

struct ExtractOptions {
    std::filesystem::path folder;  // made when missing
    ExistingFile existing = ExistingFile::Refuse;
    ExistingFileQuestion ask;      // for ExistingFile::Ask; gets the file's path
    ProgressCallback progress;
    std::string archivePath;       // never overwritten, should it lie in the folder
    // Sees each entry's plain bytes as they are written, piece by piece in
    // order, on the thread writing that entry (unpack takes their CRC-32 so).
    // A call without bytes starts the entry afresh: it is written again under
    // another name.
    std::function<void(const DMDataFileEntry& entry, const void* bytes, unsigned length)> onData;
};

// Something the caller should hear about one entry.
struct ExtractNote {
    enum class Kind {
        Renamed,    // written, under `path` rather than its own name (unsafe characters, a clash, Keep Both)
        Skipped,    // a file was there and the rule or the user kept it
        Exists,     // a file was there and the rule refused to replace it: a failure
        Protected,  // `path` is the archive being read: a failure
        ReadFailed, // the entry's data could not be read or unpacked: a failure
        WriteFailed // the file could not be written: a failure
    };
    unsigned position = 0;
    Kind kind = Kind::Renamed;
    std::string path;   // relative to the folder, '/' between parts
    std::string cause;  // for the failures
    bool IsFailure() const { return kind != Kind::Renamed && kind != Kind::Skipped; }
};

struct ExtractReport {
    Outcome outcome;  // done: files written
    std::vector<ExtractNote> notes;  // in the order of the positions
};

// Writes the entries at `positions` below options.folder on every core,
// keeping folders ('/' and '\' in names), with names made safe for the file
// system and clashes numbered ("a~2"); never through a symbolic link. Each
// file appears only once complete. A cancel or a change of the archive (seen
// through `watch`) stops the work: complete files stay, the one in progress
// is removed, and `done` says how many were written.
ExtractReport ExtractEntries(DMDataFile& file, const std::vector<unsigned>& positions, const ExtractOptions& options,
                             const ArchiveWatch* watch = nullptr);

}  // namespace tomelens::core
