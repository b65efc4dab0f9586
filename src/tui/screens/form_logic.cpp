#include "tui/screens/form_logic.h"

#include <algorithm>

namespace tarnwick::tui {

std::optional<std::size_t> form_field_at(const FormRowTable& rows, std::uint16_t pointer_row) {
    const auto hit = std::find_if(rows.begin(), rows.end(), [pointer_row](const FormRowSlot& slot) {
        return slot.screen_row == pointer_row;
    });
    if (hit == rows.end()) return std::nullopt;
    return hit->index;
}

void cycle_field_option(tmpl::FormField& field, bool backward) {
    if (field.disabled || !field.choices || field.choices->empty()) return;
    const auto& choices = *field.choices;
    const auto found = std::find(choices.begin(), choices.end(), field.value);
    const std::size_t current =
        found == choices.end() ? 0 : static_cast<std::size_t>(found - choices.begin());
    const std::size_t count = choices.size();
    const std::size_t next = backward ? (current + count - 1) % count : (current + 1) % count;
    field.value = choices[next];
}

}  // namespace tarnwick::tui
