#include "archive/AtomicFileWriter.h"

#include "archive/LastError.h"
#include "archive/PositionalRead.h"

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
        Fail(Step::Write, LastSystemError());  // WriteFully recorded the cause
    return !m_failed;
}

// Keeps the first failure: later steps fail because of it.
bool AtomicFileWriter::Fail(Step step, int error)
{
    m_failed = true;
    if (m_failedStep == Step::None) {
        m_failedStep = step;
        m_systemError = error;
    }
    RecordSystemError(m_systemError);
    return false;
}

bool AtomicFileWriter::WriteAt(std::uint64_t offset, const void* data, std::uint64_t count)
{
    if (m_failed || !m_file.Valid())
        return false;
    if (count > 0 && (m_temp == Temp::None || !tomelens::archive::WriteAt(m_file.Get(), data, count, offset)))
        Fail(Step::Write, LastSystemError());
    return !m_failed;
}

}  // namespace tomelens::archive
