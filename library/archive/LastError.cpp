#include "archive/LastError.h"

#include "archive/DMLastError.h"

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

}  // namespace tomelens::archive

int DMLastSystemError()
{
    return tomelens::archive::t_lastSystemError;
}
