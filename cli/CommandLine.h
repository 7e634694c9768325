#pragma once

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

// One option a subcommand accepts: "--name" (and "-x" when shortName is set),
// either a flag or followed by a value ("--name VALUE" or "--name=VALUE").
struct OptionRule {
    std::string longName;  // without the leading dashes
    char shortName = 0;    // 0: no short form
    bool takesValue = false;
};

// The arguments of one subcommand after parsing: options may stand anywhere
// among the positional arguments; "--" ends the options, so names starting
// with a dash can still be given. --help and -h are always accepted.
struct ParsedArgs {
    std::vector<std::string> positionals;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    bool help = false;

    std::optional<std::string> Value(const std::string& longName) const;
    bool Flag(const std::string& longName) const { return flags.count(longName) != 0; }
};

// Parses args against options; an unknown option or a missing value throws
// UsageError. When an option is given twice, the last value counts.
ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionRule> options);

// Throws UsageError unless the number of positional arguments lies in
// [min, max]; what names the subcommand for the message.
void RequirePositionals(const ParsedArgs& args, std::size_t min, std::size_t max,
                        const std::string& what);

// An unsigned 32-bit number written in decimal or as 0x followed by hex
// digits; nothing else (no sign, no blanks, no overflow).
std::optional<unsigned> ParseUnsigned32(const std::string& text);
