#include "ArchiveEditing.h"

#include "Diagnostics.h"
#include "Interrupt.h"
#include "ProgressBar.h"
#include "engine/EntryNames.h"
#include "engine/SaveArchive.h"

#include <fstream>
#include <iostream>

using namespace tomelens::core;

bool BeginEdit(const std::string& path, ArchiveEdit& edit, bool load)
{
    std::string problem;
    if (!edit.lock.Acquire(path, kArchiveLockWait, problem)) {
        ReportError(path, problem);
        return false;
    }
    if (!load)
        return true;
    if (const Outcome opened = OpenArchive(path, LoadMode::Index, edit.file); !opened.Ok()) {
        ReportOutcome(opened);
        return false;
    }
    edit.watch.Start(*edit.file, path);
    return true;
}

int SaveEdited(ArchiveEdit& edit, const std::string& path)
{
    ProgressBar bar = ProgressBar::ForStderr(0);
    const Outcome saved = SaveArchive(*edit.file, path, CommandProgress(bar), &edit.watch);
    if (saved.Ok())
        return kExitOk;
    ReportOutcome(saved.WasCancelled() ? Interruption(path, "nothing was changed")
                                       : saved);
    return kExitFailed;
}

std::optional<std::string> NameFromArgument(const std::string& text, std::string_view what)
{
    std::string problem;
    auto name = NameFromText(text, problem);
    if (!name)
        ReportError(text, std::string(what) + " " + problem);
    return name;
}

bool NamesFromArguments(const std::vector<std::string>& texts, std::vector<std::string>& names)
{
    for (const std::string& text : texts) {
        const auto name = NameFromArgument(text, "the entry name");
        if (!name)
            return false;
        names.push_back(*name);
    }
    return true;
}

bool ReadListFile(const std::string& listPath, std::vector<std::string>& lines)
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
    // Nothing has changed yet, and a read of the terminal cannot be cancelled.
    const EndAtOnceOnInterrupt endAtOnce;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    if (list.bad()) {
        ReportError(listPath == "-" ? "standard input" : listPath, "cannot be read in full");
        return false;
    }
    return true;
}

bool ReportAll(const std::vector<Outcome>& outcomes)
{
    for (const Outcome& outcome : outcomes)
        ReportOutcome(outcome);
    return outcomes.empty();
}
