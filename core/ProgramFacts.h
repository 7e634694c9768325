#pragma once

// Facts about the program that the window, the command-line tool and the
// package all state the same way.
namespace tomelens::core {

inline constexpr char kProgramName[] = "Tomelens";
// The version as the About box shows it.
inline constexpr char kProgramVersion[] = "0.21 beta";
// Where users send reports about files the program cannot understand.
inline constexpr char kMakerContact[] = "tomelens@example.org";

}  // namespace tomelens::core
