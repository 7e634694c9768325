#pragma once

#include <functional>
#include <span>
#include <string>

// Each subcommand takes the arguments after its own name and returns the exit
// code (Diagnostics.h). Usage errors are thrown as UsageError.
using CommandArgs = std::span<const std::string>;

int RunList(CommandArgs args);
int RunExtract(CommandArgs args);
int RunVerify(CommandArgs args);
int RunCrc(CommandArgs args);

// The frame of a command of the form COMMAND FILE...: prints its help, or runs
// check on every file in turn (check reports its own failures) and returns
// kExitFailed when any check failed.
int RunOnEachFile(CommandArgs args, const char* command, const std::function<bool(const std::string&)>& check);

int RunCreate(CommandArgs args);
int RunAdd(CommandArgs args);
int RunDelete(CommandArgs args);
int RunRename(CommandArgs args);
int RunReplace(CommandArgs args);
int RunSetCrc(CommandArgs args);

int RunSpells(CommandArgs args);

// The modder's loop: an archive to a folder and back, and what differs.
int RunUnpack(CommandArgs args);
int RunPack(CommandArgs args);
int RunDiff(CommandArgs args);
