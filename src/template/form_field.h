#pragma once
// One display row of the form view: a labelled value, or a section heading;
// and how the view ended.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tmpl {

// Stands for a value that cannot be shown (an unresolvable binding, no
// details, an unknown uptime): one em dash.
inline constexpr std::string_view kNoValue = "—";

struct FormField {
    std::string id;     // empty for a heading row
    std::string label;  // already translated
    std::string value;
    std::optional<std::vector<std::string>> choices;  // options of a choice field
    bool disabled = false;                            // neither focusable nor editable
    bool heading = false;                             // drawn as a full-width section bar

    bool operator==(const FormField&) const = default;
};

// The user left the form view (Enter, Esc or q); the view has no other result.
enum class FormOutcome : std::uint8_t { Back };

}  // namespace tarnwick::tmpl
