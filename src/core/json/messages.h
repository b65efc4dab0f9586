#pragma once
// serde-style pieces of typed-reading error messages.

#include "core/json/value.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tarnwick::json {

// How a found value is named: "null", "boolean `true`", "integer `5`",
// "floating point `1.5`", "string \"x\"", "sequence", "map".
std::string describe_found(const Value& value);

std::string describe_integer(std::uint64_t value);
std::string describe_integer(std::int64_t value);
std::string describe_float(double value);
std::string describe_string(std::string_view text);

// Shortest text that reads back as the same double, never in exponent form,
// with ".0" added to a whole number ("1.0", "0.5", "100000000000000000000.0").
std::string format_float(double value);

// A string quoted with double quotes and backslash escapes.
std::string quote_string(std::string_view text);

// "`a`" for one name, "one of `a`, `b`, `c`" for several.
std::string one_of(std::initializer_list<std::string_view> names);

std::string invalid_type(std::string_view found, std::string_view expected);
std::string invalid_value(std::string_view found, std::string_view expected);
std::string invalid_length(std::size_t length, std::string_view expected);
// "unknown variant `{}`, expected {one_of(variants)}"
std::string unknown_variant(std::string_view name,
                            std::initializer_list<std::string_view> variants);
std::string missing_field(std::string_view name);
std::string duplicate_field(std::string_view name);

}  // namespace tarnwick::json
