#pragma once

#include <filesystem>
#include <string>

namespace tomelens::core {

// Paths as the manifest stores them: UTF-8 on Windows, the system's own
// bytes elsewhere (which is what the file system holds there).
inline std::string PathToManifestText(const std::filesystem::path& path)
{
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

inline std::filesystem::path PathFromManifestText(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace tomelens::core
