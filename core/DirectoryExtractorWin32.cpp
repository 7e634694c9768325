// Windows: the same steps as on POSIX, done on paths. Folders that are
// symbolic links or junctions are refused when met, but a swap between the
// check and the write is not caught, as it is with the folder handles there.
#include "DirectoryExtractor.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

std::string TemporaryName()
{
    static std::atomic<unsigned> counter{0};
    return ".tl-x" + std::to_string(counter.fetch_add(1)) + ".part";
}

}  // namespace

bool ExtractedFile::Append(const void* bytes, std::size_t length)
{
    if (std::fwrite(bytes, 1, length, static_cast<std::FILE*>(m_stream)) != length) {
        m_error = errno ? errno : EIO;
        return false;
    }
    return true;
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
    }
    const fs::path temporary = folder / TemporaryName();
    ExtractedFile file;
    std::FILE* stream = _wfopen(temporary.c_str(), L"wb");
    if (!stream) {
        result.problem = std::string("cannot be created: ") + std::strerror(errno);
        return result;
    }
    file.m_stream = stream;
    result.fillResult = fill(file);
    int writeError = file.SystemError();
    if (std::fclose(stream) != 0 && writeError == 0)
        writeError = errno ? errno : EIO;
    if (result.fillResult != 0 || writeError != 0) {
        fs::remove(temporary, error);
        if (writeError != 0)
            result.problem = std::string("cannot be written: ") + std::strerror(writeError);
        else
            result.outcome = ExtractOutcome::FillFailed;
        return result;
    }
    if (!overwrite && fs::exists(fs::symlink_status(target, error))) {
        fs::remove(temporary, error);
        result.outcome = ExtractOutcome::Exists;
        return result;
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        result.problem = "cannot be put in place: " + error.message();
        return result;
    }
    result.outcome = ExtractOutcome::Written;
    return result;
}

}  // namespace tomelens::core
