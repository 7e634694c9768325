#include "engine/EntryData.h"

#include "archive/DMResultCodes.h"
#include "engine/EntryNames.h"
#include "engine/LibraryMessages.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

Outcome Checked(const ArchiveWatch* watch)
{
    return watch ? watch->Check() : Outcome::Success();
}

Outcome ReadFailure(const DMDataFileEntry& entry, int code)
{
    return Outcome::Failure(code == DMResult::CorruptData ? Step::Inflate : Step::Read, EntryLabel(entry.GetName()),
                            EntryDataMessage(code));
}

int Append(void* context, const void* bytes, unsigned length)
{
    auto* data = static_cast<std::vector<unsigned char>*>(context);
    const auto* begin = static_cast<const unsigned char*>(bytes);
    data->insert(data->end(), begin, begin + length);
    return 0;
}

}  // namespace

Outcome SaveEntryData(const DMDataFileEntry& entry, const std::string& path, const ArchiveWatch* watch)
{
    return Guarded([&] {
        if (Outcome unchanged = Checked(watch); !unchanged.Ok())
            return unchanged;
        // Written beside the target first, so the target changes only once
        // the archive proved unchanged while the data was read.
        const fs::path target(path);
        const fs::path part = target.parent_path() / (target.filename().string() + ".entry-part");
        const int code = entry.SaveData(part.string().c_str());
        if (code != DMResult::Success) {
            if (code == DMResult::CannotOpen || code == DMResult::ShortWrite)
                return Outcome::Failure(Step::Write, path, ArchiveSaveMessage(code));
            return ReadFailure(entry, code);
        }
        ArchiveWatch::AfterRead();
        std::error_code error;
        if (Outcome unchanged = Checked(watch); !unchanged.Ok()) {
            fs::remove(part, error);
            return unchanged;
        }
        fs::rename(part, target, error);
        if (error) {
            fs::remove(part, error);
            return Outcome::Failure(Step::Replace, path, error.message());
        }
        return Outcome::Success(1);
    });
}

Outcome ReadEntryData(const DMDataFileEntry& entry, std::vector<unsigned char>& data, const ArchiveWatch* watch)
{
    return Guarded([&] {
        data.clear();
        if (Outcome unchanged = Checked(watch); !unchanged.Ok())
            return unchanged;
        // A length the packed bytes cannot hold is not believed.
        data.reserve(std::min<std::uint64_t>(entry.GetLength(), std::uint64_t(entry.GetPackedLength()) * 1032));
        const int code = entry.ReadData(Append, &data);
        ArchiveWatch::AfterRead();
        if (Outcome unchanged = Checked(watch); !unchanged.Ok()) {
            data.clear();
            return unchanged;
        }
        if (code != DMResult::Success) {
            data.clear();
            return ReadFailure(entry, code);
        }
        return Outcome::Success(1);
    });
}

}  // namespace tomelens::core
