#include "template/pages/result_page.h"

#include <fmt/format.h>

namespace tarnwick::tmpl {
namespace {

constexpr std::size_t kBoundDetails = 32;

}  // namespace

Result<void, BindingError> bind_result(const OperationResult& result, BindingStore& store) {
    if (auto r = set_binding(store, "result.success", BindingValue::boolean(result.success)); !r)
        return r;
    if (auto r = set_binding(store, "result.title", text_or_empty_binding(result.title)); !r)
        return r;
    if (auto r = set_binding(store, "result.summary", text_or_empty_binding(result.summary)); !r)
        return r;
    for (std::size_t i = 0; i < result.details.size() && i < kBoundDetails; ++i) {
        auto r = set_binding_owned(store, fmt::format("result.detail.{}", i),
                                   text_or_empty_binding(result.details[i].second));
        if (!r) return r;
    }
    return {};
}

std::vector<FormItem> result_form_items(const OperationResult& result) {
    std::vector<FormItem> items;
    items.reserve(result.details.size() + 4);
    items.push_back(form_item_section("result.section.outcome"));
    items.push_back(form_item_field("success", "result.success", result.success ? "yes" : "no"));
    items.push_back(form_item_field("summary", "result.summary", result.summary));
    items.push_back(form_item_section("result.section.details"));
    for (std::size_t i = 0; i < result.details.size(); ++i) {
        FormItem item = form_item_field(fmt::format("detail_{}", i), "", result.details[i].second);
        item.label = result.details[i].first;
        items.push_back(std::move(item));
    }
    if (result.details.empty()) {
        items.push_back(form_item_field("detail_none", "result.no_details", kNoValue));
    }
    return items;
}

}  // namespace tarnwick::tmpl
