#pragma once
// The cell grid one frame is drawn into. Every write is clipped to the grid:
// positions outside it are ignored, never written.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tui/kit/rect.h"
#include "tui/kit/style.h"
#include "tui/kit/text.h"

namespace tarnwick::tui {

struct Cell {
    std::string symbol = " ";  // one grapheme cluster
    Color fg = Color::Reset;
    Color bg = Color::Reset;
    Modifier modifier = Modifier::None;
    bool skip = false;  // never sent to the terminal

    void set_symbol(std::string_view s) { symbol.assign(s); }
    void append_symbol(std::string_view s) { symbol.append(s); }
    void set_style(const Style& style);
    Style style() const;
    void reset() { *this = Cell{}; }

    friend bool operator==(const Cell&, const Cell&) = default;
};

// A cell of the next frame that differs from the previous one.
struct CellUpdate {
    std::uint16_t x;
    std::uint16_t y;
    const Cell* cell;
};

class Buffer {
public:
    Buffer() = default;
    explicit Buffer(Rect area);

    const Rect& area() const { return area_; }
    const std::vector<Cell>& content() const { return content_; }

    // The cell at an absolute position, nullptr outside the buffer.
    Cell* cell(std::uint16_t x, std::uint16_t y);
    const Cell* cell(std::uint16_t x, std::uint16_t y) const;

    // Writes a string's graphemes from (x, y) in the style, at most max_width
    // columns and never past the right edge; zero-width graphemes are dropped
    // and the cells hidden behind a wide glyph are reset. Returns the position
    // after the last grapheme written.
    std::pair<std::uint16_t, std::uint16_t> set_string(std::uint16_t x, std::uint16_t y,
                                                       std::string_view text, Style style);
    std::pair<std::uint16_t, std::uint16_t> set_stringn(std::uint16_t x, std::uint16_t y,
                                                        std::string_view text,
                                                        std::size_t max_width, Style style);

    // Span and Line drawn at (x, y) in an area max_width wide.
    std::pair<std::uint16_t, std::uint16_t> set_span(std::uint16_t x, std::uint16_t y,
                                                     const Span& span, std::uint16_t max_width);
    std::pair<std::uint16_t, std::uint16_t> set_line(std::uint16_t x, std::uint16_t y,
                                                     const Line& line, std::uint16_t max_width);

    // Applies the style to every cell of the area (clipped); symbols stay.
    void set_style(Rect area, Style style);

    // Every cell back to a blank in the default style.
    void reset();
    void resize(Rect area);

    // The cells of `next` to send to a terminal that shows this buffer.
    std::vector<CellUpdate> diff(const Buffer& next) const;

    friend bool operator==(const Buffer&, const Buffer&) = default;

private:
    std::size_t index_of(std::uint16_t x, std::uint16_t y) const {
        return std::size_t{static_cast<std::uint16_t>(y - area_.y)} * area_.width +
               static_cast<std::uint16_t>(x - area_.x);
    }

    Rect area_;
    std::vector<Cell> content_;
};

}  // namespace tarnwick::tui
