#pragma once
// The pure rules behind the form view's mouse and choice handling, shared with
// the network panel's edit form and the mouse self-test.

#include "template/form_field.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick::tui {

// One drawn row of the last frame: the screen row it occupies and the index
// of the form row drawn there.
struct FormRowSlot {
    std::uint16_t screen_row = 0;
    std::size_t index = 0;

    bool operator==(const FormRowSlot&) const = default;
};

using FormRowTable = std::vector<FormRowSlot>;

// The form row drawn on `pointer_row`, none when no drawn row is there. The
// column does not matter.
std::optional<std::size_t> form_field_at(const FormRowTable& rows, std::uint16_t pointer_row);

// Moves the value to the next choice (the previous one when `backward`),
// wrapping at both ends; a value that is no choice counts as the first. A
// disabled field or one without choices is left alone.
void cycle_field_option(tmpl::FormField& field, bool backward);

}  // namespace tarnwick::tui
