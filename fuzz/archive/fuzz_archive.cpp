// Feeds arbitrary bytes to the archive reader, inflates and exports every
// entry, and when the bytes load, saves them and checks the copy reads back
// with the same names and data.
#include "archive/ArchiveFormat.h"
#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string& ScratchDir()
{
    static const std::string dir = [] {
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        pattern += "/fuzz-archive-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return dir;
}

// Removes the scratch files when the fuzzer exits normally.
void RemoveScratch()
{
    for (const char* name : {"/input.dat", "/entry.bin", "/saved.dat"})
        ::unlink((ScratchDir() + name).c_str());
    ::rmdir(ScratchDir().c_str());
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
}

struct Inflated {
    int result = 0;
    std::vector<unsigned char> bytes;
};

// Inflates an entry when its length is one its packed bytes could hold; a
// larger claim is answered by SaveData without allocating it.
Inflated Inflate(DMDataFileEntry& entry, const std::string& exportPath)
{
    Inflated out;
    const std::uint64_t bound = tomelens::archive::MaxInflatedSize(entry.GetPackedLength());
    if (entry.GetLength() <= bound) {
        out.bytes.resize(entry.GetLength());
        out.result = entry.GetData(out.bytes.data());
    } else {
        out.result = DMResult::CorruptData;
    }
    // An entry of length 0 exports as an empty file without looking at its blocks.
    const int expected = entry.GetLength() == 0 ? DMResult::Success : out.result;
    if (entry.SaveData(exportPath.c_str()) != expected)
        std::abort();
    return out;
}

int Collect(void* context, const void* bytes, unsigned length)
{
    auto& out = *static_cast<std::vector<unsigned char>*>(context);
    out.insert(out.end(), static_cast<const unsigned char*>(bytes), static_cast<const unsigned char*>(bytes) + length);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Registered after the directory name exists, so it runs before that name is destroyed.
    static const bool cleanupRegistered = (ScratchDir(), std::atexit(RemoveScratch) == 0);
    (void)cleanupRegistered;
    const std::string input = ScratchDir() + "/input.dat";
    const std::string exported = ScratchDir() + "/entry.bin";
    const std::string saved = ScratchDir() + "/saved.dat";
    WriteInput(input, data, size);

    DMDataFile archive(nullptr);
    if (archive.Load(input.c_str()) != DMResult::Success)
        return 0;
    std::vector<Inflated> original;
    for (unsigned i = 0; i < archive.GetNumEntries(); ++i)
        original.push_back(Inflate(*archive.GetEntry(i), exported));

    // Reading the index only, and the entries block by block from the file,
    // must agree with the whole-file reader entry by entry.
    DMDataFile index(nullptr);
    if (index.LoadIndex(input.c_str()) != DMResult::Success || index.GetNumEntries() != archive.GetNumEntries())
        std::abort();
    for (unsigned i = 0; i < index.GetNumEntries(); ++i) {
        std::vector<unsigned char> streamed;
        const int result = index.GetEntry(i)->ReadData(Collect, &streamed);
        if (result != original[i].result || (result == DMResult::Success && streamed != original[i].bytes))
            std::abort();
    }

    if (archive.Save(saved.c_str()) != DMResult::Success)
        std::abort();
    DMDataFile copy(nullptr);
    if (copy.Load(saved.c_str()) != DMResult::Success || copy.GetNumEntries() != archive.GetNumEntries())
        std::abort();
    for (unsigned i = 0; i < copy.GetNumEntries(); ++i) {
        DMDataFileEntry& entry = *copy.GetEntry(i);
        if (std::strcmp(entry.GetName(), archive.GetEntry(i)->GetName()) != 0 ||
            entry.GetCheckSum() != archive.GetEntry(i)->GetCheckSum())
            std::abort();
        const Inflated again = Inflate(entry, exported);
        if (again.result != original[i].result ||
            (again.result == DMResult::Success && again.bytes != original[i].bytes))
            std::abort();
    }
    return 0;
}
