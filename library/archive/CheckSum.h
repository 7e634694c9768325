#pragma once

#include "../TomelensExport.h"

// CRC-32 (reflected, polynomial 0xEDB88320, initial and final inversion) of
// `length` bytes at `data`, continuing from `seed`. A first call passes seed 0;
// passing one call's result as the next call's seed checksums the concatenation.
TOMELENS_API unsigned CheckSum(const void* data, unsigned length, unsigned seed);
