#include "FileWrite.h"

#include "archive/SiblingPath.h"

#include <cerrno>
#include <system_error>

namespace tomelens::core {

namespace {

#if defined(_WIN32)
constexpr auto kPathStyle = archive::PathStyle::Windows;
constexpr int kIsAFolder = 267;  // ERROR_DIRECTORY
#else
constexpr auto kPathStyle = archive::PathStyle::Posix;
constexpr int kIsAFolder = EISDIR;
#endif

// "'folder'". Built by appending: GCC 12 wrongly warns that "'" + text may
// overlap (-Wrestrict) when building for Windows.
std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    quoted += text;
    quoted += "'";
    return quoted;
}

}  // namespace

std::string SystemErrorText(int error)
{
    return std::system_category().message(error);
}

std::string WriteFailureText(const AtomicFileWriter& writer, const std::string& path)
{
    const int error = writer.SystemError();
    switch (writer.FailedStep()) {
    case AtomicFileWriter::Step::Create:
        if (error == kIsAFolder)
            return "is a folder";
        // A file that is there but refused (write-protected) is not a folder's fault.
        if (writer.TargetExisted())
            break;
        return "cannot create a file in " + Quoted(archive::FolderOf(path, kPathStyle)) + ": " +
               SystemErrorText(error);
    case AtomicFileWriter::Step::Replace:
        return "cannot replace it: " + SystemErrorText(error);
    case AtomicFileWriter::Step::Write:
    case AtomicFileWriter::Step::None:
        break;
    }
    return "cannot be written: " + SystemErrorText(error);
}

std::string WriteWholeFile(const std::string& path, std::span<const unsigned char> bytes,
                           AtomicFileWriter::Step* failedStep)
{
    AtomicFileWriter writer;
    const bool done = writer.Open(path.c_str(), archive::KeepTimes::No) == 0 &&
                      writer.Write(bytes.data(), bytes.size()) && writer.Commit() == 0;
    if (failedStep)
        *failedStep = writer.FailedStep();
    return done ? std::string() : WriteFailureText(writer, path);
}

std::string WriteWholeFile(const std::string& path, std::string_view text, AtomicFileWriter::Step* failedStep)
{
    return WriteWholeFile(path, {reinterpret_cast<const unsigned char*>(text.data()), text.size()}, failedStep);
}

}  // namespace tomelens::core
