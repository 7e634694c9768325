#include "archive/DMLastError.h"

#include "archive/LastError.h"

int DMLastSystemError()
{
    return tomelens::archive::LastSystemError();
}
