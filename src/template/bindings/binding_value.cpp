#include "template/bindings/binding_value.h"

#include "core/secret_string.h"
#include "core/text.h"

#include <algorithm>

namespace tarnwick::tmpl {
namespace {

constexpr std::size_t kMaxMask = 32;

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

}  // namespace

BindingValue::Secret::~Secret() {
    secure_zero(text.data(), text.size());
}

std::string format_binding_value(const BindingValue& value) {
    return std::visit(Overload{
                          [](const BindingValue::Empty&) { return std::string(); },
                          [](const BindingValue::Text& t) { return t.text; },
                          [](const BindingValue::Secret& s) {
                              return std::string(std::min(char_count(s.text), kMaxMask), '*');
                          },
                          [](bool b) { return std::string(b ? "yes" : "no"); },
                          [](std::int64_t i) { return std::to_string(i); },
                      },
                      value.value);
}

BindingValue text_or_empty_binding(std::string_view text) {
    return text.empty() ? BindingValue::empty() : BindingValue::text(std::string(text));
}

BindingValue text_binding(std::string_view text) {
    return BindingValue::text(std::string(text));
}

}  // namespace tarnwick::tmpl
