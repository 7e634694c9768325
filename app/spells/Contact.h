#pragma once

// Where users send reports about files the program cannot understand.
inline constexpr char kMakerContact[] = "tomelens@example.org";
