#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tomelens::core {

// A running CRC-32 (the archive checksum's algorithm) over pieces of data.
std::uint32_t ContinueCrc32(std::uint32_t crc, const void* bytes, std::size_t length);

// The CRC-32 of a whole file, read in pieces; nullopt when it cannot be read
// (then `error` holds the system's error number). `onBytes` is told of each
// piece read and returns false to stop, which also gives nullopt.
std::optional<std::uint32_t> FileCrc32(const std::string& path, int& error,
                                       const std::function<bool(std::size_t)>& onBytes = {});

}  // namespace tomelens::core
