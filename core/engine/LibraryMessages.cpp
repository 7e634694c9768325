#include "engine/LibraryMessages.h"

#include "FileWrite.h"
#include "archive/DMLastError.h"
#include "archive/DMResultCodes.h"

#include <cstring>

namespace tomelens::core {

namespace {

std::string Unexpected(int code)
{
    return "failed for an unexpected reason (library code " + std::to_string(code) + ")";
}

// ": <the system's reason>" for the library's last failing file operation on
// this thread, or nothing when the failure was not the system's. On Windows
// the number is a GetLastError() code, which strerror would misread.
std::string SystemReason()
{
    const int error = DMLastSystemError();
    return error == 0 ? std::string() : ": " + tomelens::core::SystemErrorText(error);
}

}  // namespace

std::string ArchiveLoadMessage(int code)
{
    switch (code) {
    case DMResult::NoPath:
    case DMResult::CannotOpen:
        return "cannot be opened" + SystemReason();
    case DMResult::ShortRead:
        return "is not a valid archive (it is too short, or could not be read in full" + SystemReason() + ")";
    case DMResult::NotArchive:
        return "is not a valid archive";
    case DMResult::CorruptData:
        return "is not a valid archive (its list of entry names is corrupt)";
    default:
        return Unexpected(code);
    }
}

std::string ArchiveSaveMessage(int code)
{
    const std::string reason = SystemReason();
    switch (code) {
    case DMResult::NoPath:
    case DMResult::CannotOpen:
        return "cannot be written" + (reason.empty() ? " (the file or its folder cannot be created or opened)" : reason)
             + "; nothing was changed";
    case DMResult::ShortWrite:
        return "could not be written in full"
             + (reason.empty() ? " (the archive would exceed 4 GiB, or the source could not be read)" : reason)
             + "; the old file is unchanged";
    case DMResult::NoDirectory:
        return "cannot be saved: the archive's directory cannot be built; nothing was changed";
    default:
        return Unexpected(code);
    }
}

std::string EntryLoadMessage(int code)
{
    switch (code) {
    case DMResult::CannotOpen:
        return "cannot be opened" + SystemReason();
    case DMResult::ShortRead: {
        const std::string reason = SystemReason();
        return "cannot be read in full" + (reason.empty() ? " (or is too large for an archive entry)" : reason);
    }
    default:
        return Unexpected(code);
    }
}

std::string EntryDataMessage(int code)
{
    switch (code) {
    case DMResult::CorruptData:
        return "packed data is corrupt";
    case DMResult::ShortRead:
        return "its packed data could not be read from the archive" + SystemReason();
    default:
        return Unexpected(code);
    }
}

}  // namespace tomelens::core
