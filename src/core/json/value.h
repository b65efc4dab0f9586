#pragma once
// A JSON value tree that remembers where every value and key sits in the
// source text, so readers can report errors with line and column and can see
// what a plain DOM hides: every duplicate key, integers apart from floats.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::json {

enum class Kind {
    Null,
    Bool,
    Uint,   // a JSON integer >= 0 that fits 64 bits unsigned
    Int,    // a negative JSON integer that fits 64 bits signed
    Float,  // any other number (fraction, exponent, -0, out of integer range)
    String,
    Array,
    Object,
};

struct Member;

struct Value {
    Kind kind = Kind::Null;
    bool boolean = false;
    std::uint64_t uint_value = 0;
    std::int64_t int_value = 0;
    double float_value = 0.0;
    std::string string;           // escapes decoded; valid UTF-8, may hold NUL
    std::vector<Value> items;     // Array
    std::vector<Member> members;  // Object: document order, duplicates kept

    // Byte offsets in the source text: the value's first byte and one past
    // its last byte (the closing quote, bracket or brace included).
    std::size_t start = 0;
    std::size_t end = 0;

    bool is_null() const { return kind == Kind::Null; }
    bool is_string() const { return kind == Kind::String; }
    bool is_array() const { return kind == Kind::Array; }
    bool is_object() const { return kind == Kind::Object; }

    // The last member named `key` (a later duplicate replaces an earlier one),
    // or nullptr.
    const Value* find(std::string_view key) const;
};

struct Member {
    std::string key;
    std::size_t key_start = 0;  // offset of the opening quote
    std::size_t key_end = 0;    // one past the closing quote
    Value value;
};

}  // namespace tarnwick::json
