#include "CliTest.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

// Reads the terminal while the child runs, so it never blocks on a full buffer.
std::string DrainUntilExit(int master, pid_t child, int& status)
{
    std::string text;
    for (bool exited = false;;) {
        pollfd waiting{master, POLLIN, 0};
        if (poll(&waiting, 1, 20) > 0 && (waiting.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got > 0) {
                text.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
        }
        if (exited)
            return text;
        exited = waitpid(child, &status, WNOHANG) == child;
    }
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const fs::path& cwd, bool terminal)
{
    TempDir capture;
    const std::string outPath = capture.File("stdout");
    std::string errPath = capture.File("stderr");
    int master = -1;
    if (terminal) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            throw std::runtime_error("no pseudo-terminal available");
        errPath = ptsname(master);
    }
    std::vector<std::string> storage = {TOMELENS_CLI_PATH};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (master >= 0)
        posix_spawn_file_actions_addclose(&actions, master);
    if (!cwd.empty())
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     terminal ? O_RDWR | O_NOCTTY : O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + storage[0]);

    int status = 0;
    std::string err;
    rusage usage{};
    if (terminal) {
        err = DrainUntilExit(master, child, status);
        close(master);
    } else {
        wait4(child, &status, 0, &usage);
        err = ReadText(errPath);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(outPath), err, usage.ru_maxrss};
}

Folder::~Folder()
{
    std::error_code ignored;
    fs::remove_all(Path(), ignored);
}

void WriteArchive(const fs::path& path, const std::vector<TextEntry>& entries, bool reverseDirectory)
{
    std::vector<PlainEntry> plain;
    for (const TextEntry& entry : entries)
        plain.push_back({entry.name, ToBytes(entry.data), entry.checkSum, entry.corrupt});
    MakeArchive(plain, reverseDirectory).WriteTo(path.string());
}

void WriteText(const fs::path& path, const std::string& text)
{
    WriteFile(path.string(), std::string_view(text));
}

std::string ReadText(const fs::path& path)
{
    return ToString(ReadFile(path.string()));
}

std::vector<std::string> FilesBelow(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(folder))
        if (item.is_regular_file())
            files.push_back(fs::relative(item.path(), folder).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
