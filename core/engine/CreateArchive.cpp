#include "engine/CreateArchive.h"

#include "archive/DMArchiveWriter.h"
#include "archive/DMResultCodes.h"
#include "engine/ArchiveFile.h"
#include "engine/StreamedEntry.h"

#include <filesystem>
#include <system_error>

namespace tomelens::core {

Outcome CreateArchive(const std::string& path, const std::vector<AddSource>& sources, const ProgressCallback& progress)
{
    return Guarded([&] {
        std::uint64_t totalBytes = 0;
        for (const AddSource& source : sources) {
            // One look per file: only a file without a size is looked at again, to say why.
            std::error_code error;
            totalBytes += std::filesystem::file_size(source.path, error);
            if (error) {
                const std::string problem = InputFileProblem(source.path);
                return Outcome::Failure(Step::Read, source.path, problem.empty() ? error.message() : problem);
            }
        }
        ProgressReporter reporter(progress, sources.size(), totalBytes);
        DMArchiveWriter writer;
        if (const int code = writer.Open(path.c_str()); code != DMResult::Success)
            return WriterFailure(path, code);
        std::vector<unsigned char> piece;
        for (const AddSource& source : sources) {
            if (Outcome streamed = StreamFileEntry(writer, path, source, 0, reporter, piece); !streamed.Ok())
                return streamed;
        }
        if (!reporter.Flush())
            return Outcome::Cancelled();
        if (const int code = writer.Finish(); code != DMResult::Success)
            return WriterFailure(path, code);
        return Outcome::Success(sources.size());
    });
}

}  // namespace tomelens::core
