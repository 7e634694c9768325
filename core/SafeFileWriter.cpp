#include "SafeFileWriter.h"

#include <system_error>

namespace fs = std::filesystem;

namespace tomelens::core {

namespace {

// "'path'" and then `rest`. Built by appending: GCC 12 wrongly warns that
// "'" + path.string() may overlap (-Wrestrict) when building for Windows.
std::string Quoted(const fs::path& path, const std::string& rest)
{
    std::string text = "'";
    text += path.string();
    text += "'";
    text += rest;
    return text;
}

// Makes every folder of relativeFolder below root; a part that exists must be
// a real folder, not a link to one elsewhere.
std::string MakeFoldersInside(const fs::path& root, const fs::path& relativeFolder)
{
    fs::path current = root;
    for (const auto& part : relativeFolder) {
        current /= part;
        std::error_code error;
        const auto status = fs::symlink_status(current, error);
        if (fs::is_symlink(status))
            return Quoted(current, " is a symbolic link; not following it");
        if (fs::exists(status)) {
            if (!fs::is_directory(status))
                return Quoted(current, " exists and is not a folder");
            continue;
        }
        if (!fs::create_directory(current, error) && error)
            return "cannot make folder '" + current.string() + "': " + error.message();
    }
    return {};
}

}  // namespace

// A dangling link names the file it would point to; loops give up after 40 hops.
fs::path FollowLinks(fs::path path)
{
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

bool AtomicFile::Fail(Step step, int systemError, std::string text)
{
    if (m_failedStep == Step::None) {
        m_failedStep = step;
        m_systemError = systemError;
        m_errorText = std::move(text);
    }
    Abort();
    return false;
}

bool AtomicFile::Write(std::string_view text)
{
    return Write({reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

AtomicFile::~AtomicFile()
{
    Abort();
}

std::string WriteFileAtomically(const fs::path& path, std::span<const unsigned char> bytes, bool flushToDisk)
{
    AtomicFile file;
    AtomicFileOptions options;
    options.flushToDisk = flushToDisk;
    if (file.Begin(path, options) && file.Write(bytes) && file.Commit())
        return {};
    return file.ErrorText();
}

std::string WriteFileInside(const fs::path& root, const std::string& relativePath,
                            std::span<const unsigned char> bytes)
{
    const fs::path relative(relativePath);
    if (relativePath.empty() || relative.is_absolute())
        return "refusing to write outside the target folder";
    for (const auto& part : relative)
        if (part == "..")
            return "refusing to write outside the target folder";
    const std::string folderProblem = MakeFoldersInside(root, relative.parent_path());
    if (!folderProblem.empty())
        return folderProblem;
    AtomicFile file;
    AtomicFileOptions options;
    options.flushToDisk = false;
    options.followLinkAtTarget = false;
    if (file.Begin(root / relative, options) && file.Write(bytes) && file.Commit())
        return {};
    return file.ErrorText();
}

}  // namespace tomelens::core
