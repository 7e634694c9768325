#pragma once

#include "ArchiveLock.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace tomelens::archive {
class AtomicFileWriter;
}

namespace tomelens::core {

// The file being written by DirectoryExtractor::Write: a temporary file of
// the one file writer that takes its real name only once it is complete.
class ExtractedFile {
public:
    // Appends bytes; false when the system refuses, with its error kept.
    bool Append(const void* bytes, std::size_t length);
    int SystemError() const { return m_error; }

private:
    friend class DirectoryExtractor;
    archive::AtomicFileWriter* m_writer = nullptr;
    int m_error = 0;
};

// What became of one file.
enum class ExtractOutcome {
    Written,     // the file is in place
    Exists,      // a file of that name was there already and overwriting was not asked for
    IsProtected, // the name is the protected file's (the archive being read); left alone
    FillFailed,  // the caller's fill returned non-zero; nothing was left behind
    Failed,      // the system refused a step; problem says which and why
};

struct ExtractResult {
    ExtractOutcome outcome = ExtractOutcome::Failed;
    int fillResult = 0;
    std::string problem;
};

// Writes files below one folder that is opened once. Every folder on the way
// is made and entered relative to the handle of its parent, never following a
// symbolic link, and each file is written by the one file writer inside that
// folder handle: created new under a temporary name beside its target and then
// moved into place in one step, so neither a link planted in the tree nor one
// swapped in while we work can lead a write outside the folder. (On Windows
// the same steps run on paths, without that guarantee.) A file that replaces
// one already there is flushed to disk first; new files are not, as a crash
// would lose them all alike. Leftovers of killed extracts are swept from each
// folder the first time it is written to. Write may be called from several
// threads at once.
class DirectoryExtractor {
public:
    DirectoryExtractor() = default;
    ~DirectoryExtractor();
    DirectoryExtractor(const DirectoryExtractor&) = delete;
    DirectoryExtractor& operator=(const DirectoryExtractor&) = delete;

    // Opens root, making it (and its parents) when missing. On failure returns
    // false with the reason in problem.
    bool Open(const std::filesystem::path& root, std::string& problem);

    // A file that must never be replaced, such as the archive being read.
    void Protect(const FileIdentity& identity) { m_protected = identity; }

    // Writes root/relativePath (parts separated by '/', none empty, "." or
    // ".."): fill receives the new file and returns 0 or a code of its own.
    ExtractResult Write(const std::string& relativePath, bool overwrite,
                        const std::function<int(ExtractedFile&)>& fill);

    // Called between the steps of Write with the step's name, so tests can
    // change the tree at the worst moment. Null in normal use.
    static inline void (*s_betweenSteps)(const char* step) = nullptr;

private:
    bool IsProtected(std::uint64_t device, std::uint64_t file) const;
    // True the first time a folder is met, so its leftovers are swept once.
    bool FirstVisit(std::uint64_t device, std::uint64_t file);

    std::filesystem::path m_root;
#ifndef _WIN32
    int m_rootFd = -1;
#endif
    std::optional<FileIdentity> m_protected;
    std::mutex m_visitedLock;
    std::set<std::pair<std::uint64_t, std::uint64_t>> m_visited;
};

}  // namespace tomelens::core
