#pragma once
// The error of every TWML operation: page loader, imports, components and the
// login page model.

#include <cstdint>
#include <string>
#include <utility>

namespace tarnwick::tmpl {

struct TwmlError {
    enum class Kind : std::uint8_t {
        Io,                   // first: the system error text
        XmlParse,             // first: the parser's message
        UnsupportedSchema,    // first: the schema text
        UnknownTag,           // first: the element's local name
        UnknownComponent,     // first: the component name
        UnknownProp,          // first: prop name, second: component name
        MissingRequiredSlot,  // first: slot name
        MissingRequiredProp,  // first: prop name
        NestingTooDeep,
        ImportPathEscape,   // first: the import's href
        UnknownCapability,  // first: the rejected text
        UnknownFieldType,   // first: the rejected text
        DuplicateFieldId,   // first: the field id
        Message,            // first: the whole message
    };

    Kind kind = Kind::Message;
    std::string first;
    std::string second;

    static TwmlError make(Kind kind, std::string first = {}, std::string second = {}) {
        return TwmlError{kind, std::move(first), std::move(second)};
    }
    static TwmlError message(std::string text) { return make(Kind::Message, std::move(text)); }

    bool operator==(const TwmlError&) const = default;
};

std::string display_twml_error(const TwmlError& error);

}  // namespace tarnwick::tmpl
