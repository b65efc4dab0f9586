#pragma once
// One display row of the form view: a labelled value, or a section heading.

#include <optional>
#include <string>
#include <vector>

namespace tarnwick::tmpl {

struct FormField {
    std::string id;     // empty for a heading row
    std::string label;  // already translated
    std::string value;
    std::optional<std::vector<std::string>> choices;  // options of a choice field
    bool disabled = false;                            // neither focusable nor editable
    bool heading = false;                             // drawn as a full-width section bar

    bool operator==(const FormField&) const = default;
};

}  // namespace tarnwick::tmpl
