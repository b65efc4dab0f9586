#pragma once
// Drawing the network panel: title bar, general box, interface list, details
// pane with the Active box, tab bar and form, and the footer. Each drawing
// records its hit areas in the state for the mouse.

#include "tui/kit/terminal.h"
#include "tui/screens/network_panel/panel_state.h"
#include "tui/term/color_depth.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::tui {

// The text cut to `max_chars` characters, its last one replaced by "…" when
// it was cut; a maximum of 0 gives empty text.
std::string truncate_ellipsis(std::string_view text, std::size_t max_chars);

// Where the form's columns go inside its rectangle.
struct PanelFormColumns {
    std::uint16_t label = 0;     // L: 32 % of the width, 12 to 24
    std::uint16_t value_x = 0;   // x + L
    std::uint16_t value = 0;     // V: the rest, at least 6
    std::uint16_t midpoint = 0;  // x + L + V / 2
    std::uint16_t rows = 0;      // R: the height, at least 1

    bool operator==(const PanelFormColumns&) const = default;
};
PanelFormColumns panel_form_columns(Rect form);

// The first form row shown: the focused row stays in view while the focus is
// on the form.
std::size_t panel_form_first_row(const PanelState& state, std::uint16_t visible_rows);

void draw_network_panel(Frame& frame, PanelState& state, const ColorRoles& roles);

}  // namespace tarnwick::tui
