#include "engine/StreamedEntry.h"

#include "RegularFile.h"
#include "archive/DMLastError.h"
#include "archive/DMResultCodes.h"
#include "engine/LibraryMessages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tomelens::core {

Outcome WriterFailure(const std::string& archive, int code)
{
    return Outcome::Failure(DMLastSystemError() == ENOMEM ? Step::Memory : Step::Write, archive,
                            ArchiveSaveMessage(code));
}

Outcome StreamFileEntry(DMArchiveWriter& writer, const std::string& archive, const AddSource& source,
                        unsigned checkSum, ProgressReporter& progress, std::vector<unsigned char>& piece)
{
    int error = 0;
    UniqueFile in = OpenRegularFile(source.path, nullptr, &error);
    if (!in)
        return Outcome::Failure(Step::Read, source.path, OpenProblemText(error));
    if (const int code = writer.BeginEntry(source.name.c_str(), checkSum); code != DMResult::Success)
        return WriterFailure(archive, code);
    if (piece.empty())
        piece.resize(1u << 20);
    for (;;) {
        const std::size_t got = std::fread(piece.data(), 1, piece.size(), in.get());
        if (got > 0) {
            if (const int code = writer.Write(piece.data(), static_cast<unsigned>(got)); code != DMResult::Success)
                return WriterFailure(archive, code);
        }
        if (!progress.Advance(got, 0, source.path))
            return Outcome::Cancelled();
        if (got < piece.size())
            break;
    }
    if (std::ferror(in.get()))
        return Outcome::Failure(Step::Read, source.path, std::string("cannot be read in full: ") + std::strerror(errno));
    return progress.Advance(0, 1, source.path) ? Outcome::Success() : Outcome::Cancelled();
}

}  // namespace tomelens::core
