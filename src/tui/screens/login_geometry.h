#pragma once
// Where the login screen's sign-in panel puts its rows and where its
// drop-downs go: plain rectangle arithmetic shared by drawing and tests.

#include "tui/kit/rect.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tarnwick::tui {

struct SignInRows {
    Rect panel;               // the framed panel (may reach past the area it was given)
    Rect inner;               // inside its borders
    std::uint16_t x = 0;      // column of every line
    std::uint16_t width = 0;  // width of every line
    std::optional<std::uint16_t> prompt_row;
    std::uint16_t user_row = 0;
    std::optional<Rect> user_list;  // including its borders
    std::size_t user_list_rows = 0;
    std::optional<std::uint16_t> password_row;
    std::optional<std::uint16_t> hint_row;
};

// The rows of a sign-in panel drawn in `area`; the user list only when
// `user_list_shown` (list mode with the list open), for `entries` rows
// (users plus the "other" row).
SignInRows sign_in_rows(Rect area, bool user_list_shown, std::size_t entries);

struct DropDown {
    Rect area;             // including its borders
    std::size_t rows = 0;  // visible entries
};

// The language drop-down above the footer, from the language field `field`;
// nullopt with no languages.
std::optional<DropDown> language_drop_down(Rect field, Rect footer, std::size_t languages);

}  // namespace tarnwick::tui
