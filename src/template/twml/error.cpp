#include "template/twml/error.h"

#include <fmt/format.h>

namespace tarnwick::tmpl {

std::string display_twml_error(const TwmlError& error) {
    using Kind = TwmlError::Kind;
    switch (error.kind) {
        case Kind::Io:
            return fmt::format("IO: {}", error.first);
        case Kind::XmlParse:
            return fmt::format("XML parse: {}", error.first);
        case Kind::UnsupportedSchema:
            return fmt::format("unsupported schema: {}", error.first);
        case Kind::UnknownTag:
            return fmt::format("unknown tag: {}", error.first);
        case Kind::UnknownComponent:
            return fmt::format("unknown component: {}", error.first);
        case Kind::UnknownProp:
            return fmt::format("unknown prop {} for component {}", error.first, error.second);
        case Kind::MissingRequiredSlot:
            return fmt::format("missing required slot: {}", error.first);
        case Kind::MissingRequiredProp:
            return fmt::format("missing required prop: {}", error.first);
        case Kind::NestingTooDeep:
            return "nesting too deep";
        case Kind::ImportPathEscape:
            return fmt::format("import path escape: {}", error.first);
        case Kind::UnknownCapability:
            return fmt::format("unknown capability: {}", error.first);
        case Kind::UnknownFieldType:
            return fmt::format("unknown field type: {}", error.first);
        case Kind::DuplicateFieldId:
            return fmt::format("duplicate field id: {}", error.first);
        case Kind::Message:
            return error.first;
    }
    return error.first;
}

}  // namespace tarnwick::tmpl
