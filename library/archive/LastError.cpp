#include "archive/LastError.h"

#if defined(_WIN32)
#include "archive/WindowsHeaders.h"
#else
#include <cerrno>
#endif

namespace tomelens::archive {

namespace {
thread_local int t_lastSystemError = 0;
}  // namespace

void ClearSystemError()
{
    t_lastSystemError = 0;
}

void RecordSystemError()
{
#if defined(_WIN32)
    t_lastSystemError = static_cast<int>(::GetLastError());
#else
    t_lastSystemError = errno;
#endif
}

void RecordSystemError(int code)
{
    t_lastSystemError = code;
}

int LastSystemError()
{
    return t_lastSystemError;
}

}  // namespace tomelens::archive
