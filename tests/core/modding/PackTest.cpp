// Unpack and pack: the round trip gives an unchanged save, edits change only
// their entries, and a folder pack cannot follow writes nothing.
#include "core/engine/EngineTest.h"
#include "modding/Manifest.h"
#include "modding/Pack.h"
#include "modding/Unpack.h"

#include "SampleArchives.h"
#include "archive/CheckSum.h"
#include "archive/DMDataFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

#include <tuple>

using namespace enginetest;
using namespace tomelens::core;

namespace {

// An archive written by the library from an empty container.
void WriteWithLibrary(const fs::path& path, const std::vector<Entry>& items, bool signature = false)
{
    DMDataFile archive(nullptr);
    archive.AddEntry();
    for (const Entry& item : items) {
        DMDataFileEntry* entry = archive.GetEntry(archive.AddEntry());
        entry->SetName(item.name.c_str());
        entry->SetData(item.data.data(), static_cast<unsigned>(item.data.size()));
        entry->SetCheckSum(item.checkSum);
    }
    if (signature)
        archive.SetSignature("SIGNATURE", 9);
    ASSERT_EQ(archive.Save(path.c_str()), 0);
}

Bytes SavedUnchanged(const fs::path& archive, const fs::path& copy)
{
    DMDataFile file(nullptr);
    EXPECT_EQ(file.Load(archive.c_str()), 0);
    EXPECT_EQ(file.Save(copy.c_str()), 0);
    return ReadFile(copy);
}

// Each entry's packed bytes, in the order Contents gives them.
std::vector<Bytes> PackedBytes(const fs::path& path)
{
    DataFilePtr file = Open(path);
    std::vector<Bytes> packed;
    for (unsigned position : LiveEntries(*file)) {
        DMDataFileEntry& entry = *file->GetEntry(position);
        unsigned size = entry.GetPackedLength();
        packed.emplace_back(size);
        EXPECT_EQ(entry.GetPackedData(packed.back().data(), size), 0);
    }
    return packed;
}

// "name=data" of each entry.
std::vector<std::string> NamesAndData(const fs::path& path)
{
    std::vector<std::string> entries;
    for (const Entry& entry : Contents(path))
        entries.push_back(entry.name + "=" + entry.data);
    return entries;
}

void Unpacked(const fs::path& archive, const fs::path& folder)
{
    const Outcome outcome = Unpack(archive, folder);
    ASSERT_TRUE(outcome.Ok()) << outcome.Message();
}

PackReport Packed(const fs::path& folder, const fs::path& archive, PackOptions options = {})
{
    PackReport report;
    const Outcome outcome = Pack(folder, archive, options, report);
    EXPECT_TRUE(outcome.Ok()) << outcome.Message();
    return report;
}

}  // namespace

TEST(Pack, UnpackThenPackGivesExactlyAnUnchangedSaveOfEveryLayout)
{
    Tree tree;
    std::string twoBlocks;
    for (int i = 0; i < 8193; ++i)
        twoBlocks += static_cast<char>('a' + i * 7 % 26);
    const auto sample = [&](const std::string& file, const std::vector<SampleEntry>& entries) {
        ASSERT_TRUE(WriteSampleArchive(tree / file, entries));
    };
    sample("texts.pak", MakeTextEntries());
    sample("images.pak", MakeImageEntries());
    sample("binary.pak", MakeBinaryEntries());
    WriteWithLibrary(tree / "one.dat", {{"a.txt", "abc"}});
    WriteWithLibrary(tree / "empty.dat", {});
    WriteWithLibrary(tree / "mixed.dat", {{"first", "some text", 5}, {"", ""}, {"gap", ""}, {"last", "zzzz"}});
    WriteWithLibrary(tree / "blocks.dat", {{"long.txt", twoBlocks}, {"short", "x"}});
    WriteWithLibrary(tree / "signed.dat", {{"readme", "hello"}}, true);
    // Names no file system holds as they are, duplicates, the manifest's own
    // name; written field by field with the directory backwards.
    std::vector<PlainEntry> odd;
    for (const char* name : {"..", "a/../b", "C:\\x", "x\x01y", "caf\xE9", "dup", "dup", "", "tomelens.json",
                             "sub\\deep\\f.txt", "sub/deep/f.txt", "tail/"})
        odd.push_back({name, ToBytes(std::string(name) + " data"), CheckSum(name, unsigned(std::strlen(name)), 0)});
    MakeArchive(odd, true).WriteTo(tree / "odd.dat");

    for (const char* archive : {"texts.pak", "images.pak", "binary.pak", "one.dat", "empty.dat", "mixed.dat",
                                "blocks.dat", "signed.dat", "odd.dat"}) {
        SCOPED_TRACE(archive);
        const fs::path folder = tree / (std::string(archive) + ".d");
        Unpacked(tree / archive, folder);
        std::string problem;
        const auto manifest = ManifestFromJson(ToString(ReadFile((folder / kManifestFileName).string())), problem);
        ASSERT_TRUE(manifest) << problem;
        for (const ManifestEntry& entry : manifest->entries) {
            const Bytes data = ReadFile((folder / entry.file).string());
            EXPECT_EQ(entry.crc32, CheckSum(data.data(), static_cast<unsigned>(data.size()), 0)) << entry.file;
        }
        const PackReport report = Packed(folder, tree / "packed");
        EXPECT_EQ(ReadFile(tree / "packed"), SavedUnchanged(tree / archive, tree / "saved"));
        EXPECT_EQ(report.kept, Contents(tree / archive).size());
        EXPECT_EQ(report.changed + report.added + report.removed, 0u);
    }
}

TEST(Pack, EditedFilesChangeOnlyTheirEntriesAndStaleChecksumsAreNamed)
{
    Tree tree;
    std::vector<Entry> items;
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        const Bytes data = PatternBytes(20000 + name[0], name[0], 6);
        items.push_back({name, ToString(data), CheckSum(data.data(), static_cast<unsigned>(data.size()), 0)});
    }
    items[3].checkSum = 77;  // d's stored value never was its data's
    WriteWithLibrary(tree / "orig", items);
    const fs::path folder = tree / "d";
    Unpacked(tree / "orig", folder);

    WriteText(folder / "a", items[0].data);  // touched, same bytes
    const std::string newB = "b is shorter now";
    std::string newD = items[3].data;
    newD[100] ^= 1;  // same length, other bytes
    WriteText(folder / "b", newB);
    WriteText(folder / "d", newD);

    PackReport report = Packed(folder, tree / "packed");
    EXPECT_EQ(report.kept, 3u);
    EXPECT_EQ(report.changed, 2u);
    ASSERT_EQ(report.disagreeing.size(), 1u);
    EXPECT_EQ(report.disagreeing[0].name, "b");
    EXPECT_EQ(report.disagreeing[0].stored, items[1].checkSum);
    EXPECT_EQ(report.disagreeing[0].ofData, CheckSum(newB.data(), static_cast<unsigned>(newB.size()), 0));

    // The edited entries get new data, packed anew; everything else is carried over byte for byte.
    std::vector<Entry> expected = items;
    expected[1].data = newB;
    expected[3].data = newD;
    EXPECT_EQ(Contents(tree / "packed"), expected);
    const std::vector<Bytes> before = PackedBytes(tree / "orig"), after = PackedBytes(tree / "packed");
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i] == before[i], i != 1 && i != 3) << i;

    WriteText(folder / "new", "fresh");
    report = Packed(folder, tree / "recrc", {{}, true});
    EXPECT_TRUE(report.disagreeing.empty());
    const std::vector<Entry> packed = Contents(tree / "recrc");
    ASSERT_EQ(packed.size(), 6u);
    EXPECT_EQ(packed[5].checkSum, CheckSum("fresh", 5, 0));
    EXPECT_EQ(packed[1].checkSum, CheckSum(newB.data(), static_cast<unsigned>(newB.size()), 0));
    EXPECT_EQ(packed[3].checkSum, CheckSum(newD.data(), static_cast<unsigned>(newD.size()), 0));
    EXPECT_EQ(packed[0].checkSum, items[0].checkSum);
}

TEST(Pack, FollowsAddedRemovedAndRenamedFiles)
{
    Tree tree;
    WriteWithLibrary(tree / "orig", {{"keep", "k", 1}, {"gone", "g", 2}, {"old name", "o", 3}, {"sub\\x", "x", 4}});
    const fs::path folder = tree / "d";
    Unpacked(tree / "orig", folder);
    fs::remove(folder / "gone");
    fs::rename(folder / "old name", folder / "new name");
    WriteText(folder / "B.txt", "B");
    WriteText(folder / "a.txt", "a");
    WriteText(folder / "sub" / "y", "y");
    WriteText(folder / "empty", "");

    const PackReport report = Packed(folder, tree / "packed");
    EXPECT_EQ(report.kept, 2u);
    EXPECT_EQ(report.removed, 2u);
    EXPECT_EQ(report.added, 5u);
    // Kept entries in their order, then the new files in list order, named with the archive's separator.
    EXPECT_EQ(NamesAndData(tree / "packed"), (std::vector<std::string>{"keep=k", "sub\\x=x", "a.txt=a", "B.txt=B",
                                                                          "empty=", "new name=o", "sub\\y=y"}));
    // Without a manifest pack is create: every file, in create's name order.
    fs::remove(folder / kManifestFileName);
    EXPECT_FALSE(Packed(folder, tree / "created").usedManifest);
    EXPECT_EQ(NamesAndData(tree / "created"), (std::vector<std::string>{"B.txt=B", "a.txt=a", "empty=", "keep=k",
                                                                           "new name=o", "sub/x=x", "sub/y=y"}));
}

TEST(Pack, RefusesAFolderItCannotFollowAndWritesNothingAndUnpackOnlyIntoAnEmptyOne)
{
    Tree tree;
    WriteWithLibrary(tree / "orig", {{"a", "1"}, {"x:y", "2"}});
    WriteWithLibrary(tree / "other", {{"a", "1"}});
    const struct {
        const char* what;
        std::function<void(const fs::path&)> spoil;
        Step step;
        std::string subject;  // the end of the path the message names
        PackOptions options;
    } cases[] = {
        {"file became folder", [](const fs::path& d) { fs::remove(d / "a"); fs::create_directory(d / "a"); },
         Step::Refused, "/a", {}},
        {"two files, one name", [](const fs::path& d) { WriteText(d / "x:y", "3"); }, Step::Name, "/x:y", {}},
        {"not a file", [](const fs::path& d) { ASSERT_EQ(::mkfifo((d / "pipe").c_str(), 0600), 0); }, Step::Refused,
         "/pipe", {}},
        {"broken manifest", [](const fs::path& d) { WriteText(d / kManifestFileName, "{\"format\": "); },
         Step::Refused, "/tomelens.json", {}},
        {"unfinished unpack", [](const fs::path& d) { WriteText(d / kManifestFileName, ""); }, Step::Refused,
         "/tomelens.json", {}},
        {"another original", [](const fs::path&) {}, Step::Refused, "/other", {tree / "other", false}},
        {"original gone", [&](const fs::path&) { fs::rename(tree / "orig", tree / "moved"); }, Step::Open,
         "/orig", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (fs::exists(tree / "moved"))
            fs::rename(tree / "moved", tree / "orig");
        const fs::path folder = tree / c.what;
        Unpacked(tree / "orig", folder);
        c.spoil(folder);
        fs::create_directories(tree / "out");
        WriteText(tree / "out" / "target", "old");
        PackReport report;
        const Outcome outcome = Pack(folder, tree / "out" / "target", c.options, report);
        EXPECT_EQ(outcome.step, c.step) << outcome.Message();
        EXPECT_TRUE(outcome.subject.ends_with(c.subject)) << outcome.Message();
        EXPECT_EQ(ReadFile((tree / "out" / "target").string()), ToBytes("old"));
        EXPECT_EQ(std::distance(fs::directory_iterator(tree / "out"), fs::directory_iterator()), 1);
    }
    // Unpack, for its part, needs a new or empty folder.
    EXPECT_EQ(Unpack(tree / "other", tree / "out").step, Step::Refused);
    EXPECT_EQ(FilesBelow(tree / "out"), std::vector<std::string>{"target"});
}

TEST(Pack, OverItsOriginalTheManifestFollowsSoTheLoopGoesOn)
{
    Tree tree;
    WriteWithLibrary(tree / "orig", {{"a", "one"}, {"b", "two"}, {"c", "three"}});
    const fs::path folder = tree / "d";
    Unpacked(tree / "orig", folder);
    WriteText(folder / "b", "second");
    EXPECT_EQ(Packed(folder, tree / "orig").changed, 1u);
    WriteText(folder / "c", "third");
    fs::remove(folder / "a");
    WriteText(folder / "n", "new");
    const PackReport report = Packed(folder, tree / "orig");
    EXPECT_EQ(std::tuple(report.kept, report.changed, report.added, report.removed), std::tuple(1u, 1u, 1u, 1u));
    // Untouched since: nothing to pack, and the same file as the original wherever it goes.
    EXPECT_EQ(Packed(folder, tree / "copy").kept, 3u);
    EXPECT_EQ(ReadFile(tree / "copy"), ReadFile(tree / "orig"));
    EXPECT_EQ(NamesAndData(tree / "orig"), (std::vector<std::string>{"b=second", "c=third", "n=new"}));
}
