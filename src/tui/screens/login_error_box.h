#pragma once
// The error box the login screen shows over everything after a failed
// attempt: its text, its size, and its drawing.

#include "core/catalog.h"
#include "tui/kit/buffer.h"
#include "tui/kit/rect.h"
#include "tui/screens/login_types.h"

#include <string>

namespace tarnwick::tui {

// The lines of the box, joined with line ends, translated with the catalog.
std::string login_error_text(const LoginFailure& failure, const Catalog& catalog);

// The box centred on the screen: at most 68 x 18, at least 44 x 12 unless the
// screen is smaller.
Rect login_error_box_area(Rect screen);

// Darkens the screen, then draws the framed box with the failure's text.
void draw_login_error_box(Buffer& buf, Rect screen, const LoginFailure& failure, bool mono,
                          const Catalog& catalog);

}  // namespace tarnwick::tui
