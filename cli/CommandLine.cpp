#include "CommandLine.h"

#include "Diagnostics.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace {

const OptionRule* FindLong(std::span<const OptionRule> options, const std::string& name)
{
    for (const auto& option : options)
        if (option.longName == name)
            return &option;
    return nullptr;
}

const OptionRule* FindShort(std::span<const OptionRule> options, char name)
{
    for (const auto& option : options)
        if (option.shortName != 0 && option.shortName == name)
            return &option;
    return nullptr;
}

}  // namespace

std::optional<std::string> ParsedArgs::Value(const std::string& longName) const
{
    const auto found = values.find(longName);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionRule> options)
{
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }

        const OptionRule* option = nullptr;
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--")) {
            const auto equals = arg.find('=');
            option = FindLong(options, arg.substr(2, equals == std::string::npos ? std::string::npos
                                                                                  : equals - 2));
            if (equals != std::string::npos)
                inlineValue = arg.substr(equals + 1);
        } else if (arg.size() == 2) {
            option = FindShort(options, arg[1]);
        }
        if (!option)
            throw UsageError("unknown option '" + arg + "'");

        if (!option->takesValue) {
            if (inlineValue)
                throw UsageError("option '--" + option->longName + "' takes no value");
            parsed.flags.insert(option->longName);
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size())
                throw UsageError("option '" + arg + "' needs a value");
            inlineValue = args[++i];
        }
        parsed.values[option->longName] = *inlineValue;
    }
    return parsed;
}

void RequirePositionals(const ParsedArgs& args, std::size_t min, std::size_t max,
                        const std::string& what)
{
    const std::size_t count = args.positionals.size();
    if (count < min)
        throw UsageError(what + ": missing arguments");
    if (count > max)
        throw UsageError(what + ": too many arguments (unexpected '" + args.positionals[max] + "')");
}

std::optional<unsigned> ParseUnsigned32(const std::string& text)
{
    int base = 10;
    std::string_view digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty())
        return std::nullopt;
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size()
        || value > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<unsigned>(value);
}
