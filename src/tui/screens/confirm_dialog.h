#pragma once
// A yes/no question in a centred box, answered with the keyboard alone. The
// dialog sets the terminal up itself (alternate screen, no mouse reporting,
// no console mouse) and gives it back before it returns.

#include "core/config.h"
#include "core/result.h"
#include "tui/io_error.h"
#include "tui/kit/rect.h"

#include <string_view>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tui {

// True for yes. The question arrives already translated; it starts on No.
Result<bool, IoError> confirm_dialog(std::string_view message, AutoMode color,
                                     const Catalog& catalog);

// The dialog's box on a screen of the given size.
Rect confirm_box(std::uint16_t columns, std::uint16_t rows);

}  // namespace tarnwick::tui
