#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The names of a save's temporary files: ".tl~HHHHHHHH-PID-N.tmp", where the
// hash tells whose target the file belongs to and the process id whether its
// writer may still be running. The name is short and does not grow with the
// target's, so any target whose name fits its file system can be saved.
namespace tomelens::archive {

// A short hash of a target's bare file name.
std::uint32_t TargetNameHash(std::string_view targetName);

// The temporary name for the n-th save of process `pid` into `targetName`.
std::string SaveTempName(std::string_view targetName, std::uint64_t pid, unsigned n);

// Reads a name made by SaveTempName; false for any other name.
bool ParseSaveTempName(std::string_view name, std::uint32_t& hash, std::uint64_t& pid);

}  // namespace tomelens::archive
