#pragma once

#include <string>
#include <vector>

// One entry of a sample archive.
struct SampleEntry {
    std::string name;
    std::vector<unsigned char> data;
};

// The entries of the three sample archives: texts, small images and binary data.
std::vector<SampleEntry> MakeTextEntries();
std::vector<SampleEntry> MakeImageEntries();
std::vector<SampleEntry> MakeBinaryEntries();

// Writes an archive with the given entries through the library; true on success.
bool WriteSampleArchive(const std::string& path, const std::vector<SampleEntry>& entries);
