#pragma once

#include <filesystem>
#include <span>
#include <string>

namespace tomelens::core {

// Writes bytes to root/relativePath without ever leaving root: missing
// folders are made, but an existing part of the way that is a symbolic link
// or not a folder stops the write. The bytes go to a temporary file in the
// target's folder that replaces the target only when complete, so a failure
// (disk full, ...) leaves neither a half-written file nor a changed old one,
// and a symbolic link at the target is replaced, never followed.
// Returns an empty text on success, otherwise what went wrong in words.
std::string WriteFileInside(const std::filesystem::path& root, const std::string& relativePath,
                            std::span<const unsigned char> bytes);

// The same atomic replacement for a file named directly by the user (an
// output file given with -o): path may be anywhere. flushToDisk waits until
// the bytes are on disk before the old file is replaced; extraction of many
// entries skips it, since a write error is reported without it too.
std::string WriteFileAtomically(const std::filesystem::path& path,
                                std::span<const unsigned char> bytes, bool flushToDisk = true);

// Shared first step of both platforms' atomic writers: the target's status
// (links not followed) and the folder that will hold the temporary file, or an
// error text when the target is a folder.
std::string FolderForReplacing(const std::filesystem::path& path, std::filesystem::file_status& status,
                               std::filesystem::path& folder);

}  // namespace tomelens::core
