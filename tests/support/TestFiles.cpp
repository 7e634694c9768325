#include "TestFiles.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

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
    std::error_code error;
    const char* base = std::getenv("TMPDIR");
#ifdef _WIN32
    const fs::path memory;
#else
    const fs::path memory = fs::is_directory("/dev/shm", error) ? "/dev/shm" : "";
#endif
    const fs::path root = base && *base ? fs::path(base) : !memory.empty() ? memory : fs::temp_directory_path();
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = root / ("tomelens-test-" + std::to_string(entropy()));
        if (fs::create_directory(candidate, error)) {
            m_path = candidate.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir()
{
    std::error_code error;
    fs::remove_all(m_path, error);
}

std::vector<std::string> TempDir::List() const
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(m_path, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
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
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
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
