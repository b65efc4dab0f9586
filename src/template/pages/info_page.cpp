#include "template/pages/info_page.h"

#include "core/catalog.h"
#include "template/page_search.h"
#include "template/template_dirs.h"
#include "template/twml/loader.h"

namespace tarnwick::tmpl {
namespace {

FormField to_form_field(TwmlFormRow row) {
    if (row.section) return FormField{"", std::move(row.label), "", std::nullopt, true, true};
    return FormField{
        std::move(row.id), std::move(row.label), std::move(row.value), std::nullopt, true, false};
}

std::string page_title(const TwmlPage& page, const BindingStore& store, const AccessGrant& grant,
                       const Catalog& catalog) {
    if (page.title_bind) {
        auto bound = resolve_for_display(store, *page.title_bind, grant.capabilities);
        if (bound && !bound->empty()) return std::move(*bound);
    }
    if (page.title_key) return translate(catalog, *page.title_key);
    return page.id;
}

}  // namespace

void flatten_form_rows(const TwmlNode& node, const BindingStore& store, const AccessGrant& grant,
                       const Catalog& catalog, std::vector<TwmlFormRow>& rows) {
    if (const auto* main = node.get<TwmlNode::Main>()) {
        for (const TwmlNode& child : main->children)
            flatten_form_rows(child, store, grant, catalog, rows);
    } else if (const auto* section = node.get<TwmlNode::Section>()) {
        rows.push_back(TwmlFormRow{"", translate(catalog, section->title_key), "", std::nullopt,
                                   true, true, false});
        for (const TwmlNode& child : section->children)
            flatten_form_rows(child, store, grant, catalog, rows);
    } else if (const auto* field = node.get<TwmlNode::Field>()) {
        if (field->require && !grant.holds(*field->require)) return;
        std::string value;
        if (field->bind) {
            auto resolved = resolve_for_display(store, *field->bind, grant.capabilities);
            value = resolved ? std::move(*resolved) : std::string(kNoValue);
        }
        rows.push_back(TwmlFormRow{
            field->id,
            field->label_key ? translate(catalog, *field->label_key) : field->id,
            std::move(value),
            field->choices,
            false,
            field->readonly,
            field->secret,
        });
    }
}

std::optional<FormOutcome> show_info_page_from(std::span<const std::string> folders,
                                               std::string_view page, const BindingStore& store,
                                               bool is_admin, const Catalog& catalog,
                                               const FormView& view) {
    const AccessGrant grant = user_access(is_admin);
    std::optional<FormOutcome> outcome;
    search_folders(folders, page, [&](const std::string& path, const std::string& folder) {
        auto loaded = load_page(path, folder);
        if (!loaded) return false;  // never reported: the next folder may do
        // A page the viewer may not see ends the search without a view.
        if (!grant.holds(loaded->require)) return true;
        std::vector<TwmlFormRow> rows;
        for (const TwmlNode& node : loaded->nodes)
            flatten_form_rows(node, store, grant, catalog, rows);
        if (rows.empty()) return false;
        std::vector<FormField> fields;
        fields.reserve(rows.size());
        for (TwmlFormRow& row : rows) fields.push_back(to_form_field(std::move(row)));
        outcome = view(page_title(*loaded, store, grant, catalog), fields);
        return true;
    });
    return outcome;
}

std::optional<FormOutcome> show_info_page(std::string_view config_dir, std::string_view page,
                                          const BindingStore& store, bool is_admin,
                                          const Catalog& catalog, const FormView& view) {
    const auto folders = template_dirs(config_dir);
    return show_info_page_from(folders, page, store, is_admin, catalog, view);
}

}  // namespace tarnwick::tmpl
