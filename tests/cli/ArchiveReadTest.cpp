// Runs tomelens-cli list, verify and crc on archives and files made here.
#include "CliTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

unsigned PackedLength(const std::string& data)
{
    return static_cast<unsigned>(testsupport::PackBlocks(testsupport::ToBytes(data)).size());
}

std::string ListLine(const std::string& data, unsigned checkSum, const std::string& name)
{
    char numbers[40];
    std::snprintf(numbers, sizeof numbers, "%10zu %10u %08x ", data.size(), PackedLength(data), checkSum);
    return numbers + name;
}

class ArchiveRead : public ::testing::Test {
protected:
    Folder folder;
    std::string big = std::string(20000, 'x') + "tail";
    std::vector<TextEntry> entries = {{"readme.txt", "hello", 0xDEADBEEF}, {"data\\big.bin", big, 7}, {"z", "last"}};
    std::string path = (folder / "game.pfs").string();

    // The directory lists the records backwards; everything still follows the data.
    void SetUp() override { WriteArchive(path, entries, true); }
};

TEST_F(ArchiveRead, ListPrintsEveryEntryInDataOrderAsTextOrJson)
{
    CliRun run = RunCli({"list", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(Lines(run.out), ElementsAre(ListLine("hello", 0xDEADBEEF, "readme.txt"),
                                            ListLine(big, 7, "data\\big.bin"), ListLine("last", 0, "z")));

    run = RunCli({"list", "--json", path});
    EXPECT_EQ(run.exitCode, 0);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0], "[");
    EXPECT_EQ(lines[1], "  {\"name\": \"readme.txt\", \"length\": 5, \"packedLength\": "
                            + std::to_string(PackedLength("hello")) + ", \"checksum\": \"deadbeef\"},");
    EXPECT_THAT(lines[2], HasSubstr("\"name\": \"data\\\\big.bin\", \"length\": 20004,"));
    EXPECT_THAT(lines[3], testing::EndsWith("\"checksum\": \"00000000\"}"));
    EXPECT_EQ(lines[4], "]");
}

TEST_F(ArchiveRead, ListShowsNamesAsUtf8AndEscapesControls)
{
    WriteArchive(path, {{"say \"hi\"\n\x01", "a"}, {"caf\xE9 \x80", "b"}});
    const CliRun run = RunCli({"list", path, "--json"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("\"name\": \"say \\\"hi\\\"\\n\\u0001\""));
    EXPECT_THAT(run.out, HasSubstr("\"name\": \"caf\xC3\xA9 \xE2\x82\xAC\""));

    // The plain listing keeps every entry on one line.
    const CliRun plain = RunCli({"list", path});
    EXPECT_EQ(Lines(plain.out).size(), 2u);
    EXPECT_THAT(plain.out, HasSubstr("say \"hi\"\\x0A\\x01\n"));
}

TEST_F(ArchiveRead, ListRefusesWhatIsNotAnArchive)
{
    WriteText(folder / "notes.txt", "just some text, long enough");
    const std::string bytes = ArchiveBytes(entries);
    WriteText(folder / "cut.pfs", bytes.substr(0, bytes.size() - 5));  // shorter than its directory says
    const std::string dir = folder.Path();
    for (const auto& [file, problem] : std::vector<std::pair<std::string, std::string>>{
             {dir + "/notes.txt", "is not a valid archive"},
             {dir + "/cut.pfs", "is not a valid archive"},
             {dir + "/missing.pfs", "no such file"},
             {dir, "is a folder"}}) {
        const CliRun run = RunCli({"list", file});
        EXPECT_EQ(run.exitCode, 1) << file;
        EXPECT_EQ(run.out, "") << file;
        EXPECT_THAT(run.err, testing::StartsWith("tomelens-cli: " + file + ": " + problem)) << file;
    }
}

TEST_F(ArchiveRead, VerifyPassesGoodArchivesAndNamesEveryBadEntry)
{
    CliRun run = RunCli({"verify", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, path + ": OK (3 entries)\n");
    EXPECT_EQ(run.err, "");

    const std::string bad = (folder / "bad.pfs").string();
    WriteArchive(bad, {{"fine", "fine data"}, {"broken1", "some data", 0, true}, {"broken2", big, 0, true}});
    const std::string junk = (folder / "junk.bin").string();
    WriteText(junk, "0123456789abcdef");
    // Claim a length of 4 GiB - 1 for a 5-byte entry: refused without trying
    // to reserve that much memory. The last record is readme.txt's.
    const std::string forged = (folder / "forged.pfs").string();
    std::string bytes = ArchiveBytes(entries, true);
    bytes.replace(bytes.size() - 4, 4, "\xFF\xFF\xFF\xFF");
    WriteText(forged, bytes);

    run = RunCli({"verify", bad, path, junk, forged});
    EXPECT_EQ(run.exitCode, 1);
    // The good archive is still reported, between the bad ones.
    EXPECT_EQ(run.out, path + ": OK (3 entries)\n");
    EXPECT_THAT(Lines(run.err),
                ElementsAre("tomelens-cli: " + bad + ": 2 of 3 entries fail: entry \"broken1\": packed data is "
                                                     "corrupt; entry \"broken2\": packed data is corrupt",
                            "tomelens-cli: " + junk + ": is not a valid archive",
                            "tomelens-cli: " + forged + ": 1 of 3 entries fail: entry \"readme.txt\": packed "
                                                        "data is corrupt"));
}

// A bit-by-bit CRC-32, independent of the program's table-driven one.
unsigned ReferenceCrc(const std::string& data)
{
    unsigned crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

TEST(CrcCommand, PrintsTheChecksumOfEachFileAndReportsTheMissing)
{
    ASSERT_EQ(ReferenceCrc("123456789"), 0xCBF43926u);  // the published check value
    Folder folder;
    std::string large;  // 200000 bytes cross several 64 KiB reads
    for (int i = 0; i < 200000; ++i)
        large += static_cast<char>((i * 7) & 0xFF);
    std::vector<std::string> args = {"crc"};
    std::string expected;
    for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
             {"abc", "abc"}, {"empty", ""}, {"large", large}}) {
        WriteText(folder / name, data);
        args.push_back(name);
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", ReferenceCrc(data));
        expected += hex + ("  " + name + "\n");
    }
    args.insert(args.begin() + 2, "missing");
    const CliRun run = RunCli(args, folder.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "tomelens-cli: missing: no such file\n");
}

}  // namespace
