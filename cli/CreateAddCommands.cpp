#include "ArchiveEditing.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "EntryNames.h"
#include "Help.h"
#include "LibraryMessages.h"
#include "ParallelFor.h"
#include "ProgressBar.h"
#include "archive/DMResultCodes.h"
#include "archive/DMSaveTemp.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The regular files directly inside folder, sorted by name; subfolders,
// anything else, and the temporary files of saves in progress are left out.
bool FilesInFolder(const std::string& folder, std::vector<std::string>& inputs)
{
    std::error_code error;
    std::vector<std::string> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code statusError;
        if (it->is_regular_file(statusError) && !DMIsSaveTempName(it->path().filename().string().c_str()))
            found.push_back(it->path().string());
    }
    if (error) {
        ReportError(folder, "cannot be listed: " + error.message());
        return false;
    }
    std::sort(found.begin(), found.end());
    inputs.insert(inputs.end(), found.begin(), found.end());
    return true;
}

// The paths listed in listPath ("-": standard input), one a line; empty lines are skipped.
bool FilesFromList(const std::string& listPath, std::vector<std::string>& inputs)
{
    std::ifstream listFile;
    if (listPath != "-") {
        if (const std::string problem = InputFileProblem(listPath); !problem.empty()) {
            ReportError(listPath, problem);
            return false;
        }
        listFile.open(listPath, std::ios::binary);
        if (!listFile) {
            ReportError(listPath, "cannot be opened");
            return false;
        }
    }
    std::istream& list = listPath == "-" ? std::cin : listFile;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            inputs.push_back(line);
    }
    if (list.bad()) {
        ReportError(listPath == "-" ? "standard input" : listPath, "cannot be read in full");
        return false;
    }
    return true;
}

// The entry name of every input, in the archive's encoding; false after
// reporting the first that cannot be encoded.
bool NamesForFiles(const std::vector<std::string>& inputs, const std::optional<std::string>& givenName,
                   std::vector<std::string>& names)
{
    names.reserve(inputs.size());
    for (const std::string& path : inputs) {
        const auto name = givenName ? NameFromArgument(*givenName, "the name given with --as") : EntryNameForFile(path);
        if (!name)
            return false;
        names.push_back(*name);
    }
    return true;
}

// Packs an entry's unpacked data into packed, then lets the entry hold only
// a view of it, so the plain bytes are freed as soon as they are packed.
void KeepOnlyPacked(DMDataFileEntry& entry, std::vector<unsigned char>& packed)
{
    const unsigned length = entry.GetLength();
    // Room for the worst case of stored blocks; grown if ever too small.
    std::uint64_t room = length + 8ull * (length >> 13) + length / 10 + 64;
    for (;;) {
        packed.resize(room);
        unsigned size = static_cast<unsigned>(room);
        if (entry.GetPackedData(packed.data(), size) == DMResult::Success) {
            packed.resize(size);
            packed.shrink_to_fit();
            break;
        }
        room += length / 2 + 64;
    }
    entry.SetData(nullptr, 0);
    entry.SetLength(length);
    entry.SetOffset(0);
    entry.SetPackedData(packed.data(), static_cast<unsigned>(packed.size()));
}

// Adds the files and saves. Each file is read and packed at once, on all
// cores, so memory holds the packed archive rather than every file's plain
// bytes; the save then only copies. Every file is tried; failures are
// reported in the order of the files, and nothing is saved then.
int AddFilesAndSave(DMDataFile& file, const std::string& archivePath, const std::vector<std::string>& inputs,
                    const std::vector<std::string>& names)
{
    std::vector<unsigned> positions(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        positions[i] = file.AddEntry();
        DMDataFileEntry* entry = file.GetEntry(positions[i]);
        if (!entry) {
            ReportError(inputs[i], "cannot create a new entry for it");
            return kExitFailed;
        }
        entry->SetName(names[i].c_str());
    }

    std::vector<std::vector<unsigned char>> packed(inputs.size());
    std::vector<std::string> problems(inputs.size());
    {
        ProgressBar progress = ProgressBar::ForStderr(inputs.size());
        std::mutex progressMutex;
        tomelens::core::ParallelFor(inputs.size(), [&](std::size_t i) {
            DMDataFileEntry& entry = *file.GetEntry(positions[i]);
            const int code = entry.LoadData(inputs[i].c_str());
            if (code == DMResult::Success) {
                KeepOnlyPacked(entry, packed[i]);
            } else {
                // A missing file or a folder is named as such; other failures by the system's reason.
                problems[i] = EntryLoadMessage(code);
                if (std::string plain = InputFileProblem(inputs[i]); !plain.empty())
                    problems[i] = std::move(plain);
            }
            if (progress.Enabled()) {
                const std::lock_guard lock(progressMutex);
                progress.Step(inputs[i]);
            }
        });
    }
    bool anyFailed = false;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (!problems[i].empty()) {
            ReportError(inputs[i], problems[i]);
            anyFailed = true;
        }
    }
    return anyFailed ? kExitFailed : SaveArchive(file, archivePath);
}

}  // namespace

int RunCreate(CommandArgs args)
{
    static const OptionRule options[] = {{"force", 'f', false}, {"files-from", 'T', true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("create");
    RequirePositionals(parsed, 1, SIZE_MAX, "create");

    const std::string& archivePath = parsed.positionals[0];
    std::vector<std::string> inputs;
    for (auto arg = parsed.positionals.begin() + 1; arg != parsed.positionals.end(); ++arg) {
        std::error_code error;
        if (fs::is_directory(*arg, error)) {
            if (!FilesInFolder(*arg, inputs))
                return kExitFailed;
        } else {
            inputs.push_back(*arg);
        }
    }
    if (const auto list = parsed.Value("files-from"); list && !FilesFromList(*list, inputs))
        return kExitFailed;

    std::error_code error;
    if (!parsed.Flag("force") && fs::exists(fs::symlink_status(archivePath, error))) {
        ReportError(archivePath, "already exists; use --force to replace it, or 'add' to add to it");
        return kExitFailed;
    }
    std::vector<std::string> names;
    if (!NamesForFiles(inputs, std::nullopt, names))
        return kExitFailed;

    // Replacing an existing archive is a write like any other: no second
    // writer may slip in between.
    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit, false))
        return kExitFailed;
    DataFilePtr file = NewDataFile();
    // The first element of a new container becomes its name list.
    file->AddEntry();
    return AddFilesAndSave(*file, archivePath, inputs, names);
}

int RunAdd(CommandArgs args)
{
    static const OptionRule options[] = {{"as", 0, true}};
    const ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help)
        return PrintHelp("add");
    RequirePositionals(parsed, 2, SIZE_MAX, "add");
    const std::optional<std::string> name = parsed.Value("as");
    if (name && parsed.positionals.size() != 2)
        throw UsageError("add: --as names one entry, so it takes exactly one FILE");

    const std::string& archivePath = parsed.positionals[0];
    const std::vector<std::string> inputs(parsed.positionals.begin() + 1, parsed.positionals.end());
    std::vector<std::string> names;
    if (!NamesForFiles(inputs, name, names))
        return kExitFailed;
    ArchiveEdit edit;
    if (!BeginEdit(archivePath, edit))
        return kExitFailed;
    return AddFilesAndSave(*edit.file, archivePath, inputs, names);
}
