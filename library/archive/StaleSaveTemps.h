#pragma once

#include "archive/AtomicFileWriter.h"
#include "archive/SaveTempName.h"

#include <cstdint>
#include <optional>

// A save killed outright (SIGKILL, a crash, power loss) leaves its temporary
// file behind. Later saves remove such files when they were made on this
// machine in its current boot by a process that is gone; files of live
// writers, of other machines (a shared folder) and of earlier boots stay.
// StaleSaveTempsPosix.cpp and StaleSaveTempsWin32.cpp hold the platform parts.
namespace tomelens::archive {

// Sweeps `folder` of dead leftovers: those of the target whose name hashes to
// `target`, or all of them when it is not given.
void RemoveStaleSaveTemps(const NativeFolder& folder, std::optional<std::uint32_t> target);

// Whether a temporary file of `owner` is a dead leftover this machine may remove.
bool IsDeadLocalLeftover(const SaveTempOwner& owner);

// Whether process `pid` of this machine has ended (false for this process).
bool ProcessIsGone(std::uint64_t pid);

}  // namespace tomelens::archive
