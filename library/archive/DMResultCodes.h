#pragma once

// Result codes of every int-returning operation of DMDataFile and DMDataFileEntry.
namespace DMResult {
inline constexpr int Success = 0;        // the operation succeeded
inline constexpr int NoPath = 1;         // the container has no path (CheckFile, Save)
inline constexpr int CannotOpen = 2;     // no path given, or the file cannot be opened or created
inline constexpr int ShortWrite = 3;     // the file was not written in full, or would not fit the 32-bit format
inline constexpr int ShortRead = 4;      // the file was not read in full, or is too large to read
inline constexpr int NotArchive = 5;     // the file is not a valid archive
inline constexpr int BufferTooSmall = 6; // the caller's buffer is too small (GetPackedData)
inline constexpr int CorruptData = 7;    // packed data is corrupt, or cannot hold the entry's length
inline constexpr int NoDirectory = -1;   // the directory cannot be built: a directory index has no entry
}  // namespace DMResult
