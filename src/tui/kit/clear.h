#pragma once
// Resets every cell of an area to a blank in the default style (used before a
// popup is drawn over other content).

#include "tui/kit/buffer.h"

namespace tarnwick::tui {

struct Clear {
    void render(Rect area, Buffer& buf) const {
        area = area.intersection(buf.area());
        for (std::uint16_t y = area.top(); y < area.bottom(); ++y) {
            for (std::uint16_t x = area.left(); x < area.right(); ++x) buf.cell(x, y)->reset();
        }
    }
};

}  // namespace tarnwick::tui
