#pragma once
// The value syntax of TWML attributes: booleans, comma lists, counts and
// capability names.

#include "core/capability.h"
#include "core/result.h"
#include "template/twml/error.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tmpl {

// True only for exactly "true".
bool parse_bool_attr(std::string_view value);

// Split at ",", pieces trimmed of Unicode white space, empty pieces dropped.
std::vector<std::string> split_comma_list(std::string_view value);

// An optional "+" and decimal digits that fit a size_t; anything else is none.
std::optional<std::size_t> parse_count(std::string_view value);

// A "require" value: a capability name, else UnknownCapability.
Result<Capability, TwmlError> parse_require_attr(std::string_view value);

}  // namespace tarnwick::tmpl
