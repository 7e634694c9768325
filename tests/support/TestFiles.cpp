#include "TestFiles.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

Bytes ToBytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

std::string ToString(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

Bytes PatternBytes(std::size_t size, unsigned seed, unsigned alphabet)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<unsigned char>(alphabet ? 'a' + random() % alphabet : random());
    return bytes;
}

TempDir::TempDir()
{
    // Saves flush to disk; in memory-backed /dev/shm that costs nothing.
    const char* base = std::getenv("TMPDIR");
    std::string root = base && *base ? base : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = root + "/tomelens-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TempDir::~TempDir()
{
    for (const std::string& name : List())
        ::unlink(File(name).c_str());
    ::rmdir(m_path.c_str());
}

std::vector<std::string> TempDir::List() const
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(m_path.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, std::string_view text)
{
    WriteFile(path, ToBytes(text));
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

#if !defined(_WIN32)
FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = m_old;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot limit the file size");
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}
#endif

}  // namespace testsupport
