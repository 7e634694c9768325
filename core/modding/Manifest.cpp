#include "modding/Manifest.h"

#include "EntryNameCodec.h"
#include "modding/Json.h"

#include <cstdio>
#include <limits>

namespace tomelens::core {

namespace {

std::string Hex(std::string_view bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        out += kDigits[static_cast<unsigned char>(c) >> 4];
        out += kDigits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::string Word(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

// Reads the fields of one object, remembering the first problem.
class Fields {
public:
    Fields(const json::Value& object, std::string where, std::string& problem)
        : m_object(object), m_where(std::move(where)), m_problem(problem)
    {
    }

    const json::Value* Get(const char* key, json::Value::Kind kind)
    {
        const json::Value* value = m_object.Find(key);
        if (!value || value->kind != kind) {
            Fail(key, value ? "has the wrong kind of value" : "is missing");
            return nullptr;
        }
        return value;
    }

    std::string Text(const char* key)
    {
        const json::Value* value = Get(key, json::Value::Kind::String);
        return value ? value->text : std::string();
    }

    std::string HexBytes(const char* key)
    {
        const std::string text = Text(key);
        const auto bytes = FromHex(text);
        if (!bytes)
            Fail(key, "is not hex");
        return bytes.value_or("");
    }

    std::int64_t Number(const char* key, std::int64_t min, std::int64_t max)
    {
        const json::Value* value = Get(key, json::Value::Kind::Number);
        if (value && (value->number < min || value->number > max))
            Fail(key, "is out of range");
        return value ? value->number : 0;
    }

    std::uint32_t Word32(const char* key) { return static_cast<std::uint32_t>(Number(key, 0, 0xFFFFFFFFll)); }

    std::uint32_t HexWord(const char* key)
    {
        const std::string bytes = HexBytes(key);
        if (bytes.size() != 4 && m_problem.empty())
            Fail(key, "is not 8 hex digits");
        std::uint32_t value = 0;
        for (const char c : bytes)
            value = value << 8 | static_cast<unsigned char>(c);
        return value;
    }

    bool Ok() const { return m_problem.empty(); }

private:
    void Fail(const char* key, const char* what)
    {
        if (m_problem.empty())
            m_problem = m_where + "\"" + key + "\" " + what;
    }

    const json::Value& m_object;
    std::string m_where;
    std::string& m_problem;
};

// A hand-edited or foreign manifest must not make pack read files outside
// its folder: parts separated by '/', none empty, "." or "..", and no
// backslash or drive colon that another system would take as structure.
bool IsPlainRelativePath(std::string_view path)
{
    if (path.empty() || path.find_first_of("\\:") != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

constexpr std::int64_t kMaxInt64 = std::numeric_limits<std::int64_t>::max();

}  // namespace

std::string ManifestToJson(const Manifest& manifest)
{
    std::string out = "{\n";
    out += "  \"format\": \"tomelens-unpack\",\n";
    out += "  \"version\": " + std::to_string(kManifestVersion) + ",\n";
    out += "  \"archive\": " + json::Quote(manifest.archive) + ",\n";
    out += "  \"archiveSize\": " + std::to_string(manifest.archiveSize) + ",\n";
    out += "  \"archiveModified\": " + std::to_string(manifest.archiveModifiedNs) + ",\n";
    out += "  \"signature\": \"" + Hex(manifest.signature) + "\",\n";
    out += "  \"entries\": [";
    for (std::size_t i = 0; i < manifest.entries.size(); ++i) {
        const ManifestEntry& e = manifest.entries[i];
        out += i ? ",\n" : "\n";
        out += "    {\"name\": \"" + Hex(e.name) + "\", \"text\": " + json::Quote(EntryNameToUtf8(e.name)) +
               ", \"file\": " + json::Quote(e.file) + ", \"length\": " + std::to_string(e.length) +
               ", \"checksum\": \"" + Word(e.checkSum) + "\", \"crc32\": \"" + Word(e.crc32) +
               "\", \"offset\": " + std::to_string(e.offset) + ", \"packedLength\": " +
               std::to_string(e.packedLength) + ", \"index\": " + std::to_string(e.index) +
               ", \"size\": " + std::to_string(e.size) + ", \"modified\": " + std::to_string(e.modifiedNs) + "}";
    }
    out += manifest.entries.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::optional<Manifest> ManifestFromJson(const std::string& document, std::string& problem)
{
    problem.clear();
    const auto root = json::Parse(document, problem);
    if (!root)
        return std::nullopt;
    if (root->kind != json::Value::Kind::Object) {
        problem = "not a JSON object";
        return std::nullopt;
    }
    Fields top(*root, "", problem);
    if (top.Text("format") != "tomelens-unpack" && top.Ok())
        problem = "not an unpack manifest";
    const std::int64_t version = top.Number("version", 0, kMaxInt64);
    if (top.Ok() && version != kManifestVersion)
        problem = "manifest version " + std::to_string(version) + " is not supported (this program reads version " +
                  std::to_string(kManifestVersion) + ")";
    Manifest manifest;
    manifest.archive = top.Text("archive");
    manifest.archiveSize = static_cast<std::uint64_t>(top.Number("archiveSize", 0, kMaxInt64));
    manifest.archiveModifiedNs = top.Number("archiveModified", -kMaxInt64, kMaxInt64);
    manifest.signature = top.HexBytes("signature");
    const json::Value* entries = top.Get("entries", json::Value::Kind::Array);
    if (!top.Ok())
        return std::nullopt;
    for (std::size_t i = 0; i < entries->items.size(); ++i) {
        const json::Value& item = entries->items[i];
        const std::string where = "entry " + std::to_string(i + 1) + ": ";
        if (item.kind != json::Value::Kind::Object) {
            problem = where + "not an object";
            return std::nullopt;
        }
        Fields fields(item, where, problem);
        ManifestEntry entry;
        entry.name = fields.HexBytes("name");
        entry.file = fields.Text("file");
        entry.length = fields.Word32("length");
        entry.checkSum = fields.HexWord("checksum");
        entry.crc32 = fields.HexWord("crc32");
        entry.offset = fields.Word32("offset");
        entry.packedLength = fields.Word32("packedLength");
        entry.index = fields.Word32("index");
        entry.size = static_cast<std::uint64_t>(fields.Number("size", 0, kMaxInt64));
        entry.modifiedNs = fields.Number("modified", -kMaxInt64, kMaxInt64);
        if (entry.name.find('\0') != std::string::npos && problem.empty())
            problem = where + "\"name\" holds a NUL byte";
        if (!IsPlainRelativePath(entry.file) && problem.empty())
            problem = where + "\"file\" is not a plain relative path inside the folder";
        if (!fields.Ok() || !problem.empty())
            return std::nullopt;
        manifest.entries.push_back(std::move(entry));
    }
    return manifest;
}

}  // namespace tomelens::core
