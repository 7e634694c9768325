#include "spells/SpellExport.h"

#include "spells/SpellDescription.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

bool ValidRecord(std::span<const SpellRecord> records, int recordNumber)
{
    return recordNumber >= 0 && static_cast<std::size_t>(recordNumber) < records.size();
}

// Makes a new, empty file next to target that no one else is using; returns
// its path, or an empty path when the folder does not let us create one.
fs::path CreateTemporaryBeside(const fs::path& target)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = folder / (target.filename().string() + ".tomelens-" + std::to_string(attempt) + ".tmp");
        // "x": fail if it exists, so a stranger's file is never taken over.
        if (std::FILE* file = std::fopen(candidate.string().c_str(), "wx")) {
            std::fclose(file);
            return candidate;
        }
        std::error_code ec;
        if (!fs::exists(candidate, ec))
            return {};  // not a name clash: the folder itself refuses
    }
    return {};
}

} // namespace

void WriteSpellExport(std::ostream& out, std::span<const SpellRecord> records, int recordNumber)
{
    if (!ValidRecord(records, recordNumber))
        return;
    const SpellRecord& record = records[static_cast<std::size_t>(recordNumber)];
    out << "Spell: " << record.Name() << '\n';
    DescribeSpell(out, record, "\t");
}

void WriteAllSpellsExport(std::ostream& out, std::span<const SpellRecord> records,
                          std::span<const int> recordNumbers)
{
    for (int recordNumber : recordNumbers) {
        if (!ValidRecord(records, recordNumber))
            continue;
        WriteSpellExport(out, records, recordNumber);
        out << '\n';
    }
}

SpellExportStatus SaveSpellExportFile(const std::string& path, std::span<const SpellRecord> records,
                                      std::span<const int> recordNumbers, bool allSpells)
{
    const fs::path target(path);
    const fs::path temporary = CreateTemporaryBeside(target);
    if (temporary.empty())
        return SpellExportStatus::CannotCreate;

    std::error_code ec;
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::out | std::ios::trunc);
        if (out) {
            if (allSpells) {
                WriteAllSpellsExport(out, records, recordNumbers);
            } else {
                for (int recordNumber : recordNumbers)
                    WriteSpellExport(out, records, recordNumber);
            }
            out.flush();
            out.close();
            written = !out.fail();
        }
    }
    if (!written) {
        fs::remove(temporary, ec);
        return SpellExportStatus::CannotWrite;
    }

    // An existing file keeps its permissions when it is replaced.
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::is_regular_file(old))
        fs::permissions(temporary, old.permissions(), ec);

    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return SpellExportStatus::CannotReplace;
    }
    return SpellExportStatus::Ok;
}

}  // namespace tomelens::core
