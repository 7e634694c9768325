#include "CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::vector<char*> ArgvFor(const std::vector<std::string>& args, std::vector<std::string>& storage)
{
    storage.clear();
    storage.push_back(TOMELENS_CLI_PATH);
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return argv;
}

int ExitCodeOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In the child: points fd at the file, or ends the child.
void Redirect(int fd, const char* path, int flags)
{
    const int file = open(path, flags, 0600);
    if (file < 0 || dup2(file, fd) < 0)
        _exit(127);
    close(file);
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const fs::path& cwd)
{
    TempFolder capture;
    const std::string outPath = (capture / "stdout").string();
    const std::string errPath = (capture / "stderr").string();
    std::vector<std::string> storage;
    std::vector<char*> argv = ArgvFor(args, storage);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(127);
        Redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        Redirect(STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        Redirect(STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {ExitCodeOf(status), ReadBytes(outPath), ReadBytes(errPath)};
}

CliRun RunCliWithTerminalStderr(const std::vector<std::string>& args)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal available");
    const std::string slaveName = ptsname(master);
    TempFolder capture;
    const std::string outPath = (capture / "stdout").string();
    std::vector<std::string> storage;
    std::vector<char*> argv = ArgvFor(args, storage);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        close(master);
        Redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        Redirect(STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        Redirect(STDERR_FILENO, slaveName.c_str(), O_RDWR | O_NOCTTY);
        execv(argv[0], argv.data());
        _exit(127);
    }

    // Read the terminal while the child runs, so it never blocks on a full buffer.
    std::string err;
    int status = 0;
    bool exited = false;
    for (;;) {
        pollfd waiting{master, POLLIN, 0};
        if (poll(&waiting, 1, 20) > 0 && (waiting.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got > 0) {
                err.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
        }
        if (exited)
            break;
        exited = waitpid(child, &status, WNOHANG) == child;
    }
    close(master);
    return {ExitCodeOf(status), ReadBytes(outPath), err};
}

TempFolder::TempFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (fs::path(base && *base ? base : "/tmp") / "tomelens-cli-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
