#pragma once

#include <cstdint>

// The process's resident-set high-water mark (Linux: VmHWM), which can be reset
// to the current size so one operation's peak can be measured on its own.
namespace bench {

bool ResetPeakResident();          // false when the kernel refuses
std::uint64_t CurrentResident();   // bytes
std::uint64_t PeakResident();      // bytes since the last reset

}  // namespace bench
