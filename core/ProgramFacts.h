#pragma once

#include "TomelensVersion.h"

// Facts about the program that the window, the command-line tool and the
// package all state the same way.
namespace tomelens::core {

inline constexpr char kProgramName[] = "Tomelens";
// The project's version as --version prints it, "0.21 beta".
inline constexpr char kProgramVersion[] = TOMELENS_VERSION_TEXT;
// Where users send reports about files the program cannot understand.
inline constexpr char kMakerContact[] = "tomelens@example.org";

}  // namespace tomelens::core
