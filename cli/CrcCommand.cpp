#include "Commands.h"
#include "Diagnostics.h"
#include "EntryListing.h"
#include "InputFile.h"
#include "archive/CheckSum.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

namespace {

// The checksum of a whole file, read in pieces so any size works. Returns an
// empty text on success, otherwise what went wrong.
std::string FileCheckSum(const std::string& path, unsigned& checkSum)
{
    std::string problem;
    unsigned long long size = 0;
    auto file = OpenInputFile(path, problem, size);
    if (!file)
        return problem;
    std::vector<unsigned char> buffer(1 << 16);
    checkSum = 0;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        checkSum = CheckSum(buffer.data(), static_cast<unsigned>(got), checkSum);
        if (got < buffer.size())
            break;
    }
    if (std::ferror(file.get()))
        return std::string("cannot be read in full: ") + std::strerror(errno);
    return {};
}

}  // namespace

int RunCrc(CommandArgs args)
{
    return RunOnEachFile(args, "crc", [](const std::string& path) {
        unsigned checkSum = 0;
        const std::string problem = FileCheckSum(path, checkSum);
        if (!problem.empty()) {
            ReportError(path, problem);
            return false;
        }
        std::cout << Hex8(checkSum) << "  " << DisplayName(path) << '\n';
        return true;
    });
}
