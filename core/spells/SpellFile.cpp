#include "spells/SpellFile.h"

#include "FileWrite.h"

#include "ProgramFacts.h"
#include "RegularFile.h"

#include <climits>
#include <cstdio>

namespace tomelens::core {

namespace {

SpellFileResult Failure(SpellFileStatus status)
{
    const std::string contact = kMakerContact;
    switch (status) {
    case SpellFileStatus::CannotOpen:
        return {status, "Can't open spdat.eff file",
                "Use \"File\" -> \"Select Directory ...\" command to find spdat.eff file"};
    case SpellFileStatus::InvalidLength:
        return {status, "Invalid spdat.eff file. Please report this error to " + contact + ".",
                "Please report this error to " + contact};
    case SpellFileStatus::ShortRead:
        return {status, "Can't read spdat.eff file.", ""};
    case SpellFileStatus::Ok:
        break;
    }
    return {};
}

} // namespace

std::string SpellFilePathIn(const std::string& directory)
{
#if defined(_WIN32)
    return directory + '\\' + kSpellFileName;
#else
    return directory + '/' + kSpellFileName;
#endif
}

SpellFileResult ReadSpellFile(const std::string& path, std::vector<SpellRecord>& records)
{
    unsigned long long length = 0;
    const UniqueFile file = OpenRegularFile(path, &length);
    if (!file)
        return Failure(SpellFileStatus::CannotOpen);
    return ReadSpellRecords(file.get(), length, records);
}

SpellFileResult ReadSpellRecords(std::FILE* file, unsigned long long length, std::vector<SpellRecord>& records)
{
    if (length % kSpellRecordSize != 0)
        return Failure(SpellFileStatus::InvalidLength);

    // The count is kept as a signed 32-bit number by the program.
    const unsigned long long count = length / kSpellRecordSize;
    if (count > static_cast<unsigned long long>(INT_MAX))
        return Failure(SpellFileStatus::ShortRead);

    std::vector<SpellRecord> block(static_cast<std::size_t>(count));
    if (count != 0 && (std::fseek(file, 0, SEEK_SET) != 0 ||
                       std::fread(block.data(), kSpellRecordSize, block.size(), file) != block.size()))
        return Failure(SpellFileStatus::ShortRead);

    records = std::move(block);
    return {};
}

bool WriteSpellFile(const std::string& path, const std::vector<SpellRecord>& records)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(records.data());
    return WriteWholeFile(path, {bytes, records.size() * kSpellRecordSize}).empty();
}

}  // namespace tomelens::core
