#include "modding/Manifest.h"
#include "modding/Pack.h"
#include "modding/Unpack.h"

#include "SampleArchives.h"
#include "archive/CheckSum.h"
#include "archive/DMDataFile.h"
#include "support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <tuple>

using namespace tomelens::core;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// A folder for one test, removed with everything below it.
struct Scratch {
    fs::path root = fs::temp_directory_path() / ("tomelens-modding-" + std::to_string(std::random_device{}()));
    Scratch() { fs::create_directories(root); }
    ~Scratch()
    {
        std::error_code error;
        fs::remove_all(root, error);
    }
    std::string operator/(const std::string& name) const { return (root / name).string(); }
};

struct Item {
    std::string name;
    std::string data;
    std::uint32_t checkSum = 0;
};

// An archive written by the library from an empty container.
void WriteWithLibrary(const std::string& path, const std::vector<Item>& items, bool signature = false)
{
    DMDataFile archive(nullptr);
    archive.AddEntry();
    for (const Item& item : items) {
        DMDataFileEntry* entry = archive.GetEntry(archive.AddEntry());
        entry->SetName(item.name.c_str());
        entry->SetData(item.data.data(), static_cast<unsigned>(item.data.size()));
        entry->SetCheckSum(item.checkSum);
    }
    if (signature)
        archive.SetSignature("SIGNATURE", 9);
    ASSERT_EQ(archive.Save(path.c_str()), 0);
}

Bytes SavedUnchanged(const std::string& archive, const std::string& copy)
{
    DMDataFile file(nullptr);
    EXPECT_EQ(file.Load(archive.c_str()), 0);
    EXPECT_EQ(file.Save(copy.c_str()), 0);
    return ReadFile(copy);
}

// What the directory records say of each entry, with its packed and plain bytes.
struct Stored {
    std::string name;
    std::uint32_t checkSum = 0;
    Bytes packed;
    std::string data;
    bool operator==(const Stored&) const = default;
};

std::vector<Stored> StoredEntries(const std::string& path)
{
    DMDataFile file(nullptr);
    EXPECT_EQ(file.Load(path.c_str()), 0) << path;
    std::vector<Stored> stored;
    for (unsigned i = 0; i < file.GetNumEntries(); ++i) {
        DMDataFileEntry& entry = *file.GetEntry(i);
        Stored s{entry.GetName(), entry.GetCheckSum(), Bytes(entry.GetPackedLength()),
                 std::string(entry.GetLength(), '\0')};
        unsigned size = entry.GetPackedLength();
        EXPECT_EQ(entry.GetPackedData(s.packed.data(), size), 0);
        EXPECT_EQ(entry.GetData(s.data.data()), 0);
        stored.push_back(std::move(s));
    }
    return stored;
}

void Unpacked(const std::string& archive, const fs::path& folder)
{
    const Outcome outcome = Unpack(archive, folder);
    ASSERT_TRUE(outcome.Ok()) << outcome.Message();
}

PackReport Packed(const fs::path& folder, const std::string& archive, PackOptions options = {})
{
    PackReport report;
    const Outcome outcome = Pack(folder, archive, options, report);
    EXPECT_TRUE(outcome.Ok()) << outcome.Message();
    return report;
}

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    WriteFile(path.string(), text);
}

}  // namespace

TEST(Pack, UnpackThenPackGivesExactlyAnUnchangedSaveOfEveryLayout)
{
    Scratch scratch;
    std::string twoBlocks;
    for (int i = 0; i < 8193; ++i)
        twoBlocks += static_cast<char>('a' + i * 7 % 26);
    const auto sample = [&](const std::string& file, const std::vector<SampleEntry>& entries) {
        ASSERT_TRUE(WriteSampleArchive(scratch / file, entries));
    };
    sample("texts.pak", MakeTextEntries());
    sample("images.pak", MakeImageEntries());
    sample("binary.pak", MakeBinaryEntries());
    WriteWithLibrary(scratch / "one.dat", {{"a.txt", "abc"}});
    WriteWithLibrary(scratch / "empty.dat", {});
    WriteWithLibrary(scratch / "mixed.dat", {{"first", "some text", 5}, {"", ""}, {"gap", ""}, {"last", "zzzz"}});
    WriteWithLibrary(scratch / "blocks.dat", {{"long.txt", twoBlocks}, {"short", "x"}});
    WriteWithLibrary(scratch / "signed.dat", {{"readme", "hello"}}, true);
    // Names no file system holds as they are, duplicates, the manifest's own
    // name; written field by field with the directory backwards.
    std::vector<PlainEntry> odd;
    for (const char* name : {"..", "a/../b", "C:\\x", "x\x01y", "caf\xE9", "dup", "dup", "", "tomelens.json",
                             "sub\\deep\\f.txt", "sub/deep/f.txt", "tail/"})
        odd.push_back({name, ToBytes(std::string(name) + " data"), CheckSum(name, 3, 0)});
    MakeArchive(odd, true).WriteTo(scratch / "odd.dat");

    for (const char* archive : {"texts.pak", "images.pak", "binary.pak", "one.dat", "empty.dat", "mixed.dat",
                                "blocks.dat", "signed.dat", "odd.dat"}) {
        SCOPED_TRACE(archive);
        const fs::path folder = scratch.root / (std::string(archive) + ".d");
        Unpacked(scratch / archive, folder);
        std::string problem;
        const auto manifest = ManifestFromJson(ToString(ReadFile((folder / kManifestFileName).string())), problem);
        ASSERT_TRUE(manifest) << problem;
        for (const ManifestEntry& entry : manifest->entries) {
            const Bytes data = ReadFile((folder / entry.file).string());
            EXPECT_EQ(entry.crc32, CheckSum(data.data(), static_cast<unsigned>(data.size()), 0)) << entry.file;
        }
        const PackReport report = Packed(folder, scratch / "packed");
        EXPECT_EQ(ReadFile(scratch / "packed"), SavedUnchanged(scratch / archive, scratch / "saved"));
        EXPECT_EQ(report.kept, StoredEntries(scratch / archive).size());
        EXPECT_EQ(report.changed + report.added + report.removed, 0u);
    }
}

TEST(Pack, EditedFilesChangeOnlyTheirEntriesAndStaleChecksumsAreNamed)
{
    Scratch scratch;
    std::vector<Item> items;
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        const Bytes data = PatternBytes(20000 + name[0], name[0], 6);
        items.push_back({name, ToString(data), CheckSum(data.data(), static_cast<unsigned>(data.size()), 0)});
    }
    items[3].checkSum = 77;  // d's stored value never was its data's
    WriteWithLibrary(scratch / "orig", items);
    const fs::path folder = scratch.root / "d";
    Unpacked(scratch / "orig", folder);

    WriteText(folder / "a", items[0].data);  // touched, same bytes
    const std::string newB = "b is shorter now";
    std::string newD = items[3].data;
    newD[100] ^= 1;  // same length, other bytes
    WriteText(folder / "b", newB);
    WriteText(folder / "d", newD);

    PackReport report = Packed(folder, scratch / "packed");
    EXPECT_EQ(report.kept, 3u);
    EXPECT_EQ(report.changed, 2u);
    ASSERT_EQ(report.disagreeing.size(), 1u);
    EXPECT_EQ(report.disagreeing[0].name, "b");
    EXPECT_EQ(report.disagreeing[0].stored, items[1].checkSum);
    EXPECT_EQ(report.disagreeing[0].ofData, CheckSum(newB.data(), static_cast<unsigned>(newB.size()), 0));

    std::vector<Stored> expected = StoredEntries(scratch / "orig");
    std::vector<Stored> packed = StoredEntries(scratch / "packed");
    ASSERT_EQ(packed.size(), expected.size());
    expected[1].data = newB;
    expected[3].data = newD;
    for (const std::size_t edited : {1, 3}) {
        EXPECT_NE(packed[edited].packed, expected[edited].packed);
        expected[edited].packed = packed[edited].packed;
    }
    EXPECT_EQ(packed, expected);

    WriteText(folder / "new", "fresh");
    report = Packed(folder, scratch / "recrc", {{}, true});
    EXPECT_TRUE(report.disagreeing.empty());
    packed = StoredEntries(scratch / "recrc");
    ASSERT_EQ(packed.size(), 6u);
    EXPECT_EQ(packed[5].checkSum, CheckSum("fresh", 5, 0));
    EXPECT_EQ(packed[1].checkSum, CheckSum(newB.data(), static_cast<unsigned>(newB.size()), 0));
    EXPECT_EQ(packed[3].checkSum, CheckSum(newD.data(), static_cast<unsigned>(newD.size()), 0));
    EXPECT_EQ(packed[0].checkSum, items[0].checkSum);
}

TEST(Pack, FollowsAddedRemovedAndRenamedFiles)
{
    Scratch scratch;
    WriteWithLibrary(scratch / "orig", {{"keep", "k", 1}, {"gone", "g", 2}, {"old name", "o", 3}, {"sub\\x", "x", 4}});
    const fs::path folder = scratch.root / "d";
    Unpacked(scratch / "orig", folder);
    fs::remove(folder / "gone");
    fs::rename(folder / "old name", folder / "new name");
    WriteText(folder / "B.txt", "B");
    WriteText(folder / "a.txt", "a");
    WriteText(folder / "sub" / "y", "y");
    WriteText(folder / "empty", "");

    const PackReport report = Packed(folder, scratch / "packed");
    EXPECT_EQ(report.kept, 2u);
    EXPECT_EQ(report.removed, 2u);
    EXPECT_EQ(report.added, 5u);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const Stored& s : StoredEntries(scratch / "packed"))
        entries.emplace_back(s.name, s.data);
    // Kept entries in their order, then the new files in list order, named with the archive's separator.
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"keep", "k"}, {"sub\\x", "x"}, {"a.txt", "a"}, {"B.txt", "B"}, {"empty", ""}, {"new name", "o"}, {"sub\\y", "y"}};
    EXPECT_EQ(entries, expected);

    // Without a manifest pack is create: every file, in create's name order.
    fs::remove(folder / kManifestFileName);
    entries.clear();
    EXPECT_FALSE(Packed(folder, scratch / "created").usedManifest);
    for (const Stored& s : StoredEntries(scratch / "created"))
        entries.emplace_back(s.name, s.data);
    const std::vector<std::pair<std::string, std::string>> created = {
        {"B.txt", "B"}, {"a.txt", "a"}, {"empty", ""}, {"keep", "k"}, {"new name", "o"}, {"sub/x", "x"}, {"sub/y", "y"}};
    EXPECT_EQ(entries, created);
}

TEST(Pack, RefusesAFolderItCannotFollowAndWritesNothing)
{
    Scratch scratch;
    WriteWithLibrary(scratch / "orig", {{"a", "1"}, {"x:y", "2"}});
    WriteWithLibrary(scratch / "other", {{"a", "1"}});
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
        {"another original", [](const fs::path&) {}, Step::Refused, "/other", {scratch.root / "other", false}},
        {"original gone", [&](const fs::path&) { fs::rename(scratch / "orig", scratch / "moved"); }, Step::Open,
         "/orig", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (fs::exists(scratch / "moved"))
            fs::rename(scratch / "moved", scratch / "orig");
        const fs::path folder = scratch.root / c.what;
        Unpacked(scratch / "orig", folder);
        c.spoil(folder);
        WriteText(scratch.root / "out" / "target", "old");
        PackReport report;
        const Outcome outcome = Pack(folder, scratch.root / "out" / "target", c.options, report);
        EXPECT_EQ(outcome.step, c.step) << outcome.Message();
        EXPECT_TRUE(outcome.subject.ends_with(c.subject)) << outcome.Message();
        EXPECT_EQ(ReadFile((scratch.root / "out" / "target").string()), ToBytes("old"));
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.root / "out"), fs::directory_iterator()), 1);
    }
}

TEST(Unpack, NeedsANewOrEmptyFolder)
{
    Scratch scratch;
    WriteWithLibrary(scratch / "orig", {{"a", "1"}});
    WriteText(scratch.root / "full" / "stray", "x");
    const Outcome outcome = Unpack(scratch / "orig", scratch.root / "full");
    EXPECT_EQ(outcome.step, Step::Refused);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.root / "full"), fs::directory_iterator()), 1);
}

TEST(Pack, OverItsOriginalTheManifestFollowsSoTheLoopGoesOn)
{
    Scratch scratch;
    WriteWithLibrary(scratch / "orig", {{"a", "one"}, {"b", "two"}, {"c", "three"}});
    const fs::path folder = scratch.root / "d";
    Unpacked(scratch / "orig", folder);
    WriteText(folder / "b", "second");
    EXPECT_EQ(Packed(folder, scratch / "orig").changed, 1u);
    WriteText(folder / "c", "third");
    fs::remove(folder / "a");
    WriteText(folder / "n", "new");
    const PackReport report = Packed(folder, scratch / "orig");
    EXPECT_EQ(std::tuple(report.kept, report.changed, report.added, report.removed), std::tuple(1u, 1u, 1u, 1u));
    // Untouched since: nothing to pack, and the same file as the original wherever it goes.
    EXPECT_EQ(Packed(folder, scratch / "copy").kept, 3u);
    EXPECT_EQ(ReadFile(scratch / "copy"), ReadFile(scratch / "orig"));
    std::vector<std::string> names;
    for (const Stored& s : StoredEntries(scratch / "orig"))
        names.push_back(s.name + "=" + s.data);
    EXPECT_EQ(names, (std::vector<std::string>{"b=second", "c=third", "n=new"}));
}
