// A second copy of the file writer in its own shared library, as in the
// archive library, so tests can arm a temporary file in each copy.
#include "archive/InterruptCleanup.h"

#define SECOND_COPY_API extern "C" __attribute__((visibility("default")))

namespace {
tomelens::archive::InterruptCleanup g_cleanup;
}

SECOND_COPY_API void SecondCopyArm(int folder, const char* name)
{
    g_cleanup.Arm(folder, name);
}

SECOND_COPY_API void SecondCopyDisarm()
{
    g_cleanup.Disarm();
}
