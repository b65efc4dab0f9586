#pragma once
// The read-only form view: rows of labels and values under a title, section
// headings as full-width bars, scrolled with the keyboard and the wheel. It
// owns the terminal while shown and returns when the user leaves it.

#include "core/config.h"
#include "core/result.h"
#include "template/form_field.h"
#include "tui/io_error.h"
#include "tui/kit/rect.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tui {

// Where the body's columns go, from the body rectangle.
struct FormColumns {
    std::uint16_t x0 = 0;       // first column of every row
    std::uint16_t width = 0;    // W: the row width, at least 24
    std::uint16_t rows = 0;     // R: visible rows, at least 4
    std::uint16_t label = 0;    // L: 28 % of W, clamped to 16..26
    std::uint16_t value_x = 0;  // x0 + L
    std::uint16_t value = 0;    // V: W - L, at least 8

    bool operator==(const FormColumns&) const = default;
};

FormColumns form_columns(Rect body);

// What a value longer than the room between its frames does: cut at the
// column's edge, or wrapped onto the following lines of the body.
enum class ValueFit : std::uint8_t { Cut, Wrap };

// The value cell of a row, exactly `width` characters: framed by "  " for a
// disabled row and "│ " / " │" otherwise, the value ("—" for a disabled row
// without one) cut or padded to the room between the frames.
std::string form_value_cell(const tmpl::FormField& row, std::uint16_t width);

// The value cells of a row, one per line of the body it takes, each exactly
// `width` characters with its frames. Cut gives the one cell above; Wrap
// breaks the value at blanks (spaces and tabs, dropped at a break) into as
// many lines as it needs, a word longer than the room cut hard.
std::vector<std::string> form_value_lines(const tmpl::FormField& row, std::uint16_t width,
                                          ValueFit fit);

// The footer's last line: the footer text, followed by the scroll counts
// "   ·   ↑{scroll} ↓{below}" when not every line fits and some are out of
// view. Scroll, visible and total count lines of the body (a wrapped row
// takes several).
std::string form_footer_text(std::string_view footer, std::uint16_t scroll, std::size_t visible,
                             std::size_t total);

// Shows the rows (a copy; the caller's are never changed) until Enter, Esc or
// q. An I/O error ends the view at once and is returned. With Wrap a long
// value continues on the lines below its row, re-wrapped at every drawing.
Result<tmpl::FormOutcome, IoError> form_screen(std::string_view title,
                                               const std::vector<tmpl::FormField>& rows,
                                               AutoMode color, const Catalog& catalog,
                                               ValueFit fit = ValueFit::Cut);

}  // namespace tarnwick::tui
