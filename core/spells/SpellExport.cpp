#include "spells/SpellExport.h"

#include "spells/SpellDescription.h"

#include "FileWrite.h"

#include <sstream>
#include <string>

namespace tomelens::core {

namespace {

bool ValidRecord(std::span<const SpellRecord> records, int recordNumber)
{
    return recordNumber >= 0 && static_cast<std::size_t>(recordNumber) < records.size();
}

// The export is a text file: line ends as the platform writes them.
std::string PlatformLineEnds(std::string text)
{
#ifdef _WIN32
    std::string converted;
    converted.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
#else
    return text;
#endif
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
    std::ostringstream text;
    if (allSpells) {
        WriteAllSpellsExport(text, records, recordNumbers);
    } else {
        for (int recordNumber : recordNumbers)
            WriteSpellExport(text, records, recordNumber);
    }
    AtomicFileWriter::Step failed = AtomicFileWriter::Step::None;
    if (WriteWholeFile(path, PlatformLineEnds(std::move(text).str()), &failed).empty())
        return SpellExportStatus::Ok;
    switch (failed) {
    case AtomicFileWriter::Step::Create:
        return SpellExportStatus::CannotCreate;
    case AtomicFileWriter::Step::Replace:
        return SpellExportStatus::CannotReplace;
    default:
        return SpellExportStatus::CannotWrite;
    }
}

}  // namespace tomelens::core
