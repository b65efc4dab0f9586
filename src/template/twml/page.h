#pragma once
// The page model of a loaded TWML page. Everything the loader accepts is kept,
// including attributes that no screen interprets yet (sizes, badges, logs).

#include "core/capability.h"

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tarnwick::tmpl {

inline constexpr std::size_t MAX_TWML_DEPTH = 16;

struct TwmlField {
    std::string id;
    std::string type = "text";  // a FieldType name, as written
    std::optional<std::string> label_key;
    std::optional<std::string> bind;
    std::optional<std::vector<std::string>> choices;
    std::optional<std::size_t> max_length;
    std::optional<std::string> label_width;
    std::optional<std::string> field_width;
    bool readonly = false;
    bool secret = false;  // always true for type "password"
    std::optional<Capability> require;

    bool operator==(const TwmlField&) const = default;
};

struct TwmlNode {
    struct Header {
        std::string height = "1";
        std::optional<std::string> brand_key;
        bool mode_badge = false;
        bool operator==(const Header&) const = default;
    };
    struct Footer {
        std::string height = "3";
        std::optional<std::string> help_key;
        std::optional<std::string> status_bind;
        bool operator==(const Footer&) const = default;
    };
    struct Main {
        std::vector<TwmlNode> children;
        bool operator==(const Main&) const = default;
    };
    struct Section {
        std::string title_key;
        std::vector<TwmlNode> children;
        bool operator==(const Section&) const = default;
    };
    using Field = TwmlField;
    struct Text {
        std::string text;
        std::optional<std::string> key;
        bool operator==(const Text&) const = default;
    };
    struct Log {
        std::optional<std::string> bind;
        std::size_t max = 100;
        bool operator==(const Log&) const = default;
    };
    struct Menu {
        std::string id;
        std::vector<TwmlNode> children;
        bool operator==(const Menu&) const = default;
    };
    struct Item {
        std::string id;
        std::optional<std::string> label_key;
        std::optional<std::string> action;
        std::optional<Capability> require;
        bool operator==(const Item&) const = default;
    };

    std::variant<Header, Footer, Main, Section, Field, Text, Log, Menu, Item> value;

    template <class T>
    const T* get() const {
        return std::get_if<T>(&value);
    }

    bool operator==(const TwmlNode&) const = default;
};

struct TwmlPage {
    std::string id;
    std::string width = "full";
    std::string height = "full";
    std::vector<TwmlNode> nodes;
    std::optional<std::string> title_key;
    std::optional<std::string> title_bind;
    Capability require = Capability::Public;
};

}  // namespace tarnwick::tmpl
