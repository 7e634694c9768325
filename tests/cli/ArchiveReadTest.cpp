// Runs tomelens-cli list, verify and crc on archives and files made here.
#include "CliRunner.h"
#include "TestArchive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::string ListLine(unsigned length, unsigned packed, unsigned checkSum, const std::string& name)
{
    char numbers[40];
    std::snprintf(numbers, sizeof numbers, "%10u %10u %08x ", length, packed, checkSum);
    return numbers + name + "\n";
}

// Every line of text, each with its line end removed.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

class ArchiveReadTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string big = std::string(20000, 'x') + "tail";
    TestArchive archive{{{"readme.txt", "hello", 0xDEADBEEF},
                         {"data\\big.bin", big, 7},
                         {"z", "last", 0}},
                        true};
    std::string path = (folder / "game.pfs").string();

    void SetUp() override { archive.WriteTo(path); }
};

TEST_F(ArchiveReadTest, ListPrintsEveryEntryInDataOrderWithItsNumbers)
{
    const CliRun run = RunCli({"list", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    // The directory lists the records backwards; the listing still follows the data.
    EXPECT_EQ(run.out, ListLine(5, TestArchive::PackedLength("hello"), 0xDEADBEEF, "readme.txt")
                           + ListLine(20004, TestArchive::PackedLength(big), 7, "data\\big.bin")
                           + ListLine(4, TestArchive::PackedLength("last"), 0, "z"));
}

TEST_F(ArchiveReadTest, ListJsonIsAnArrayOfObjects)
{
    const CliRun run = RunCli({"list", "--json", path});
    EXPECT_EQ(run.exitCode, 0);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0], "[");
    EXPECT_EQ(lines[1], "  {\"name\": \"readme.txt\", \"length\": 5, \"packedLength\": "
                            + std::to_string(TestArchive::PackedLength("hello")) + ", \"checksum\": \"deadbeef\"},");
    EXPECT_THAT(lines[2], HasSubstr("\"name\": \"data\\\\big.bin\", \"length\": 20004,"));
    EXPECT_THAT(lines[3], HasSubstr("\"checksum\": \"00000000\"}"));
    EXPECT_EQ(lines[3].back(), '}');
    EXPECT_EQ(lines[4], "]");
}

TEST_F(ArchiveReadTest, ListJsonEscapesQuotesControlsAndHighBytes)
{
    TestArchive odd{{{"say \"hi\"\n\x01", "a"}, {"caf\xE9", "b"}}};
    odd.WriteTo(path);
    const CliRun run = RunCli({"list", path, "--json"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("\"name\": \"say \\\"hi\\\"\\n\\u0001\""));
    EXPECT_THAT(run.out, HasSubstr("\"name\": \"caf\\u00e9\""));
    for (char c : run.out)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "the JSON output must be plain ASCII";

    // The plain listing keeps every entry on one line.
    const CliRun plain = RunCli({"list", path});
    EXPECT_EQ(Lines(plain.out).size(), 2u);
    EXPECT_THAT(plain.out, HasSubstr("say \"hi\"\\x0A\\x01\n"));
}

TEST_F(ArchiveReadTest, ListRefusesWhatIsNotAnArchive)
{
    WriteBytes(folder / "notes.txt", "just some text, long enough");
    CliRun run = RunCli({"list", (folder / "notes.txt").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tomelens-cli: " + (folder / "notes.txt").string() + ": is not a valid archive\n");

    run = RunCli({"list", (folder / "missing.pfs").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tomelens-cli: " + (folder / "missing.pfs").string() + ": no such file\n");

    run = RunCli({"list", folder.Path().string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("is a folder"));

    // A cut-off archive: its length no longer matches its directory.
    const std::string bytes = archive.Bytes();
    WriteBytes(path, bytes.substr(0, bytes.size() - 5));
    run = RunCli({"list", path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr(path + ": is not a valid archive"));
}

TEST_F(ArchiveReadTest, VerifyPassesGoodArchivesAndNamesEveryBadEntry)
{
    CliRun run = RunCli({"verify", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, path + ": OK (3 entries)\n");
    EXPECT_EQ(run.err, "");

    const std::string bad = (folder / "bad.pfs").string();
    TestArchive{{{"fine", "fine data"}, {"broken1", "some data", 0, true}, {"broken2", big, 0, true}}}
        .WriteTo(bad);
    const std::string junk = (folder / "junk.bin").string();
    WriteBytes(junk, "0123456789abcdef");

    run = RunCli({"verify", bad, path, junk});
    EXPECT_EQ(run.exitCode, 1);
    // The good archive is still reported, between the two bad ones.
    EXPECT_EQ(run.out, path + ": OK (3 entries)\n");
    const auto errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_EQ(errors[0], "tomelens-cli: " + bad + ": 2 of 3 entries fail: entry \"broken1\": packed data is "
                                                  "corrupt; entry \"broken2\": packed data is corrupt");
    EXPECT_EQ(errors[1], "tomelens-cli: " + junk + ": is not a valid archive");
}

TEST_F(ArchiveReadTest, VerifyRefusesAnEntryLongerThanItsPackedBytesCouldHold)
{
    // Claim a length of 4 GiB - 1 for a 5-byte entry: refused without trying
    // to reserve that much memory.
    std::string bytes = archive.Bytes();
    // Records are reversed, so the last one is readme.txt's; its length word is at +8.
    const std::size_t lastRecord = bytes.size() - 12;
    for (int i = 0; i < 4; ++i)
        bytes[lastRecord + 8 + i] = '\xFF';
    WriteBytes(path, bytes);
    const CliRun run = RunCli({"verify", path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("entry \"readme.txt\": packed data is corrupt"));
}

TEST(CrcCommand, PrintsTheChecksumOfEachFile)
{
    TempFolder folder;
    WriteBytes(folder / "abc", "abc");
    WriteBytes(folder / "digits", "123456789");
    WriteBytes(folder / "empty", "");
    const CliRun run = RunCli({"crc", "abc", "missing", "digits", "empty"}, folder.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "352441c2  abc\ncbf43926  digits\n00000000  empty\n");
    EXPECT_EQ(run.err, "tomelens-cli: missing: no such file\n");
}

TEST(CrcCommand, ChecksumsFilesLargerThanOneReadBuffer)
{
    TempFolder folder;
    // 200000 bytes cross several 64 KiB reads; the value must continue across them.
    std::string data;
    for (int i = 0; i < 200000; ++i)
        data += static_cast<char>((i * 7) & 0xFF);
    WriteBytes(folder / "large", data);
    const CliRun whole = RunCli({"crc", "large"}, folder.Path());
    ASSERT_EQ(whole.exitCode, 0);

    // The reference: a bit-by-bit CRC-32 computed here.
    unsigned crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    char expected[9];
    std::snprintf(expected, sizeof expected, "%08x", ~crc);
    EXPECT_EQ(whole.out, std::string(expected) + "  large\n");
}

}  // namespace
