#include "engine/EditEntries.h"

#include "archive/CheckSum.h"
#include "archive/DMResultCodes.h"
#include "engine/ArchiveFile.h"
#include "engine/EntryIndex.h"
#include "engine/EntryNames.h"
#include "engine/LibraryMessages.h"

#include <algorithm>
#include <unordered_set>

namespace tomelens::core {

namespace {

DMDataFileEntry* LiveEntry(DMDataFile& file, unsigned position)
{
    DMDataFileEntry* entry = file.GetEntry(position);
    return entry && !entry->Deleted() ? entry : nullptr;
}

Outcome NoEntryAt(unsigned position)
{
    return Outcome::Failure(Step::Refused, {}, "no entry at position " + std::to_string(position));
}

int AddToCheckSum(void* context, const void* bytes, unsigned length)
{
    auto* sum = static_cast<unsigned*>(context);
    *sum = CheckSum(bytes, length, *sum);
    return 0;
}

}  // namespace

Outcome FindEntries(DMDataFile& file, const std::string& archive, const std::vector<std::string>& names,
                    Matches matches, std::vector<unsigned>& positions, std::vector<Outcome>* problems)
{
    return Guarded([&] {
        const EntryIndex index(file);
        std::unordered_set<std::string_view> seen;
        positions.clear();
        Outcome first = Outcome::Success();
        auto fail = [&](std::string cause) {
            Outcome failure = Outcome::Failure(Step::Refused, archive, std::move(cause));
            if (problems)
                problems->push_back(failure);
            if (first.Ok())
                first = std::move(failure);
        };
        for (const std::string& name : names) {
            if (!seen.insert(name).second)
                continue;
            const auto found = index.Find(name);
            if (found.empty())
                fail("no " + EntryLabel(name));
            else if (matches == Matches::One && found.size() > 1)
                fail(std::to_string(found.size()) + " entries are named \"" + ShownName(name) + "\"");
            else
                positions.insert(positions.end(), found.begin(), found.end());
        }
        if (!first.Ok())
            return first;
        std::sort(positions.begin(), positions.end());
        return Outcome::Success(positions.size());
    });
}

Outcome DeleteEntries(DMDataFile& file, std::vector<unsigned> positions)
{
    return Guarded([&] {
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        std::erase_if(positions, [&](unsigned position) { return LiveEntry(file, position) == nullptr; });
        file.DelEntries(positions.data(), static_cast<unsigned>(positions.size()));
        return Outcome::Success(positions.size());
    });
}

Outcome RenameEntry(DMDataFile& file, unsigned position, const std::string& newName, ExistingName existing,
                    const ExistingNameQuestion& ask)
{
    return Guarded([&] {
        DMDataFileEntry* entry = LiveEntry(file, position);
        if (!entry)
            return NoEntryAt(position);
        std::vector<unsigned> others = EntryIndex(file).Find(newName);
        std::erase(others, position);
        if (!others.empty()) {
            NameRule rule(existing, ask);
            switch (rule.ForName(newName)) {
            case Decision::Replace: file.DelEntries(others.data(), static_cast<unsigned>(others.size())); break;
            case Decision::KeepBoth: break;
            case Decision::Skip: return Outcome::Success(0);
            case Decision::Refuse:
                return Outcome::Failure(Step::Name, EntryLabel(entry->GetName()),
                                        "the archive already has an " + EntryLabel(newName));
            case Decision::Cancel: return Outcome::Cancelled();
            }
        }
        entry->SetName(newName.c_str());
        return Outcome::Success(1);
    });
}

Outcome ReplaceData(DMDataFile& file, unsigned position, const std::string& path)
{
    return Guarded([&] {
        DMDataFileEntry* entry = LiveEntry(file, position);
        if (!entry)
            return NoEntryAt(position);
        if (std::string problem = InputFileProblem(path); !problem.empty())
            return Outcome::Failure(Step::Read, path, problem);
        // Read beside the entry first, so a failed read leaves its data alone.
        DMDataFileEntry loaded;
        if (const int code = loaded.LoadData(path.c_str()); code != DMResult::Success)
            return Outcome::Failure(Step::Read, path, EntryLoadMessage(code));
        const std::string name = entry->GetName();
        const unsigned index = entry->GetIndex();
        const unsigned checkSum = entry->GetCheckSum();
        *entry = loaded;
        entry->SetName(name.c_str());
        entry->SetIndex(index);
        entry->SetCheckSum(checkSum);
        return Outcome::Success(1);
    });
}

Outcome SetEntryCheckSum(DMDataFile& file, unsigned position, std::optional<unsigned> value)
{
    return Guarded([&] {
        DMDataFileEntry* entry = LiveEntry(file, position);
        if (!entry)
            return NoEntryAt(position);
        if (!value) {
            unsigned sum = 0;
            if (const int code = entry->ReadData(AddToCheckSum, &sum); code != DMResult::Success)
                return Outcome::Failure(Step::Inflate, EntryLabel(entry->GetName()), EntryDataMessage(code));
            value = sum;
        }
        entry->SetCheckSum(*value);
        return Outcome::Success(1);
    });
}

}  // namespace tomelens::core
