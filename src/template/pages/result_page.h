#pragma once
// The outcome of a change as a result page shows it: bound to the "result."
// keys for a template page, or as the entries of the built-in result view.

#include "core/result.h"
#include "template/bindings/binding_store.h"
#include "template/pages/form_items.h"

#include <string>
#include <utility>
#include <vector>

namespace tarnwick::tmpl {

struct OperationResult {
    std::string title;  // may be empty
    std::string summary;
    std::vector<std::pair<std::string, std::string>> details;  // label, value
    bool success = false;
};

// Binds result.success, result.title, result.summary and result.detail.N for
// the first 32 details (their values; labels are not bound); an empty text is
// bound as Empty. Stops at the first error.
Result<void, BindingError> bind_result(const OperationResult& result, BindingStore& store);

// Outcome section (success, summary), then a details section with one entry
// per detail, every one of them; "result.no_details" with "—" when there is
// none.
std::vector<FormItem> result_form_items(const OperationResult& result);

}  // namespace tarnwick::tmpl
