#include "archive/FileIo.h"

// Ownership bookkeeping of FileHandle, the same on every platform; the
// platform files supply Adopt and CloseNative.
namespace tomelens::archive {

FileHandle::FileHandle(NativeFile file) : m_file(Adopt(file)) {}

FileHandle::FileHandle(FileHandle&& other) noexcept : m_file(other.m_file)
{
    other.m_file = kNone;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_file = other.m_file;
        other.m_file = kNone;
    }
    return *this;
}

FileHandle::~FileHandle()
{
    Close();
}

bool FileHandle::Close()
{
    if (m_file == kNone)
        return true;
    const NativeFile file = m_file;
    m_file = kNone;
    return CloseNative(file);
}

}  // namespace tomelens::archive
