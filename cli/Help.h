#pragma once

#include <string_view>

// The --help text of a subcommand ("list", "spells list", ...); the empty
// name gives the program's overview. Unknown names give an empty text.
std::string_view HelpText(std::string_view command);

// Prints HelpText(command) to stdout and returns kExitOk.
int PrintHelp(std::string_view command);
