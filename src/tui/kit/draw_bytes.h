#pragma once
// The bytes one draw sends to the terminal for the changed cells: cursor moves
// only where cells are not adjacent, modifier and colour changes only where
// they differ from the cell before, and a full attribute reset at the end.

#include <string>
#include <vector>

#include "tui/kit/buffer.h"

namespace tarnwick::tui {

struct DrawOptions {
    // NO_COLOR: colour changes are not sent (modifiers still are).
    bool no_color = false;
};

// Appends the bytes for the updates, in order, to `out`.
void append_draw_bytes(std::string& out, const std::vector<CellUpdate>& updates,
                       DrawOptions options = {});

// "ESC[{row+1};{column+1}H".
void append_move_to(std::string& out, std::uint16_t x, std::uint16_t y);

}  // namespace tarnwick::tui
