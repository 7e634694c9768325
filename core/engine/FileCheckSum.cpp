#include "engine/FileCheckSum.h"

#include "RegularFile.h"
#include "archive/CheckSum.h"
#include "engine/ArchiveWatch.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace tomelens::core {

Outcome FileCheckSum(const std::string& path, unsigned& checkSum)
{
    return Guarded([&] {
        int error = 0;
        UniqueFile file = OpenRegularFile(path, nullptr, &error);
        if (!file)
            return Outcome::Failure(Step::Open, path, OpenProblemText(error));
        DMFileStamp before, after;
        const bool stamped = StampOf(file.get(), before);
        std::vector<unsigned char> buffer(1 << 16);
        checkSum = 0;
        for (;;) {
            const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
            checkSum = CheckSum(buffer.data(), static_cast<unsigned>(got), checkSum);
            if (got < buffer.size())
                break;
        }
        if (std::ferror(file.get()))
            return Outcome::Failure(Step::Read, path, std::string("cannot be read in full: ") + std::strerror(errno));
        if (stamped && (!StampOf(file.get(), after) || !(after == before)))
            return ArchiveWatch::Changed(path);
        return Outcome::Success();
    });
}

}  // namespace tomelens::core
