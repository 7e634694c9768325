#pragma once

// Toolkit-free helpers for tests that touch the file system.
#include <cstdint>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(std::string_view text);
std::string ToString(const Bytes& bytes);

// Bytes that differ from seed to seed and are not all alike, so a mix-up shows.
// `alphabet` 0 gives uniform noise; otherwise letters from 'a' on, which deflate well.
Bytes PatternBytes(std::size_t size, unsigned seed, unsigned alphabet = 0);

// A fresh directory for one test, removed with everything below it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> List() const;  // sorted names, hidden ones included

private:
    std::string m_path;
};

// Whole-file access; WriteFile throws when the file cannot be written.
void WriteFile(const std::string& path, const Bytes& bytes);
void WriteFile(const std::string& path, std::string_view text);
Bytes ReadFile(const std::string& path);  // empty when missing
bool FileExists(const std::string& path);  // symbolic links count, even dangling ones

#if !defined(_WIN32)
// Makes every write past `bytes` into a regular file fail, as a full disk
// would, until destroyed. POSIX only.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

}  // namespace testsupport
