#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Just enough JSON for the unpack manifest: a reader into a small tree and
// the escaping a writer needs. Numbers are whole numbers only (the manifest
// holds no fractions); text is UTF-8.
namespace tomelens::core::json {

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::int64_t number = 0;
    std::string text;
    std::vector<Value> items;       // an array's items, or an object's member values
    std::vector<std::string> keys;  // an object's member names, one per item

    // The member of an object by key, or null when absent or not an object.
    const Value* Find(std::string_view key) const;
};

// Parses a whole document. On failure returns nullopt with `problem` saying
// where and what ("line 3: expected ','").
std::optional<Value> Parse(std::string_view document, std::string& problem);

// A JSON string literal, quotes included: '"', '\' and control characters
// escaped, every other byte kept.
std::string Quote(std::string_view text);

}  // namespace tomelens::core::json
