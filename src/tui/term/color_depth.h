#pragma once
// The colour capability a screen draws with, and the styles of its colour roles.

#include "core/config.h"
#include "tui/kit/style.h"

#include <cstdint>

namespace tarnwick::tui {

enum class ColorDepth : std::uint8_t { Color16 = 0, Mono = 1 };

// From TERM: 0 when unset, not UTF-8, empty or "dumb"; 256 when it contains
// "256"; else 16.
std::uint16_t terminal_color_count();

// auto: Mono below 8 colours, else Color16; always: Color16; never: Mono.
// TERM is read in every case.
ColorDepth color_depth(AutoMode mode);

// The shared colour roles of every screen.
struct ColorRoles {
    Style base;       // screen text and background
    Style accent;     // frames, separators, hints, list borders
    Style title;      // brand name, panel titles, prompts
    Style highlight;  // focused field, selected list row
};

ColorRoles color_roles(ColorDepth depth);

}  // namespace tarnwick::tui
