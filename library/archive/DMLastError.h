#pragma once

#include "../TomelensExport.h"

// The system's own error number behind the last failure of this thread's
// library calls (errno on POSIX, GetLastError() on Windows), so a caller can
// say what went wrong beyond the result code. 0 when the last call that
// touched a file succeeded, or failed for a reason of its own such as a file
// that is not an archive.
TOMELENS_API int DMLastSystemError();
