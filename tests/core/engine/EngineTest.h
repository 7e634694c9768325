#pragma once

// What the engine's suites share: archives opened and read back.
#include "engine/ArchiveFile.h"
#include "support/FileTree.h"

#include <filesystem>
#include <vector>

namespace enginetest {

namespace fs = std::filesystem;
using namespace testsupport;
using Tree = Folder;
using Entry = TextEntry;

// The live entries of a container or a file, in data order ("<corrupt>" for data that does not unpack).
std::vector<Entry> Contents(DMDataFile& file);
std::vector<Entry> Contents(const fs::path& path);
// Opens by index; fails the test when it cannot.
tomelens::core::DataFilePtr Open(const fs::path& path);

}  // namespace enginetest
