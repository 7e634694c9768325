#pragma once

#include <filesystem>
#include <span>
#include <string>

// The one safe way the program and the command-line tool replace a file:
// the bytes go to a temporary file beside the target, which is flushed to
// disk and then renamed over the target. A failure at any step leaves the old
// file as it was and no temporary file behind. A replaced file keeps its
// permissions; a symbolic link at the target is followed, so the file it
// points to gets the new content and the link stays a link.
namespace tomelens::core {

struct AtomicFileOptions {
    // Wait until the bytes are on disk before the rename. Off only where many
    // files are written at once and a crash may lose them all anyway.
    bool flushToDisk = true;
    // Off: a link at the target is replaced by the new file, never followed
    // (for writes that must stay inside a folder).
    bool followLinkAtTarget = true;
};

class AtomicFile {
public:
    enum class Step { None, Create, Write, Replace };

    AtomicFile() = default;
    ~AtomicFile();  // abandons an uncommitted file
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for `target`. False (Step::Create) when the
    // target is a folder or its folder refuses a new file.
    bool Begin(const std::filesystem::path& target, AtomicFileOptions options = {});
    bool Write(std::span<const unsigned char> bytes);
    bool Write(std::string_view text);
    // Flushes, closes and renames the file over the target.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Abort();

    Step FailedStep() const { return m_failedStep; }
    int SystemError() const { return m_systemError; }
    // What went wrong, in words ("cannot be written: No space left on device").
    std::string ErrorText() const { return m_errorText; }

private:
    bool Fail(Step step, int systemError, std::string text);

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    AtomicFileOptions m_options;
    bool m_replacesRegularFile = false;
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    Step m_failedStep = Step::None;
    int m_systemError = 0;
    std::string m_errorText;
};

// The file a path names once symbolic links at its end are followed.
std::filesystem::path FollowLinks(std::filesystem::path path);

// The whole file in one call: an empty text on success, otherwise what went wrong.
std::string WriteFileAtomically(const std::filesystem::path& path, std::span<const unsigned char> bytes,
                                bool flushToDisk = true);

// Writes bytes to root/relativePath without ever leaving root: missing
// folders are made, but an existing part of the way that is a symbolic link
// or not a folder stops the write, and a link at the target is replaced,
// never followed.
std::string WriteFileInside(const std::filesystem::path& root, const std::string& relativePath,
                            std::span<const unsigned char> bytes);

}  // namespace tomelens::core
