#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "InputFile.h"
#include "FileWrite.h"
#include "spells/SpellFilterNames.h"
#include "skills/DMSkills.h"
#include "spells/SpellDescription.h"
#include "spells/SpellExport.h"
#include "spells/SpellFile.h"
#include "spells/SpellQuery.h"

#include <iostream>
#include <sstream>
#include <vector>

using namespace tomelens::core;

namespace {

const OptionRule kSpellOptions[] = {
    {"game-dir", 'g', true}, {"class", 0, true},  {"from", 0, true},       {"to", 0, true},
    {"skill", 0, true},      {"effect", 0, true}, {"output", 'o', true},
};

// The filter of the Spells tab from the options; an unknown name is a usage error.
SpellFilter FilterFromOptions(const ParsedArgs& parsed)
{
    SpellFilter filter;
    DMSkills skills;
    filter.skillCount = skills.GetMaxSkill();
    filter.skillFilter = filter.skillCount;
    filter.levels = ParseLevelRange(parsed.Value("from").value_or(""), parsed.Value("to").value_or(""));
    if (const auto name = parsed.Value("class")) {
        const auto value = ClassFilterByName(*name);
        if (!value)
            throw UsageError("unknown class \"" + *name + "\"");
        filter.classFilter = *value;
    }
    if (const auto name = parsed.Value("skill")) {
        const auto value = SkillFilterByName(*name, skills);
        if (!value)
            throw UsageError("unknown skill \"" + *name + "\"");
        filter.skillFilter = *value;
    }
    if (const auto name = parsed.Value("effect")) {
        const auto value = EffectFilterByName(*name);
        if (!value)
            throw UsageError("unknown effect \"" + *name + "\"");
        filter.effectFilter = *value;
    }
    return filter;
}

// The spell list's record numbers, in the order the list shows them.
std::vector<SpellLine> ListedSpells(std::span<const SpellRecord> records, const SpellFilter& filter)
{
    std::vector<SpellLine> lines = QuerySpells(records, filter);
    SortSpellLines(lines);
    return lines;
}

// Writes text to stdout, or replaces the file given with -o.
int Emit(const ParsedArgs& parsed, const std::string& text)
{
    const auto output = parsed.Value("output");
    if (!output) {
        std::cout << text;
        return FinishOutput(kExitOk);
    }
    const std::string problem = WriteWholeFile(*output, text);
    if (!problem.empty()) {
        ReportError(*output, problem);
        return kExitFailed;
    }
    return kExitOk;
}

int ExportToFile(const std::string& path, std::span<const SpellRecord> records,
                 std::span<const int> recordNumbers)
{
    switch (SaveSpellExportFile(path, records, recordNumbers, true)) {
    case SpellExportStatus::Ok:
        return kExitOk;
    case SpellExportStatus::CannotCreate:
        ReportError(path, "cannot be created (its folder is missing or not writable)");
        break;
    case SpellExportStatus::CannotWrite:
        ReportError(path, "could not be written in full (disk full?); the old file is unchanged");
        break;
    case SpellExportStatus::CannotReplace:
        ReportError(path, "cannot be replaced; the old file is unchanged");
        break;
    }
    return kExitFailed;
}

int DescribeByName(const ParsedArgs& parsed, std::span<const SpellRecord> records, const std::string& name)
{
    std::vector<std::size_t> matches;
    for (std::size_t n = 0; n < records.size(); ++n)
        if (records[n].HasName() && records[n].Name() == name)
            matches.push_back(n);
    if (matches.empty()) {
        ReportError(*parsed.Value("game-dir"), "no spell named \"" + DisplayName(name) + "\"");
        return kExitFailed;
    }
    if (matches.size() > 1)
        ReportError(*parsed.Value("game-dir"), std::to_string(matches.size()) + " spells are named \""
                                                   + DisplayName(name) + "\"; describing record "
                                                   + std::to_string(matches.front()));
    std::ostringstream text;
    DescribeSpell(text, records[matches.front()], "");
    return Emit(parsed, text.str());
}

}  // namespace

int RunSpells(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, kSpellOptions);
    if (parsed.help)
        return PrintHelp("spells");
    if (parsed.positionals.empty())
        throw UsageError("spells: say list, export or describe");
    const std::string& action = parsed.positionals[0];
    const bool describe = action == "describe";
    if (action != "list" && action != "export" && !describe)
        throw UsageError("spells: unknown action '" + action + "' (list, export or describe)");
    RequirePositionals(parsed, describe ? 2 : 1, describe ? 2 : 1, "spells " + action);
    const auto gameDir = parsed.Value("game-dir");
    if (!gameDir)
        throw UsageError("spells " + action + ": --game-dir DIR is needed");
    if (describe) {
        for (const char* filter : {"class", "from", "to", "skill", "effect"})
            if (parsed.Value(filter))
                throw UsageError("spells describe: --" + std::string(filter) + " filters lists, not a description");
    }
    // Names are checked before the file is read, so a typo is a usage error either way.
    const SpellFilter filter = describe ? SpellFilter{} : FilterFromOptions(parsed);

    const std::string path = SpellFilePathIn(*gameDir);
    std::vector<SpellRecord> records;
    std::string problem;
    unsigned long long size = 0;
    const auto file = OpenInputFile(path, problem, size);
    if (!file) {
        // The Spells tab's own words, with the reason when there is more to say than "missing".
        ReportError(path, "Can't open spdat.eff file" + (problem == kNoSuchFile ? "" : " (" + problem + ")"));
        return kExitFailed;
    }
    const SpellFileResult read = ReadSpellRecords(file.get(), size, records);
    if (!read.ok()) {
        ReportError(path, read.message);
        return kExitFailed;
    }

    if (describe)
        return DescribeByName(parsed, records, parsed.positionals[1]);

    const std::vector<SpellLine> lines = ListedSpells(records, filter);
    if (action == "list") {
        std::string text;
        for (const SpellLine& line : lines)
            text += line.text + '\n';
        return Emit(parsed, text);
    }

    std::vector<int> recordNumbers;
    for (const SpellLine& line : lines)
        recordNumbers.push_back(line.record);
    if (const auto output = parsed.Value("output"))
        return ExportToFile(*output, records, recordNumbers);
    std::ostringstream text;
    WriteAllSpellsExport(text, records, recordNumbers);
    return Emit(parsed, text.str());
}
