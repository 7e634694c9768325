#pragma once

#include <string>

// A save killed outright (SIGKILL, a crash, power loss) leaves its temporary
// file behind. The next save of the same target removes such files whose
// writing process is gone; files of live writers, of this process and of
// other targets stay. StaleSaveTempsPosix.cpp and StaleSaveTempsWin32.cpp
// hold the platform parts.
namespace tomelens::archive {

void RemoveStaleSaveTemps(const std::string& target);

}  // namespace tomelens::archive
