#include "modding/FileCrc.h"

#include "RegularFile.h"

#ifdef TOMELENS_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tomelens::core {

std::uint32_t ContinueCrc32(std::uint32_t crc, const void* bytes, std::size_t length)
{
#ifdef TOMELENS_HAVE_LIBDEFLATE
    return libdeflate_crc32(crc, bytes, length);
#else
    const auto* at = static_cast<const Bytef*>(bytes);
    while (length > 0) {
        const auto piece = static_cast<uInt>(std::min<std::size_t>(length, 1u << 30));
        crc = static_cast<std::uint32_t>(crc32(crc, at, piece));
        at += piece;
        length -= piece;
    }
    return crc;
#endif
}

std::optional<std::uint32_t> FileCrc32(const std::string& path, int& error,
                                       const std::function<bool(std::size_t)>& onBytes)
{
    error = 0;
    UniqueFile file = OpenRegularFile(path, nullptr, &error);
    if (!file)
        return std::nullopt;
    std::vector<unsigned char> buffer(1u << 20);
    std::uint32_t crc = 0;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        crc = ContinueCrc32(crc, buffer.data(), got);
        if (got > 0 && onBytes && !onBytes(got))
            return std::nullopt;
        if (got < buffer.size())
            break;
    }
    if (std::ferror(file.get())) {
        error = errno ? errno : EIO;
        return std::nullopt;
    }
    return crc;
}

}  // namespace tomelens::core
