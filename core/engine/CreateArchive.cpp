#include "engine/CreateArchive.h"

#include "RegularFile.h"
#include "archive/DMArchiveWriter.h"
#include "archive/DMResultCodes.h"
#include "engine/ArchiveFile.h"
#include "engine/LibraryMessages.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tomelens::core {

namespace {

constexpr std::size_t kPiece = 1u << 20;

std::string OpenProblem(int error)
{
    return error == ENOENT   ? std::string("no such file")
           : error == EISDIR ? std::string("is a folder, not a file")
           : error == EINVAL ? std::string("is not a regular file")
                             : std::string("cannot be opened: ") + std::strerror(error);
}

Outcome WriteFailure(const std::string& path, int code)
{
    return Outcome::Failure(Step::Write, path, ArchiveSaveMessage(code));
}

}  // namespace

Outcome CreateArchive(const std::string& path, const std::vector<AddSource>& sources, const ProgressCallback& progress)
{
    return Guarded([&] {
        std::uint64_t totalBytes = 0;
        for (const AddSource& source : sources) {
            if (std::string problem = InputFileProblem(source.path); !problem.empty())
                return Outcome::Failure(Step::Read, source.path, problem);
            std::error_code error;
            totalBytes += std::filesystem::file_size(source.path, error);
        }
        ProgressReporter reporter(progress, sources.size(), totalBytes);
        DMArchiveWriter writer;
        if (const int code = writer.Open(path.c_str()); code != DMResult::Success)
            return WriteFailure(path, code);
        std::vector<unsigned char> piece(kPiece);
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const AddSource& source = sources[i];
            int error = 0;
            unsigned long long size = 0;
            UniqueFile in = OpenRegularFile(source.path, &size, &error);
            if (!in)
                return Outcome::Failure(Step::Read, source.path, OpenProblem(error));
            if (const int code = writer.BeginEntry(source.name.c_str(), 0); code != DMResult::Success)
                return WriteFailure(path, code);
            for (;;) {
                const std::size_t got = std::fread(piece.data(), 1, piece.size(), in.get());
                if (got > 0) {
                    if (const int code = writer.Write(piece.data(), static_cast<unsigned>(got));
                        code != DMResult::Success)
                        return WriteFailure(path, code);
                }
                if (!reporter.Advance(got, 0, source.path))
                    return Outcome::Cancelled();
                if (got < piece.size())
                    break;
            }
            if (std::ferror(in.get()))
                return Outcome::Failure(Step::Read, source.path,
                                        std::string("cannot be read in full: ") + std::strerror(errno));
            if (!reporter.Advance(0, 1, source.path))
                return Outcome::Cancelled();
        }
        if (!reporter.Flush())
            return Outcome::Cancelled();
        if (const int code = writer.Finish(); code != DMResult::Success)
            return WriteFailure(path, code);
        return Outcome::Success(sources.size());
    });
}

}  // namespace tomelens::core
