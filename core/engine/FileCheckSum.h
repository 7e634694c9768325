#pragma once

#include "engine/Outcome.h"

#include <string>

namespace tomelens::core {

// The checksum entries carry (CRC-32), of a whole file of any size, read in
// pieces. A file that another program changes while it is read fails with
// step Changed, as an archive would.
Outcome FileCheckSum(const std::string& path, unsigned& checkSum);

}  // namespace tomelens::core
