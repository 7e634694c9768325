#pragma once

#include "../TomelensExport.h"

// Saving writes the new content to a short hidden temporary file beside the
// target first (".tl~" + 8 hex digits + "-" + 8 hex digits + "-" + process id
// + "-" + number + ".tmp").
// Such a file is never an archive of its own; listings of a folder skip it.

// 1 when the bare file name (no folder part) has the form of a save's
// temporary file, else 0; 0 for null.
TOMELENS_API int DMIsSaveTempName(const char* fileName);
