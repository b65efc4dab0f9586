#pragma once
// Scroll position of the diagnostics view: following the newest lines, or
// parked at an offset. Kept apart from the drawing so it can be tested alone.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick::tui {

enum class DiagnosticsMove { None, LineUp, LineDown, PageUp, PageDown, Top, Bottom };

struct DiagnosticsScroll {
    bool following = true;
    std::uint16_t offset = 0;
};

// Applies a move; `page` is the key page (terminal rows - 6, at least 1).
void apply_diagnostics_move(DiagnosticsScroll& scroll, DiagnosticsMove move, std::size_t line_count,
                            std::size_t page);

// Index of the first line on the body rows.
std::size_t diagnostics_first_line(const DiagnosticsScroll& scroll, std::size_t line_count,
                                   std::size_t body_height);

// " {:>3} │ {}" for the 1-based line number.
std::string diagnostics_row_text(std::size_t number, std::string_view line);

// "{n}/{n}  lines {first}–{last}", or "0/0" with no lines.
std::string diagnostics_count_text(std::size_t line_count, std::size_t first_line,
                                   std::size_t body_height);

// Key page for a terminal of the given height.
std::size_t diagnostics_page(std::uint16_t terminal_rows);

}  // namespace tarnwick::tui
