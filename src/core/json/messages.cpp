#include "core/json/messages.h"

#include "core/text.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <string>

namespace tarnwick::json {

std::string format_float(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    // Shortest round-trip digits, then written out in plain decimal form.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e_pos = sci.find('e');
    std::string digits;
    bool negative = false;
    for (char c : sci.substr(0, e_pos)) {
        if (c == '-')
            negative = true;
        else if (c != '.')
            digits += c;
    }
    const int exponent = std::stoi(std::string(sci.substr(e_pos + 1)));
    // The decimal point goes after digit number (exponent + 1).
    const long point = static_cast<long>(exponent) + 1;
    std::string out = negative ? "-" : "";
    if (point <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (static_cast<std::size_t>(point) >= digits.size()) {
        out += digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0') + ".0";
    } else {
        out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
               digits.substr(static_cast<std::size_t>(point));
    }
    return out;
}

std::string quote_string(std::string_view text) {
    std::string out = "\"";
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = pos;
        const auto cp = next_code_point(text, next);
        if (!cp) {  // not expected in parsed JSON; keep the byte visible
            out += kReplacementChar;
            ++pos;
            continue;
        }
        switch (*cp) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case 0:
                out += "\\0";
                break;
            default:
                if (*cp < 0x20 || *cp == 0x7F) {
                    out += fmt::format("\\u{{{:x}}}", static_cast<unsigned>(*cp));
                } else {
                    out.append(text.substr(pos, next - pos));
                }
        }
        pos = next;
    }
    out += '"';
    return out;
}

std::string describe_integer(std::uint64_t value) {
    return fmt::format("integer `{}`", value);
}
std::string describe_integer(std::int64_t value) {
    return fmt::format("integer `{}`", value);
}
std::string describe_float(double value) {
    return fmt::format("floating point `{}`", format_float(value));
}
std::string describe_string(std::string_view text) {
    return "string " + quote_string(text);
}

std::string describe_found(const Value& value) {
    switch (value.kind) {
        case Kind::Null:
            return "null";
        case Kind::Bool:
            return fmt::format("boolean `{}`", value.boolean);
        case Kind::Uint:
            return describe_integer(value.uint_value);
        case Kind::Int:
            return describe_integer(value.int_value);
        case Kind::Float:
            return describe_float(value.float_value);
        case Kind::String:
            return describe_string(value.string);
        case Kind::Array:
            return "sequence";
        case Kind::Object:
            return "map";
    }
    return "null";
}

std::string one_of(std::initializer_list<std::string_view> names) {
    if (names.size() == 1) return fmt::format("`{}`", *names.begin());
    std::string out = "one of ";
    bool first = true;
    for (std::string_view name : names) {
        if (!first) out += ", ";
        first = false;
        out += fmt::format("`{}`", name);
    }
    return out;
}

std::string invalid_type(std::string_view found, std::string_view expected) {
    return fmt::format("invalid type: {}, expected {}", found, expected);
}

std::string invalid_value(std::string_view found, std::string_view expected) {
    return fmt::format("invalid value: {}, expected {}", found, expected);
}

std::string invalid_length(std::size_t length, std::string_view expected) {
    return fmt::format("invalid length {}, expected {}", length, expected);
}

std::string unknown_variant(std::string_view name,
                            std::initializer_list<std::string_view> variants) {
    if (variants.size() == 0)
        return fmt::format("unknown variant `{}`, there are no variants", name);
    return fmt::format("unknown variant `{}`, expected {}", name, one_of(variants));
}

std::string missing_field(std::string_view name) {
    return fmt::format("missing field `{}`", name);
}

std::string duplicate_field(std::string_view name) {
    return fmt::format("duplicate field `{}`", name);
}

}  // namespace tarnwick::json
