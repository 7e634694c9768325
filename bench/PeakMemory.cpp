#include "PeakMemory.h"

#include <fstream>
#include <string>

namespace bench {

namespace {

std::uint64_t StatusField(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stoull(line.substr(field.size() + 1)) * 1024;  // reported in kB
    }
    return 0;
}

}  // namespace

bool ResetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return static_cast<bool>(clear);
}

std::uint64_t CurrentResident()
{
    return StatusField("VmRSS");
}

std::uint64_t PeakResident()
{
    return StatusField("VmHWM");
}

}  // namespace bench
