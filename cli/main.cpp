#include "Commands.h"
#include "Diagnostics.h"
#include "Help.h"
#include "Interrupt.h"
#include "ProgramFacts.h"

#include <csignal>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    int (*run)(CommandArgs);
};

constexpr Command kCommands[] = {
    {"list", RunList},       {"extract", RunExtract}, {"create", RunCreate},   {"add", RunAdd},
    {"delete", RunDelete},   {"rename", RunRename},   {"replace", RunReplace}, {"set-crc", RunSetCrc},
    {"verify", RunVerify},   {"crc", RunCrc},         {"spells", RunSpells},
    {"unpack", RunUnpack},   {"pack", RunPack},       {"diff", RunDiff},
};

void ReportUsage(const std::string& what, const std::string& command)
{
    const std::string helpCommand = command.empty() ? "" : command + " ";
    std::cerr << kProgramName << ": " << what << " (see '" << kProgramName << " " << helpCommand
              << "--help')\n";
}

int RunCommand(const Command& command, const std::vector<std::string>& args)
{
    try {
        return command.run(CommandArgs(args).subspan(1));
    } catch (const UsageError& error) {
        ReportUsage(error.what(), command.name);
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        ReportError(command.name, "out of memory");
        return kExitFailed;
    } catch (const std::exception& error) {
        ReportError(command.name, error.what());
        return kExitFailed;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        ReportUsage("no command given", "");
        return kExitUsage;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h")
        return PrintHelp("");
    if (name == "--version") {
        std::cout << kProgramName << " " << tomelens::core::kProgramVersion << '\n';
        return FinishOutput(kExitOk);
    }
    if (name == "help") {
        // "help COMMAND" is another way to ask for COMMAND --help.
        const std::string topic = args.size() > 1 ? args[1] : "";
        if (HelpText(topic).empty()) {
            ReportUsage("no help for '" + topic + "'", "");
            return kExitUsage;
        }
        return PrintHelp(topic);
    }

    for (const Command& command : kCommands) {
        if (name != command.name)
            continue;
        InstallInterruptHandlers();
        const int result = RunCommand(command, args);
        // The command stopped cleanly; now end as the signal asked, so a
        // calling script sees the interruption.
        if (Interrupted()) {
            std::signal(InterruptSignal(), SIG_DFL);
            std::raise(InterruptSignal());
        }
        return result;
    }
    ReportUsage("unknown command '" + name + "'", "");
    return kExitUsage;
}
