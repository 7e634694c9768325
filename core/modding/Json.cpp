#include "modding/Json.h"

#include "EntryNameCodec.h"

#include <limits>

namespace tomelens::core::json {

namespace {

// Nesting deeper than this is refused, so a hostile file cannot exhaust the stack.
constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<Value> Document(std::string& problem)
    {
        Value value;
        if (ParseValue(value, 0)) {
            SkipBlanks();
            if (m_at == m_text.size())
                return value;
            Fail("unexpected text after the end");
        }
        problem = m_problem;
        return std::nullopt;
    }

private:
    bool Fail(const std::string& what)
    {
        if (m_problem.empty()) {
            std::size_t line = 1;
            for (std::size_t i = 0; i < m_at && i < m_text.size(); ++i)
                line += m_text[i] == '\n';
            m_problem = "line " + std::to_string(line) + ": " + what;
        }
        return false;
    }

    void SkipBlanks()
    {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    bool Word(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    bool ParseValue(Value& value, int depth)
    {
        if (depth > kMaxDepth)
            return Fail("nested too deeply");
        SkipBlanks();
        if (m_at >= m_text.size())
            return Fail("unexpected end");
        const char c = m_text[m_at];
        if (c == '{')
            return ParseObject(value, depth);
        if (c == '[')
            return ParseArray(value, depth);
        if (c == '"') {
            value.kind = Value::Kind::String;
            return ParseString(value.text);
        }
        if (c == '-' || (c >= '0' && c <= '9'))
            return ParseNumber(value);
        if (Word("true") || Word("false")) {
            value.kind = Value::Kind::Bool;
            value.boolean = c == 't';
            return true;
        }
        if (Word("null"))
            return true;
        return Fail("expected a value");
    }

    bool ParseObject(Value& value, int depth)
    {
        value.kind = Value::Kind::Object;
        ++m_at;
        if (Take('}'))
            return true;
        do {
            SkipBlanks();
            std::string key;
            if (m_at >= m_text.size() || m_text[m_at] != '"')
                return Fail("expected a key");
            if (!ParseString(key))
                return false;
            if (!Take(':'))
                return Fail("expected ':'");
            Value member;
            if (!ParseValue(member, depth + 1))
                return false;
            value.keys.push_back(std::move(key));
            value.items.push_back(std::move(member));
        } while (Take(','));
        return Take('}') || Fail("expected ',' or '}'");
    }

    bool ParseArray(Value& value, int depth)
    {
        value.kind = Value::Kind::Array;
        ++m_at;
        if (Take(']'))
            return true;
        do {
            Value item;
            if (!ParseValue(item, depth + 1))
                return false;
            value.items.push_back(std::move(item));
        } while (Take(','));
        return Take(']') || Fail("expected ',' or ']'");
    }

    bool ParseNumber(Value& value)
    {
        value.kind = Value::Kind::Number;
        const bool negative = m_text[m_at] == '-';
        m_at += negative;
        const std::size_t start = m_at;
        std::uint64_t magnitude = 0;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            const unsigned digit = static_cast<unsigned>(m_text[m_at] - '0');
            if (magnitude > (std::uint64_t(std::numeric_limits<std::int64_t>::max()) - digit) / 10)
                return Fail("number too large");
            magnitude = magnitude * 10 + digit;
            ++m_at;
        }
        if (m_at == start)
            return Fail("expected digits");
        if (m_at < m_text.size() && (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E'))
            return Fail("expected a whole number");
        value.number = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
        return true;
    }

    bool Hex4(unsigned& code)
    {
        if (m_at + 4 > m_text.size())
            return Fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return Fail("bad \\u escape");
            code = code * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }

    bool ParseString(std::string& out)
    {
        ++m_at;  // the opening quote
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return Fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                break;
            const char e = m_text[m_at++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                unsigned code = 0;
                if (!Hex4(code))
                    return false;
                char32_t c32 = code;
                if (code >= 0xD800 && code < 0xDC00) {
                    unsigned low = 0;
                    if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000)
                        return Fail("lone surrogate in \\u escape");
                    c32 = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code < 0xE000) {
                    return Fail("lone surrogate in \\u escape");
                }
                AppendUtf8(out, c32);
                break;
            }
            default:
                return Fail("bad escape");
            }
        }
        return Fail("unterminated string");
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_problem;
};

}  // namespace

const Value* Value::Find(std::string_view key) const
{
    if (kind != Kind::Object)
        return nullptr;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key)
            return &items[i];
    }
    return nullptr;
}

std::optional<Value> Parse(std::string_view document, std::string& problem)
{
    return Parser(document).Document(problem);
}

std::string Quote(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace tomelens::core::json
