#include "archive/DMSaveTemp.h"

#include "archive/SaveTempName.h"

int DMIsSaveTempName(const char* fileName)
{
    tomelens::archive::SaveTempOwner owner;
    return fileName && tomelens::archive::ParseSaveTempName(fileName, owner) ? 1 : 0;
}
