#include "tui/screens/diagnostics_scroll.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>

namespace tarnwick::tui {

namespace {

constexpr std::size_t kMaxOffset = std::numeric_limits<std::uint16_t>::max();

std::uint16_t to_offset(std::size_t value) {
    return static_cast<std::uint16_t>(std::min(value, kMaxOffset));
}

}  // namespace

void apply_diagnostics_move(DiagnosticsScroll& scroll, DiagnosticsMove move, std::size_t line_count,
                            std::size_t page) {
    const std::size_t limit = line_count > page ? line_count - page : 0;
    const std::size_t current = scroll.following ? std::min(limit, kMaxOffset) : scroll.offset;
    // Additions stop at the 16-bit maximum before they are compared with the limit.
    auto add = [](std::size_t a, std::size_t b) { return std::min(a + b, kMaxOffset); };
    switch (move) {
        case DiagnosticsMove::None:
            scroll.offset = to_offset(current);
            return;
        case DiagnosticsMove::LineUp:
            scroll.following = false;
            scroll.offset = to_offset(current > 0 ? current - 1 : 0);
            return;
        case DiagnosticsMove::LineDown:
            scroll.following = false;
            scroll.offset = to_offset(std::min(add(current, 1), limit));
            return;
        case DiagnosticsMove::PageUp:
            scroll.following = false;
            scroll.offset = to_offset(current > page ? current - page : 0);
            return;
        case DiagnosticsMove::PageDown:
            scroll.following = false;
            scroll.offset = to_offset(std::min(add(current, page), limit));
            return;
        case DiagnosticsMove::Top:
            scroll.following = false;
            scroll.offset = 0;
            return;
        case DiagnosticsMove::Bottom:
            scroll.following = true;
            scroll.offset = to_offset(limit);
            return;
    }
}

std::size_t diagnostics_first_line(const DiagnosticsScroll& scroll, std::size_t line_count,
                                   std::size_t body_height) {
    const std::size_t visible = std::max<std::size_t>(body_height, 1);
    const std::size_t max_start = line_count > visible ? line_count - visible : 0;
    return scroll.following ? max_start : std::min<std::size_t>(scroll.offset, max_start);
}

std::string diagnostics_row_text(std::size_t number, std::string_view line) {
    return fmt::format(" {:>3} │ {}", number, line);
}

std::string diagnostics_count_text(std::size_t line_count, std::size_t first_line,
                                   std::size_t body_height) {
    if (line_count == 0) {
        return "0/0";
    }
    const std::size_t visible = std::max<std::size_t>(body_height, 1);
    const std::size_t last = std::min(first_line + visible, line_count);
    return fmt::format("{}/{}  lines {}–{}", line_count, line_count, first_line + 1, last);
}

std::size_t diagnostics_page(std::uint16_t terminal_rows) {
    return terminal_rows > 7 ? static_cast<std::size_t>(terminal_rows) - 6 : 1;
}

}  // namespace tarnwick::tui
