#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs the built tomelens-cli as a child process and captures what it says.
struct CliRun {
    int exitCode = -1;   // the exit status, or -1 when it did not exit normally
    std::string out;     // everything written to stdout
    std::string err;     // everything written to stderr
};

// Runs the program with args in folder cwd (empty: the test's own folder).
// stdin is /dev/null; stdout and stderr are captured through files.
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd = {});

// The same, but with stderr on a pseudo-terminal, as when a person runs it.
CliRun RunCliWithTerminalStderr(const std::vector<std::string>& args);

// A fresh folder below the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Whole-file helpers for test data.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

// Every regular file below folder, as paths relative to it with '/', sorted.
std::vector<std::string> FilesBelow(const std::filesystem::path& folder);
