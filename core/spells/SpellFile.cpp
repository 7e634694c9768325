#include "spells/SpellFile.h"

#include "ProgramFacts.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <memory>

namespace tomelens::core {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

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

// The size of an open regular file; false for directories and devices, which
// some platforms let fopen open but which are no spell file.
bool RegularFileSize(std::FILE* file, unsigned long long& size)
{
#if defined(_WIN32)
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG)
        return false;
#else
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
#endif
    size = static_cast<unsigned long long>(info.st_size);
    return true;
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
    File file(std::fopen(path.c_str(), "rb"));
    unsigned long long length = 0;
    if (!file || !RegularFileSize(file.get(), length))
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
    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (!raw)
        return false;
    bool ok = records.empty() ||
              std::fwrite(records.data(), kSpellRecordSize, records.size(), raw) == records.size();
    ok = std::fflush(raw) == 0 && ok;
    ok = std::fclose(raw) == 0 && ok;
    if (!ok)
        std::remove(path.c_str());
    return ok;
}

}  // namespace tomelens::core
