#include "Commands.h"
#include "Diagnostics.h"
#include "EntryListing.h"
#include "engine/FileCheckSum.h"

#include <iostream>

int RunCrc(CommandArgs args)
{
    return RunOnEachFile(args, "crc", [](const std::string& path) {
        unsigned checkSum = 0;
        if (const auto summed = tomelens::core::FileCheckSum(path, checkSum); !summed.Ok()) {
            ReportOutcome(summed);
            return false;
        }
        std::cout << Hex8(checkSum) << "  " << DisplayName(path) << '\n';
        return true;
    });
}
