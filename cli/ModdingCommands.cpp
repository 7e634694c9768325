#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "EntryListing.h"
#include "Interrupt.h"
#include "engine/EntryNames.h"
#include "Help.h"
#include "ProgressBar.h"
#include "modding/Diff.h"
#include "modding/Pack.h"
#include "modding/Unpack.h"

#include <cstdio>
#include <iostream>

using namespace tomelens::core;

namespace {

// diff answers like cmp(1): 0 the same, 1 different, 2 it could not compare.
constexpr int kExitDiffers = 1;
constexpr int kExitDiffTrouble = 2;

std::string DifferenceList(const EntryDifference& d)
{
    std::string out;
    auto add = [&](const std::string& part) { out += (out.empty() ? "" : ", ") + part; };
    if (d.what & kDiffSize)
        add("size " + std::to_string(d.lengthA) + " -> " + std::to_string(d.lengthB));
    if (d.what & kDiffCheckSum)
        add("checksum " + Hex8(d.checkSumA) + " -> " + Hex8(d.checkSumB));
    if (d.what & kDiffData)
        add("data");
    if (d.what & kDiffPosition)
        add("position " + std::to_string(d.positionA) + " -> " + std::to_string(d.positionB));
    return out;
}

std::string DiffJson(const std::vector<EntryDifference>& differences)
{
    std::string out = "{\"same\": " + std::string(differences.empty() ? "true" : "false") + ", \"differences\": [";
    for (std::size_t i = 0; i < differences.size(); ++i) {
        const EntryDifference& d = differences[i];
        out += i ? ",\n  " : "\n  ";
        const char* kind = d.kind == EntryDifference::Kind::OnlyInA   ? "onlyInA"
                           : d.kind == EntryDifference::Kind::OnlyInB ? "onlyInB"
                                                                      : "changed";
        out += "{\"kind\": \"" + std::string(kind) + "\", \"name\": " + JsonString(NameAsUtf8(d.name));
        if (d.kind != EntryDifference::Kind::OnlyInB)
            out += ", \"a\": {\"position\": " + std::to_string(d.positionA) + ", \"length\": " +
                   std::to_string(d.lengthA) + ", \"checksum\": \"" + Hex8(d.checkSumA) + "\"}";
        if (d.kind != EntryDifference::Kind::OnlyInA)
            out += ", \"b\": {\"position\": " + std::to_string(d.positionB) + ", \"length\": " +
                   std::to_string(d.lengthB) + ", \"checksum\": \"" + Hex8(d.checkSumB) + "\"}";
        if (d.kind == EntryDifference::Kind::Changed) {
            out += ", \"differs\": [";
            const char* aspects[] = {"size", "checksum", "data", "position"};
            bool first = true;
            for (unsigned bit = 0; bit < 4; ++bit) {
                if (d.what & (1u << bit)) {
                    out += std::string(first ? "" : ", ") + "\"" + aspects[bit] + "\"";
                    first = false;
                }
            }
            out += "]";
        }
        out += "}";
    }
    out += differences.empty() ? "]}\n" : "\n]}\n";
    return out;
}

}  // namespace

int RunUnpack(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.help)
        return PrintHelp("unpack");
    RequirePositionals(parsed, 2, 2, "unpack");
    const std::string& archive = parsed.positionals[0];
    const std::string& folder = parsed.positionals[1];
    Outcome outcome;
    {
        ProgressBar bar = ProgressBar::ForStderr(0);
        outcome = Unpack(archive, folder, CommandProgress(bar));
    }
    if (!outcome.Ok()) {
        ReportError(outcome.subject.empty() ? archive : outcome.subject, outcome.cause);
        return kExitFailed;
    }
    std::cout << folder << ": " << outcome.done << " entries from " << archive << '\n';
    return FinishOutput(kExitOk);
}

int RunPack(CommandArgs args)
{
    static const OptionRule options[] = {{"from", 0, true}, {"update-crc", 0, false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("pack");
    RequirePositionals(parsed, 2, 2, "pack");
    const std::string& folder = parsed.positionals[0];
    const std::string& archive = parsed.positionals[1];
    PackOptions packOptions;
    packOptions.original = parsed.Value("from").value_or("");
    packOptions.updateCrc = parsed.Flag("update-crc");

    PackReport report;
    Outcome outcome;
    {
        ProgressBar bar = ProgressBar::ForStderr(0);
        outcome = Pack(folder, archive, packOptions, report, CommandProgress(bar));
    }
    if (!outcome.Ok()) {
        ReportError(outcome.subject.empty() ? archive : outcome.subject, outcome.cause + "; nothing written");
        return kExitFailed;
    }
    for (const StaleCheckSum& stale : report.disagreeing)
        ReportError(archive, EntryLabel(stale.name) + " keeps its stored checksum " + Hex8(stale.stored) +
                                 ", but its data's is " + Hex8(stale.ofData) + " (--update-crc sets it)");
    if (report.usedManifest)
        std::cout << archive << ": " << report.kept << " kept, " << report.changed << " changed, " << report.added
                  << " added, " << report.removed << " removed\n";
    else
        std::cout << archive << ": " << report.added << " entries (no manifest in " << folder << ")\n";
    return FinishOutput(kExitOk);
}

int RunDiff(CommandArgs args)
{
    static const OptionRule options[] = {{"json", 0, false}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("diff");
    RequirePositionals(parsed, 2, 2, "diff");
    const std::string& a = parsed.positionals[0];
    const std::string& b = parsed.positionals[1];

    std::vector<EntryDifference> differences;
    if (const Outcome outcome = DiffArchives(a, b, differences); !outcome.Ok()) {
        ReportError(outcome.subject, outcome.cause);
        return kExitDiffTrouble;
    }
    if (parsed.Flag("json")) {
        std::cout << DiffJson(differences);
    } else {
        for (const EntryDifference& d : differences) {
            const std::string name = ShownName(d.name);
            switch (d.kind) {
            case EntryDifference::Kind::OnlyInA: std::cout << "only in " << a << ": " << name << '\n'; break;
            case EntryDifference::Kind::OnlyInB: std::cout << "only in " << b << ": " << name << '\n'; break;
            case EntryDifference::Kind::Changed: std::cout << "differs: " << name << " (" << DifferenceList(d) << ")\n"; break;
            }
        }
    }
    if (FinishOutput(kExitOk) != kExitOk)
        return kExitDiffTrouble;
    return differences.empty() ? kExitOk : kExitDiffers;
}
