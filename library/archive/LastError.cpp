#include "archive/LastError.h"

#include "archive/DMLastError.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
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
