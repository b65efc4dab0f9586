#pragma once
// The menu screen: a titled list of entries picked with the keyboard or the
// mouse. It owns the terminal while shown and returns the chosen action.

#include "core/config.h"
#include "core/diagnostics.h"
#include "core/result.h"
#include "template/menu/menu_item.h"
#include "tui/io_error.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tui {

// Enter or a click returns the entry's action (an entry whose action is None
// only shows a status message); q or Esc returns Quit; ? toggles the help
// box; F1 opens the diagnostics view. `status` replaces the key help in the
// footer when not empty.
Result<MenuAction, IoError> menu_screen(std::string_view title, std::string_view subtitle,
                                        const std::vector<tmpl::MenuItem>& items, AutoMode color,
                                        std::optional<std::string_view> status,
                                        const Catalog& catalog,
                                        const DiagnosticsProvider& diagnostics);

}  // namespace tarnwick::tui
