#include "template/twml/values.h"

#include "core/text.h"

#include <limits>

namespace tarnwick::tmpl {

bool parse_bool_attr(std::string_view value) {
    return value == "true";
}

std::vector<std::string> split_comma_list(std::string_view value) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = value.find(',', start);
        std::string_view piece = trim(value.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (!piece.empty()) {
            pieces.emplace_back(piece);
        }
        if (comma == std::string_view::npos) {
            return pieces;
        }
        start = comma + 1;
    }
}

std::optional<std::size_t> parse_count(std::string_view value) {
    if (value.starts_with('+')) {
        value.remove_prefix(1);
    }
    if (value.empty()) {
        return std::nullopt;
    }
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    std::size_t result = 0;
    for (char c : value) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        auto digit = static_cast<std::size_t>(c - '0');
        if (result > (kMax - digit) / 10) {
            return std::nullopt;
        }
        result = result * 10 + digit;
    }
    return result;
}

Result<Capability, TwmlError> parse_require_attr(std::string_view value) {
    if (auto capability = parse_capability(value)) {
        return *capability;
    }
    return fail(TwmlError::make(TwmlError::Kind::UnknownCapability, std::string(value)));
}

}  // namespace tarnwick::tmpl
