#include "ArchiveAccess.h"
#include "Commands.h"
#include "Diagnostics.h"
#include "EntryListing.h"
#include "archive/CheckSum.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The checksum of a whole file, read in pieces so any size works. Returns an
// empty text on success, otherwise what went wrong.
std::string FileCheckSum(const std::string& path, unsigned& checkSum)
{
    const std::string problem = InputFileProblem(path);
    if (!problem.empty())
        return problem;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::string("cannot be opened: ") + std::strerror(errno);
    std::vector<unsigned char> buffer(1 << 16);
    checkSum = 0;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        checkSum = CheckSum(buffer.data(), static_cast<unsigned>(got), checkSum);
        if (got < buffer.size())
            break;
    }
    if (std::ferror(file.get()))
        return "cannot be read in full";
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
