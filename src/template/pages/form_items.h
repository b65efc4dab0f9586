#pragma once
// The entries of the built-in information and result views: key-based items
// translated into form view rows. Every row built here is view-only.

#include "template/form_field.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tmpl {

struct FormItem {
    std::string id;
    std::string label_key;             // may be empty
    std::string value;                 // already formatted
    std::optional<std::string> label;  // takes the place of the label key
    bool section = false;              // a heading titled by label_key

    bool operator==(const FormItem&) const = default;
};

// A field item: no explicit label, not a section.
FormItem form_item_field(std::string_view id, std::string_view label_key, std::string_view value);

// A section heading item titled by `label_key`.
FormItem form_item_section(std::string_view label_key);

// One disabled row per item: a section becomes a heading of its translated
// key; a field is labelled by its explicit label, else its translated key
// when not empty, else its id.
std::vector<FormField> translate_form_items(const std::vector<FormItem>& items,
                                            const Catalog& catalog);

}  // namespace tarnwick::tmpl
