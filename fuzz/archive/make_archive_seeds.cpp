// Writes a handful of small archives into the directory given, as a starting
// corpus for fuzz_archive: one entry, many entries with empty ones among
// them, a two-block entry, a signature.
#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Seed {
    const char* file;
    std::vector<std::pair<std::string, std::string>> entries;
    bool signature = false;
};

bool Write(const std::string& dir, const Seed& seed)
{
    DMDataFile archive(nullptr);
    archive.AddEntry();  // the name list
    for (const auto& [name, data] : seed.entries) {
        DMDataFileEntry* entry = archive.GetEntry(archive.AddEntry());
        entry->SetName(name.c_str());
        entry->SetData(data.data(), static_cast<unsigned>(data.size()));
        entry->SetCheckSum(static_cast<unsigned>(data.size() * 2654435761u));
    }
    if (seed.signature)
        archive.SetSignature("SIGNATURE", 9);
    return archive.Save((dir + "/" + seed.file).c_str()) == DMResult::Success;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    std::string twoBlocks;
    for (int i = 0; i < 8193; ++i)
        twoBlocks += static_cast<char>('a' + i * 7 % 26);
    const std::vector<Seed> seeds = {
        {"one.dat", {{"a.txt", "abc"}}},
        {"empty.dat", {}},
        {"mixed.dat", {{"first", "some text"}, {"", ""}, {"gap", ""}, {"last", "zzzzzzzzzzzzzzzzzzzz"}}},
        {"blocks.dat", {{"long.txt", twoBlocks}, {"short", "x"}}},
        {"signed.dat", {{"readme", "hello"}}, true},
    };
    for (const Seed& seed : seeds) {
        if (!Write(argv[1], seed)) {
            std::fprintf(stderr, "cannot write %s/%s\n", argv[1], seed.file);
            return 1;
        }
    }
    return 0;
}
