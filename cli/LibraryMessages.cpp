#include "LibraryMessages.h"

#include "archive/DMResultCodes.h"

namespace {

std::string Unexpected(int code)
{
    return "failed for an unexpected reason (library code " + std::to_string(code) + ")";
}

}  // namespace

std::string ArchiveLoadMessage(int code)
{
    switch (code) {
    case DMResult::NoPath:
    case DMResult::CannotOpen:
        return "cannot be opened";
    case DMResult::ShortRead:
        return "is not a valid archive (it is too short, or could not be read in full)";
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
    switch (code) {
    case DMResult::NoPath:
    case DMResult::CannotOpen:
        return "cannot be written (the file or its folder cannot be created or opened); nothing was changed";
    case DMResult::ShortWrite:
        return "could not be written in full (disk full, or the archive would exceed 4 GiB); "
               "the old file is unchanged";
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
        return "cannot be opened";
    case DMResult::ShortRead:
        return "cannot be read in full (or is too large for an archive entry)";
    default:
        return Unexpected(code);
    }
}

std::string EntryDataMessage(int code)
{
    switch (code) {
    case DMResult::CorruptData:
        return "packed data is corrupt";
    default:
        return Unexpected(code);
    }
}
