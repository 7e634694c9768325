#pragma once

#include <string>

namespace tomelens::core {

// The library's result codes in words, for each kind of operation. The user
// never sees a bare code.

// Opening an archive (CheckFile and Load).
std::string ArchiveLoadMessage(int code);
// Saving an archive (Save).
std::string ArchiveSaveMessage(int code);
// Reading a file into an entry (LoadData).
std::string EntryLoadMessage(int code);
// Unpacking an entry's data (GetData).
std::string EntryDataMessage(int code);

}  // namespace tomelens::core
