// Typed reading of a screen template from the positioned JSON tree.
//
// Errors carry the position at which a streaming reader would notice them,
// so messages match what operators see from other JSON tools:
// - a scalar of the wrong type, a number out of range and an unknown variant
//   name are judged once the scalar was consumed: the position is its end;
// - an array or object of the wrong type is judged on its opening bracket,
//   before consuming it: the position is its start;
// - a missing field and a too-short sequence are noticed after the closing
//   brace or bracket: the position is the end of the structure;
// - a repeated field is noticed right after its key (and the white space that
//   follows it, up to the colon);
// - an element beyond the structure's fields is "trailing characters" at its
//   first byte; a condition that is neither a name nor an object is "expected
//   value" at its first byte, and a second member in its object form is
//   "expected value" just before the separating comma.
// Members are read in document order, so the first fault in the text wins;
// missing fields are checked afterwards in field order.

#include "template/screen/screen_template.h"

#include "core/json/messages.h"
#include "core/json/parser.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace tarnwick::tmpl {
namespace {

using json::Kind;
using json::Value;

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    Result<ScreenTemplate, ScreenTemplateError> screen(const Value& v) const {
        ScreenTemplate out;
        std::optional<std::string> schema_version, screen_id, title_key;
        std::optional<std::vector<Widget>> widgets;
        auto field = [&](std::size_t index,
                         const Value& value) -> Result<void, ScreenTemplateError> {
            switch (index) {
                case 0:
                    return assign(schema_version, string(value));
                case 1:
                    return assign(screen_id, string(value));
                case 2:
                    return assign(title_key, string(value));
                default:
                    return assign(widgets, widget_list(value));
            }
        };
        static constexpr std::array<std::string_view, 4> kFields{"schema_version", "screen_id",
                                                                 "title_key", "widgets"};
        if (auto r = structure(v, "ScreenTemplate", kFields, 4, field); !r) return fail(r.error());
        if (v.is_object()) {
            if (!schema_version) return fail(missing(v, "schema_version"));
            if (!screen_id) return fail(missing(v, "screen_id"));
            if (!title_key) return fail(missing(v, "title_key"));
            if (!widgets) return fail(missing(v, "widgets"));
        }
        out.schema_version = std::move(*schema_version);
        out.screen_id = std::move(*screen_id);
        out.title_key = std::move(*title_key);
        out.widgets = std::move(*widgets);
        return out;
    }

private:
    template <class T>
    static Result<void, ScreenTemplateError> assign(std::optional<T>& slot,
                                                    Result<T, ScreenTemplateError> value) {
        if (!value) return fail(value.error());
        slot = std::move(*value);
        return {};
    }

    ScreenTemplateError error_at(std::string message, std::size_t index) const {
        return ScreenTemplateError{ScreenTemplateError::Kind::Json,
                                   json::with_position(message, json::position_at(text_, index))};
    }

    // Where a value of the wrong type is noticed (see the top of the file).
    ScreenTemplateError wrong_type(const Value& v, std::string_view expected) const {
        const std::size_t at = (v.is_array() || v.is_object()) ? v.start : v.end;
        return error_at(json::invalid_type(json::describe_found(v), expected), at);
    }

    ScreenTemplateError missing(const Value& object, std::string_view name) const {
        return error_at(json::missing_field(name), object.end);
    }

    std::size_t skip_space(std::size_t i) const {
        while (i < text_.size() &&
               (text_[i] == ' ' || text_[i] == '\t' || text_[i] == '\n' || text_[i] == '\r'))
            ++i;
        return i;
    }

    // Reads an object or array as a structure with the given fields. In the
    // sequence form the first `required` elements must be present and the
    // rest default; in the map form missing fields are the caller's to check.
    template <std::size_t N, class Field>
    Result<void, ScreenTemplateError> structure(const Value& v, std::string_view name,
                                                const std::array<std::string_view, N>& fields,
                                                std::size_t required, Field&& field) const {
        if (v.is_object()) {
            std::array<bool, N> seen{};
            for (const auto& member : v.members) {
                std::size_t index = 0;
                while (index < N && fields[index] != member.key) ++index;
                if (index == N) continue;  // unknown members are ignored
                if (seen[index])
                    return fail(
                        error_at(json::duplicate_field(member.key), skip_space(member.key_end)));
                seen[index] = true;
                if (auto r = field(index, member.value); !r) return r;
            }
            return {};
        }
        if (v.is_array()) {
            for (std::size_t index = 0; index < v.items.size(); ++index) {
                if (index == N) {
                    return fail(ScreenTemplateError{
                        ScreenTemplateError::Kind::Json,
                        json::with_position("trailing characters",
                                            json::peek_position(text_, v.items[index].start))});
                }
                if (auto r = field(index, v.items[index]); !r) return r;
            }
            if (v.items.size() < required) {
                return fail(error_at(
                    json::invalid_length(v.items.size(), "struct " + std::string(name) + " with " +
                                                             std::to_string(N) + " elements"),
                    v.end));
            }
            return {};
        }
        return fail(wrong_type(v, "struct " + std::string(name)));
    }

    Result<std::string, ScreenTemplateError> string(const Value& v) const {
        if (!v.is_string()) return fail(wrong_type(v, "a string"));
        return v.string;
    }

    // null stands for an absent optional member.
    Result<std::optional<std::string>, ScreenTemplateError> optional_string(const Value& v) const {
        if (v.is_null()) return std::optional<std::string>{};
        auto s = string(v);
        if (!s) return fail(s.error());
        return std::optional<std::string>(std::move(*s));
    }

    Result<std::uint16_t, ScreenTemplateError> u16(const Value& v) const {
        if (v.kind == Kind::Uint) {
            if (v.uint_value > 0xFFFF)
                return fail(error_at(json::invalid_value(json::describe_found(v), "u16"), v.end));
            return static_cast<std::uint16_t>(v.uint_value);
        }
        if (v.kind == Kind::Int)
            return fail(error_at(json::invalid_value(json::describe_found(v), "u16"), v.end));
        return fail(wrong_type(v, "u16"));
    }

    Result<std::optional<std::uint16_t>, ScreenTemplateError> optional_u16(const Value& v) const {
        if (v.is_null()) return std::optional<std::uint16_t>{};
        auto n = u16(v);
        if (!n) return fail(n.error());
        return std::optional<std::uint16_t>(*n);
    }

    Result<Position, ScreenTemplateError> position(const Value& v) const {
        std::optional<std::uint16_t> x, y;
        std::optional<std::optional<std::uint16_t>> width, height;
        auto field = [&](std::size_t index,
                         const Value& value) -> Result<void, ScreenTemplateError> {
            switch (index) {
                case 0:
                    return assign(x, u16(value));
                case 1:
                    return assign(y, u16(value));
                case 2:
                    return assign(width, optional_u16(value));
                default:
                    return assign(height, optional_u16(value));
            }
        };
        static constexpr std::array<std::string_view, 4> kFields{"x", "y", "width", "height"};
        if (auto r = structure(v, "Position", kFields, 2, field); !r) return fail(r.error());
        if (v.is_object()) {
            if (!x) return fail(missing(v, "x"));
            if (!y) return fail(missing(v, "y"));
        }
        return Position{*x, *y, width.value_or(std::nullopt), height.value_or(std::nullopt)};
    }

    Result<std::optional<Position>, ScreenTemplateError> optional_position(const Value& v) const {
        if (v.is_null()) return std::optional<Position>{};
        auto p = position(v);
        if (!p) return fail(p.error());
        return std::optional<Position>(*p);
    }

    // A name, or an object with exactly one member so named whose value is null.
    Result<WidgetCondition, ScreenTemplateError> condition(const Value& v) const {
        auto named = [&](std::string_view name,
                         std::size_t end) -> Result<WidgetCondition, ScreenTemplateError> {
            if (name == "always") return WidgetCondition::Always;
            if (name == "user_is_admin") return WidgetCondition::UserIsAdmin;
            if (name == "never") return WidgetCondition::Never;
            return fail(
                error_at(json::unknown_variant(name, {"always", "user_is_admin", "never"}), end));
        };
        if (v.is_string()) return named(v.string, v.end);
        if (!v.is_object()) {
            return fail(ScreenTemplateError{
                ScreenTemplateError::Kind::Json,
                json::with_position("expected value", json::peek_position(text_, v.start))});
        }
        if (v.members.empty()) {
            return fail(ScreenTemplateError{
                ScreenTemplateError::Kind::Json,
                json::with_position("expected value", json::peek_position(text_, v.end - 1))});
        }
        const auto& member = v.members.front();
        auto result = named(member.key, member.key_end);
        if (!result) return result;
        if (!member.value.is_null()) return fail(wrong_type(member.value, "unit"));
        if (v.members.size() > 1)
            return fail(error_at("expected value", skip_space(member.value.end)));
        return result;
    }

    Result<Widget, ScreenTemplateError> widget(const Value& v) const {
        std::optional<std::string> type, id;
        Widget out;
        auto field = [&](std::size_t index,
                         const Value& value) -> Result<void, ScreenTemplateError> {
            switch (index) {
                case 0:
                    return assign(type, string(value));
                case 1:
                    return assign(id, string(value));
                case 2:
                    return store(out.label_key, optional_string(value));
                case 3:
                    return store(out.position, optional_position(value));
                case 4:
                    return store(out.children, widget_list(value));
                case 5:
                    return store(out.action, optional_string(value));
                default:
                    return store(out.condition, condition(value));
            }
        };
        static constexpr std::array<std::string_view, 7> kFields{
            "type", "id", "label_key", "position", "children", "action", "condition"};
        if (auto r = structure(v, "Widget", kFields, 2, field); !r) return fail(r.error());
        if (v.is_object()) {
            if (!type) return fail(missing(v, "type"));
            if (!id) return fail(missing(v, "id"));
        }
        out.type = std::move(*type);
        out.id = std::move(*id);
        return out;
    }

    template <class T>
    static Result<void, ScreenTemplateError> store(T& slot, Result<T, ScreenTemplateError> value) {
        if (!value) return fail(value.error());
        slot = std::move(*value);
        return {};
    }

    Result<std::vector<Widget>, ScreenTemplateError> widget_list(const Value& v) const {
        if (!v.is_array()) return fail(wrong_type(v, "a sequence"));
        std::vector<Widget> out;
        out.reserve(v.items.size());
        for (const auto& item : v.items) {
            auto w = widget(item);
            if (!w) return fail(w.error());
            out.push_back(std::move(*w));
        }
        return out;
    }

    std::string_view text_;
};

}  // namespace

Result<ScreenTemplate, ScreenTemplateError> parse_screen_template(std::string_view text) {
    auto tree = json::parse(text);
    if (!tree)
        return fail(ScreenTemplateError{ScreenTemplateError::Kind::Json,
                                        json::display_parse_error(tree.error())});
    return Reader(text).screen(*tree);
}

}  // namespace tarnwick::tmpl
