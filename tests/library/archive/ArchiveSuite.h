#pragma once

// What every archive test file shares: the byte-level writer and what a loaded
// container holds, position by position.
#include "support/ArchiveBytes.h"

#include "archive/DMDataFile.h"
#include "archive/DMDataFileEntry.h"
#include "archive/DMResultCodes.h"

#include <gtest/gtest.h>

#include <ostream>

namespace archivetest {

using namespace testsupport;

struct EntryState {
    std::string name;
    Bytes data;
    std::uint32_t checkSum = 0;
    std::uint32_t index = 0;
    int dataResult = 0;
    bool operator==(const EntryState&) const = default;
};

inline void PrintTo(const EntryState& s, std::ostream* out)
{
    *out << "{\"" << s.name << "\", " << s.data.size() << " bytes, checksum " << s.checkSum << ", slot "
         << s.index << ", result " << s.dataResult << "}";
}

inline std::vector<EntryState> Snapshot(DMDataFile& file, bool skipDeleted = false)
{
    std::vector<EntryState> states;
    for (unsigned position = 0; position < file.GetNumEntries(); ++position) {
        const DMDataFileEntry* entry = file.GetEntry(position);
        if (skipDeleted && entry->Deleted())
            continue;
        EntryState state{entry->GetName(), Bytes(entry->GetLength()), entry->GetCheckSum(), entry->GetIndex()};
        state.dataResult = entry->GetData(state.data.data());
        states.push_back(std::move(state));
    }
    return states;
}

// What each entry's data read gives; a failed read's partial bytes are not defined.
inline std::vector<EntryState> Results(DMDataFile& file)
{
    std::vector<EntryState> states = Snapshot(file);
    for (EntryState& state : states) {
        if (state.dataResult != DMResult::Success)
            state.data.clear();
    }
    return states;
}

// Loads a file into a fresh container and returns what it holds; a failed load fails the test.
inline std::vector<EntryState> Reload(const std::string& path)
{
    DMDataFile reloaded(nullptr);
    EXPECT_EQ(reloaded.Load(path.c_str()), DMResult::Success) << path;
    return Snapshot(reloaded);
}

// An entry viewing `packed` as its blocks, claiming `length` plain bytes.
inline DMDataFileEntry ViewOf(const Bytes& packed, unsigned length)
{
    DMDataFileEntry entry;
    entry.SetLength(length);
    entry.SetOffset(0);
    entry.SetPackedData(packed.data(), static_cast<unsigned>(packed.size()));
    return entry;
}

}  // namespace archivetest
