#pragma once
// A value bound to a data key for one page view, and its display text.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace tarnwick::tmpl {

struct BindingValue {
    struct Empty {
        bool operator==(const Empty&) const = default;
    };
    struct Text {
        std::string text;
        bool operator==(const Text&) const = default;
    };
    // Shown masked. The text is wiped when the value goes.
    struct Secret {
        std::string text;
        Secret() = default;
        explicit Secret(std::string t) : text(std::move(t)) {}
        Secret(const Secret&) = default;
        Secret& operator=(const Secret&) = default;
        ~Secret();
        bool operator==(const Secret&) const = default;
    };

    std::variant<Empty, Text, Secret, bool, std::int64_t> value;

    static BindingValue empty() { return {Empty{}}; }
    static BindingValue text(std::string t) { return {Text{std::move(t)}}; }
    static BindingValue secret(std::string t) { return {Secret{std::move(t)}}; }
    static BindingValue boolean(bool b) { return {b}; }
    static BindingValue integer(std::int64_t i) { return {i}; }

    bool operator==(const BindingValue&) const = default;
};

// Empty: ""; Text: itself; Secret: one "*" per character, at most 32; Bool:
// "yes"/"no"; Int: decimal digits with a leading "-" when negative.
std::string format_binding_value(const BindingValue& value);

// Empty for an empty text, else Text.
BindingValue text_or_empty_binding(std::string_view text);

// Text, also when empty.
BindingValue text_binding(std::string_view text);

}  // namespace tarnwick::tmpl
