#include "archive/CheckSum.h"

#include <array>
#include <cstdint>

namespace {

// Remainders of the reflected CRC-32 for each single byte, without inversion.
constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t remainder = n;
        for (int bit = 0; bit < 8; ++bit)
            remainder = (remainder & 1) ? (remainder >> 1) ^ 0xEDB88320u : remainder >> 1;
        table[n] = remainder;
    }
    return table;
}

// Built at compile time: no first-call race, nothing to initialise.
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x77073096u && kCrcTable[128] == 0xEDB88320u &&
              kCrcTable[255] == 0x2D02EF8Du);

}  // namespace

unsigned CheckSum(const void* data, unsigned length, unsigned seed)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint32_t crc = ~std::uint32_t(seed);
    for (unsigned i = 0; i < length; ++i)
        crc = kCrcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
