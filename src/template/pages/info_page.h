#pragma once
// Information pages: a TWML page whose fields show bound values, flattened
// into view-only rows for the form view. The page is looked for along the
// template folders; when none can be shown the caller shows its built-in view.

#include "core/access_policy.h"
#include "template/bindings/binding_store.h"
#include "template/form_field.h"
#include "template/twml/page.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tmpl {

// A row of a flattened page before it becomes a form view row.
struct TwmlFormRow {
    std::string id;
    std::string label;
    std::string value;
    std::optional<std::vector<std::string>> choices;
    bool section = false;
    bool readonly = false;
    bool secret = false;

    bool operator==(const TwmlFormRow&) const = default;
};

// Shows rows under a title in the form view: none when the view ended with an
// input/output error. (The form view lives in the terminal layer.)
using FormView = std::function<std::optional<FormOutcome>(std::string_view title,
                                                          const std::vector<FormField>& rows)>;

// Appends the rows of one node: main flattens its children; a section adds a
// heading row, then its children; a field the viewer may see adds a row whose
// value is its resolved binding ("" without one, "—" when it fails to
// resolve). Every other node adds nothing.
void flatten_form_rows(const TwmlNode& node, const BindingStore& store, const AccessGrant& grant,
                       const Catalog& catalog, std::vector<TwmlFormRow>& rows);

// Shows the first page along the folders that loads and flattens to at least
// one row, titled by its title binding (when it resolves to a non-empty
// text), else its translated title key, else its id. A page the viewer may not
// see stops the search: later folders are not tried. None when no page was
// shown or the view failed.
std::optional<FormOutcome> show_info_page(std::string_view config_dir, std::string_view page,
                                          const BindingStore& store, bool is_admin,
                                          const Catalog& catalog, const FormView& view);

// The same over an explicit folder list.
std::optional<FormOutcome> show_info_page_from(std::span<const std::string> folders,
                                               std::string_view page, const BindingStore& store,
                                               bool is_admin, const Catalog& catalog,
                                               const FormView& view);

}  // namespace tarnwick::tmpl
