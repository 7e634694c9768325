#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The names of a save's temporary files: ".tl~TTTTTTTT-MMMMMMMM-PID-N.tmp",
// where T (a hash of the target's name) tells whose target the file belongs
// to, M the machine and boot its writer runs on, and the process id whether
// that writer may still be running. Only the machine itself can tell, so a
// folder shared between machines keeps other machines' files. The name is
// short and does not grow with the target's, so any target whose name fits
// its file system can be saved.
namespace tomelens::archive {

struct SaveTempOwner {
    std::uint32_t target = 0;   // TargetNameHash of the target's bare name
    std::uint32_t machine = 0;  // MachineTag of the writer's machine
    std::uint64_t pid = 0;
};

// A short hash of a target's bare file name.
std::uint32_t TargetNameHash(std::string_view targetName);

// This machine in its current boot: host name and boot id hashed.
std::uint32_t MachineTag();
// The hash MachineTag takes of a host name and a boot id.
std::uint32_t MachineTagOf(std::string_view hostName, std::string_view bootId);

// The temporary name for the n-th temporary file of `owner`.
std::string SaveTempName(const SaveTempOwner& owner, unsigned n);

// Reads a name made by SaveTempName; false for any other name.
bool ParseSaveTempName(std::string_view name, SaveTempOwner& owner);

}  // namespace tomelens::archive
