#include "SampleArchives.h"

#include "archive/CheckSum.h"
#include "archive/DMDataFile.h"

#include <cstdint>
#include <random>

namespace {

std::vector<unsigned char> Bytes(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

void PutLE(std::vector<unsigned char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A 24-bit uncompressed BMP with a colour pattern chosen by style.
std::vector<unsigned char> MakeBitmap(int width, int height, int style)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t pixelBytes = std::uint32_t(rowBytes * height);
    std::vector<unsigned char> out = {'B', 'M'};
    PutLE(out, 54 + pixelBytes, 4);
    PutLE(out, 0, 4);
    PutLE(out, 54, 4);
    PutLE(out, 40, 4);
    PutLE(out, std::uint32_t(width), 4);
    PutLE(out, std::uint32_t(height), 4);
    PutLE(out, 1, 2);
    PutLE(out, 24, 2);
    PutLE(out, 0, 4);
    PutLE(out, pixelBytes, 4);
    PutLE(out, 2835, 4);
    PutLE(out, 2835, 4);
    PutLE(out, 0, 4);
    PutLE(out, 0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool check = ((x / 8) + (y / 8)) % 2 == 0;
            out.push_back(static_cast<unsigned char>(style == 0 ? x * 255 / width : check ? 200 : 40));
            out.push_back(static_cast<unsigned char>(style == 1 ? y * 255 / height : 90));
            out.push_back(static_cast<unsigned char>((x + y + style * 60) % 256));
        }
        for (int pad = width * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

}  // namespace

std::vector<SampleEntry> MakeTextEntries()
{
    std::vector<SampleEntry> entries;
    entries.push_back({"readme.txt", Bytes("Sample data for trying out Tomelens.\n"
                                           "Every file here is invented.\n")});
    entries.push_back({"credits.txt", Bytes("Made by the Tomelens sample generator.\n")});
    for (int i = 1; i <= 12; ++i) {
        std::string text = "[zone" + std::to_string(i) + "]\n";
        for (int line = 0; line < 20 * i; ++line)
            text += "spawn" + std::to_string(line) + "=creature " + std::to_string(line * 7 % 31) +
                    " at " + std::to_string(line * 13) + "," + std::to_string(line * 5) + "\n";
        entries.push_back({"zone" + std::to_string(i) + ".ini", Bytes(text)});
    }
    entries.push_back({"empty.txt", {}});
    return entries;
}

std::vector<SampleEntry> MakeImageEntries()
{
    std::vector<SampleEntry> entries;
    const char* names[] = {"sky.bmp", "grass.bmp", "stone.bmp", "water.bmp", "sand.bmp",
                           "bark.bmp", "moss.bmp", "lava.bmp", "ice.bmp", "cloth.bmp"};
    int style = 0;
    for (const char* name : names) {
        entries.push_back({name, MakeBitmap(32 + 16 * (style % 3), 32, style % 3)});
        ++style;
    }
    return entries;
}

std::vector<SampleEntry> MakeBinaryEntries()
{
    std::vector<SampleEntry> entries;
    std::mt19937 random(5u);
    for (int i = 0; i < 10; ++i) {
        std::vector<unsigned char> data(std::size_t(1000 + 3000 * i));
        // Half noise (incompressible), half repeating records (compressible).
        for (std::size_t k = 0; k < data.size(); ++k)
            data[k] = i % 2 ? static_cast<unsigned char>(random()) : static_cast<unsigned char>(k % 61);
        entries.push_back({"sound" + std::to_string(i) + ".wav", data});
    }
    // Larger than one block, so the entry is packed in several.
    std::vector<unsigned char> big(200000);
    for (std::size_t k = 0; k < big.size(); ++k)
        big[k] = static_cast<unsigned char>((k * k) >> 7);
    entries.push_back({"music.mid", big});
    return entries;
}

bool WriteSampleArchive(const std::string& path, const std::vector<SampleEntry>& entries)
{
    DMDataFile* archive = CreateDMDataFile(nullptr);
    if (!archive)
        return false;
    // In a container that was never loaded, the first element made is the name list.
    archive->AddEntry();
    for (const SampleEntry& entry : entries) {
        DMDataFileEntry* added = archive->GetEntry(archive->AddEntry());
        if (!added) {
            DestroyDMDataFile(archive);
            return false;
        }
        added->SetName(entry.name.c_str());
        added->SetData(entry.data.data(), unsigned(entry.data.size()));
        added->SetCheckSum(CheckSum(entry.data.data(), unsigned(entry.data.size()), 0));
    }
    const int result = archive->Save(path.c_str());
    DestroyDMDataFile(archive);
    return result == 0;
}
