#include "archive/AtomicFileWriter.h"

// The platform-neutral part; Open, Commit and Discard live in the platform sources.
namespace tomelens::archive {

void (*g_beforeReplaceHook)() = nullptr;
bool g_useUnnamedTemps = true;

AtomicFileWriter::~AtomicFileWriter()
{
    Discard();
}

bool AtomicFileWriter::Write(const void* data, std::uint64_t count)
{
    if (m_failed || !m_file.Valid())
        return false;
    if (count > 0 && !WriteFully(m_file.Get(), data, count))
        m_failed = true;
    return !m_failed;
}

}  // namespace tomelens::archive
