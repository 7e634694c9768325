#pragma once

#include "archive/AtomicFileWriter.h"

#include <span>
#include <string>
#include <string_view>

// The program's and the command-line tool's side of the one file writer
// (archive/AtomicFileWriter.h): whole files in one call, and failures in the
// words the messages show.
namespace tomelens::core {

using archive::AtomicFileWriter;

// The system's text for an error number (errno, or GetLastError() on Windows).
std::string SystemErrorText(int error);

// What went wrong with `writer`, whose target was `path`: "is a folder",
// "cannot create a file in 'folder': ..." (a new file), "cannot be written:
// ..." (including an existing file that is protected), "cannot replace it: ...".
std::string WriteFailureText(const AtomicFileWriter& writer, const std::string& path);

// Replaces the file at `path` with `bytes`: an empty text on success,
// otherwise what went wrong (the old file then stays as it was). The failed
// step is reported through `failedStep` when given.
std::string WriteWholeFile(const std::string& path, std::span<const unsigned char> bytes,
                           AtomicFileWriter::Step* failedStep = nullptr);
std::string WriteWholeFile(const std::string& path, std::string_view text,
                           AtomicFileWriter::Step* failedStep = nullptr);

}  // namespace tomelens::core
