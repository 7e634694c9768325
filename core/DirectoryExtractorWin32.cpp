// Windows: the same steps as on POSIX, done on paths. Folders that are
// symbolic links or junctions are refused when met, but a swap between the
// check and the write is not caught, as it is with the folder handles there.
#include "DirectoryExtractor.h"

#include "FileWrite.h"

#include "archive/AtomicFileWriter.h"
#include "archive/StaleSaveTemps.h"

#include <functional>
#include <sstream>
#include <string>
#include <system_error>

namespace tomelens::core {
namespace fs = std::filesystem;

namespace {

fs::path FromUtf8(const std::string& text)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

// Kept out of line: inlined into Write, the concatenation trips a false
// -Wrestrict warning in some GCC versions.
[[gnu::noinline]] std::string NotAFolderText(const std::string& path)
{
    std::ostringstream text;
    text << '"' << path << "\" is a symbolic link or not a folder";
    return text.str();
}

constexpr int kFileExists = 80;  // ERROR_FILE_EXISTS

}  // namespace

bool ExtractedFile::Append(const void* bytes, std::size_t length)
{
    if (m_writer->Write(bytes, length))
        return true;
    m_error = m_writer->SystemError();
    return false;
}

DirectoryExtractor::~DirectoryExtractor() = default;

bool DirectoryExtractor::Open(const fs::path& root, std::string& problem)
{
    std::error_code error;
    fs::create_directories(root, error);
    if (!fs::is_directory(root, error)) {
        problem = "cannot be used as the target folder";
        return false;
    }
    m_root = root;
    return true;
}

bool DirectoryExtractor::IsProtected(std::uint64_t device, std::uint64_t file) const
{
    return m_protected && m_protected->device == device && m_protected->file == file;
}

ExtractResult DirectoryExtractor::Write(const std::string& relativePath, bool overwrite,
                                        const std::function<int(ExtractedFile&)>& fill)
{
    ExtractResult result;
    fs::path folder = m_root;
    std::size_t start = 0;
    std::error_code error;
    for (std::size_t slash; (slash = relativePath.find('/', start)) != std::string::npos; start = slash + 1) {
        folder /= FromUtf8(relativePath.substr(start, slash - start));
        fs::create_directory(folder, error);
        const auto status = fs::symlink_status(folder, error);
        if (fs::is_symlink(status) || !fs::is_directory(status)) {
            result.problem = NotAFolderText(relativePath.substr(0, slash));
            return result;
        }
    }
    const fs::path target = folder / FromUtf8(relativePath.substr(start));
    const std::wstring folderPrefix = folder.wstring() + L"\\";
    // Folders are known by their path here (a folder handle needs backup semantics).
    if (FirstVisit(std::hash<std::wstring>{}(folderPrefix), 0))
        archive::RemoveStaleSaveTemps(folderPrefix, std::nullopt);
    bool replacing = false;
    if (fs::exists(fs::symlink_status(target, error))) {
        const auto identity = FileIdentity::Of(target);
        if (identity && IsProtected(identity->device, identity->file)) {
            result.outcome = ExtractOutcome::IsProtected;
            return result;
        }
        if (fs::is_directory(target, error)) {
            result.problem = "is a folder";
            return result;
        }
        if (!overwrite) {
            result.outcome = ExtractOutcome::Exists;
            return result;
        }
        replacing = true;
    }

    archive::WriteOptions options;
    options.followTarget = false;
    options.replaceExisting = overwrite;
    options.flushToDisk = replacing;
    options.sweepLeftovers = false;  // done once per folder above
    bool protectedAtLastLook = false;
    options.lastLook = [&] {
        const auto identity = FileIdentity::Of(target);
        protectedAtLastLook = identity && IsProtected(identity->device, identity->file);
        return !protectedAtLastLook;
    };
    archive::AtomicFileWriter writer;
    if (writer.OpenIn(folderPrefix, target.filename().wstring(), options) != 0) {
        result.problem = "cannot be created: " + SystemErrorText(writer.SystemError());
        return result;
    }
    ExtractedFile file;
    file.m_writer = &writer;
    result.fillResult = fill(file);
    if (result.fillResult != 0 || file.SystemError() != 0) {
        writer.Abandon();
        if (file.SystemError() != 0)
            result.problem = "cannot be written: " + SystemErrorText(file.SystemError());
        else
            result.outcome = ExtractOutcome::FillFailed;
        return result;
    }
    if (writer.Commit() == 0) {
        result.outcome = ExtractOutcome::Written;
        return result;
    }
    if (protectedAtLastLook)
        result.outcome = ExtractOutcome::IsProtected;
    else if (writer.SystemError() == kFileExists)
        result.outcome = ExtractOutcome::Exists;
    else if (writer.FailedStep() == archive::AtomicFileWriter::Step::Write)
        result.problem = "cannot be written: " + SystemErrorText(writer.SystemError());
    else
        result.problem = "cannot be put in place: " + SystemErrorText(writer.SystemError());
    return result;
}

bool DirectoryExtractor::FirstVisit(std::uint64_t device, std::uint64_t file)
{
    std::lock_guard<std::mutex> lock(m_visitedLock);
    return m_visited.emplace(device, file).second;
}

}  // namespace tomelens::core
