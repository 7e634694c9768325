// Writes the sample game directory: three archives, a file that is not an
// archive and a spell file. Usage: tomelens_make_sample <directory>
#include "SampleArchives.h"
#include "SampleSpells.h"

#include "spells/SpellFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace tomelens::core;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s\n", dir.string().c_str());
        return 1;
    }

    bool ok = WriteSampleArchive((dir / "texts.pak").string(), MakeTextEntries()) &&
              WriteSampleArchive((dir / "images.pak").string(), MakeImageEntries()) &&
              WriteSampleArchive((dir / "sounds.pak").string(), MakeBinaryEntries()) &&
              WriteSpellFile((dir / "spdat.eff").string(), MakeSampleSpells());

    std::ofstream notes(dir / "notes.txt");
    notes << "Not an archive: the Archives tab does not list this file.\n";
    ok = ok && notes.good();

    if (!ok) {
        std::fprintf(stderr, "cannot write the sample game directory %s\n", dir.string().c_str());
        return 1;
    }
    return 0;
}
