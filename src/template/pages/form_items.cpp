#include "template/pages/form_items.h"

#include "core/catalog.h"

namespace tarnwick::tmpl {

FormItem form_item_field(std::string_view id, std::string_view label_key, std::string_view value) {
    return FormItem{std::string(id), std::string(label_key), std::string(value), std::nullopt,
                    false};
}

FormItem form_item_section(std::string_view label_key) {
    return FormItem{"", std::string(label_key), "", std::nullopt, true};
}

std::vector<FormField> translate_form_items(const std::vector<FormItem>& items,
                                            const Catalog& catalog) {
    std::vector<FormField> fields;
    fields.reserve(items.size());
    for (const FormItem& item : items) {
        if (item.section) {
            fields.push_back(
                FormField{"", translate(catalog, item.label_key), "", std::nullopt, true, true});
            continue;
        }
        std::string label = item.label                ? *item.label
                            : !item.label_key.empty() ? translate(catalog, item.label_key)
                                                      : item.id;
        fields.push_back(
            FormField{item.id, std::move(label), item.value, std::nullopt, true, false});
    }
    return fields;
}

}  // namespace tarnwick::tmpl
