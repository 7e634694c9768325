// Build-time tool: reads the readable skill table (SkillTable.txt), packs its
// records into the blob the library embeds (a little-endian length word, then
// the 140-byte records as one zlib stream at level 9) and writes the blob as
// a C++ source file, plus the raw blob for looking at by hand.
//
//   tomelens_pack_skills <SkillTable.txt> <out.cpp> <out.bin>
//
// Any malformed line stops the build with the file name and line number.

#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kRecordSize = 140;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kTableSize = 30;

struct Record {
    std::map<std::string, std::string> fields;
    int line = 0;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what)
{
    std::cerr << where << ": error: " << what << '\n';
    std::exit(1);
}

// Reads whitespace-separated unsigned numbers, each at most max.
std::vector<std::uint32_t> Numbers(const std::string& text, std::uint32_t max, const std::string& where)
{
    std::vector<std::uint32_t> values;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        char* end = nullptr;
        errno = 0;
        unsigned long long value = std::strtoull(word.c_str(), &end, 10);
        if (*end != '\0' || word[0] == '-' || errno != 0 || value > max)
            Fail(where, "\"" + word + "\" is not a number from 0 to " + std::to_string(max));
        values.push_back(static_cast<std::uint32_t>(value));
    }
    return values;
}

std::vector<std::uint32_t> Exactly(const Record& r, const std::string& key, std::size_t count,
                                   std::uint32_t max, const std::string& file)
{
    const std::string where = file + ":" + std::to_string(r.line);
    std::vector<std::uint32_t> values = Numbers(r.fields.at(key), max, where);
    if (values.size() != count)
        Fail(where, key + " needs " + std::to_string(count) + " values, has " + std::to_string(values.size()));
    return values;
}

void PutLE(std::vector<unsigned char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void Encode(const Record& r, const std::string& file, std::vector<unsigned char>& out)
{
    const std::string where = file + ":" + std::to_string(r.line);
    const std::string& name = r.fields.at("name");
    if (name.empty() || name.size() >= kNameSize)
        Fail(where, "a name needs 1 to " + std::to_string(kNameSize - 1) + " characters");
    std::size_t start = out.size();
    out.insert(out.end(), name.begin(), name.end());
    out.resize(start + kNameSize, 0);

    PutLE(out, Exactly(r, "value", 1, UINT32_MAX, file)[0], 4);
    for (std::uint32_t b : Exactly(r, "flags", 4, 255, file))
        PutLE(out, b, 1);
    for (const char* key : {"tableA", "tableB", "tableC"})
        for (std::uint32_t b : Exactly(r, key, kTableSize, 255, file))
            PutLE(out, b, 1);
    for (std::uint32_t w : Exactly(r, "words", 3, 65535, file))
        PutLE(out, w, 2);

    const std::string& real = r.fields.at("fvalue");
    char* end = nullptr;
    float value = std::strtof(real.c_str(), &end);
    if (real.empty() || *end != '\0')
        Fail(where, "\"" + real + "\" is not a real number");
    std::uint32_t bits;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    PutLE(out, bits, 4);

    if (out.size() - start != kRecordSize)
        Fail(where, "record is not 140 bytes");
}

std::vector<Record> Parse(const std::string& file)
{
    std::ifstream in(file);
    if (!in)
        Fail(file, "cannot open");
    static const char* const kKeys[] = {"name", "value", "flags", "tableA", "tableB", "tableC", "words", "fvalue"};
    std::vector<Record> records;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::string where = file + ":" + std::to_string(number);
        const std::size_t blank = line.find(' ');
        const std::string key = line.substr(0, blank);
        const std::string value = blank == std::string::npos ? std::string() : line.substr(blank + 1);
        if (key == "skill") {
            if (Numbers(value, 1000, where) != std::vector<std::uint32_t>{static_cast<std::uint32_t>(records.size())})
                Fail(where, "expected \"skill " + std::to_string(records.size()) + "\"");
            records.push_back(Record{{}, number});
            continue;
        }
        bool known = false;
        for (const char* k : kKeys)
            known = known || key == k;
        if (!known)
            Fail(where, "unknown field \"" + key + "\"");
        if (records.empty())
            Fail(where, "field before the first \"skill\" line");
        if (!records.back().fields.emplace(key, value).second)
            Fail(where, "field \"" + key + "\" given twice");
    }
    for (const Record& r : records)
        for (const char* k : kKeys)
            if (!r.fields.count(k))
                Fail(file + ":" + std::to_string(r.line), std::string("record lacks \"") + k + "\"");
    if (records.empty())
        Fail(file, "no records");
    return records;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: " << argv[0] << " <SkillTable.txt> <out.cpp> <out.bin>\n";
        return 2;
    }
    const std::vector<Record> records = Parse(argv[1]);
    std::vector<unsigned char> raw;
    for (const Record& r : records)
        Encode(r, argv[1], raw);

    uLongf packedSize = compressBound(raw.size());
    std::vector<unsigned char> blob(4 + packedSize);
    if (compress2(blob.data() + 4, &packedSize, raw.data(), raw.size(), 9) != Z_OK)
        Fail(argv[1], "zlib could not compress the records");
    blob.resize(4 + packedSize);
    for (int i = 0; i < 4; ++i)
        blob[i] = static_cast<unsigned char>(raw.size() >> (8 * i));

    std::ofstream bin(argv[3], std::ios::binary);
    bin.write(reinterpret_cast<const char*>(blob.data()), static_cast<std::streamsize>(blob.size()));
    std::ofstream cpp(argv[2]);
    cpp << "// Generated by tomelens_pack_skills from SkillTable.txt; do not edit.\n"
           "#include <cstddef>\n\n"
           "namespace tomelens::resources {\n"
           "extern const unsigned char kSkillTableBlob[];\n"
           "extern const std::size_t kSkillTableBlobSize;\n\n"
           "const unsigned char kSkillTableBlob[] = {";
    for (std::size_t i = 0; i < blob.size(); ++i)
        cpp << (i % 16 == 0 ? "\n   " : "") << ' ' << static_cast<unsigned>(blob[i]) << ',';
    cpp << "\n};\nconst std::size_t kSkillTableBlobSize = sizeof kSkillTableBlob;\n"
           "} // namespace tomelens::resources\n";
    bin.close();
    cpp.close();
    if (!bin || !cpp)
        Fail(argv[2], "cannot write the output files");
    return 0;
}
