#pragma once
// A text drawn in an area: optionally inside a block, wrapped at words (with
// or without trimming leading blanks) or cut at the edge, aligned per line and
// scrolled.

#include <cstdint>
#include <optional>

#include "tui/kit/block.h"
#include "tui/kit/text.h"

namespace tarnwick::tui {

struct Wrap {
    bool trim = false;
};

class Paragraph {
public:
    explicit Paragraph(Text text) : text_(std::move(text)) {}

    Paragraph block(Block b) const;
    Paragraph style(Style s) const;
    Paragraph wrap(Wrap w) const;
    // For lines without an alignment of their own.
    Paragraph alignment(Alignment a) const;
    // Skips the first `y` laid-out lines; without wrapping, left-aligned lines
    // also skip their first `x` columns.
    Paragraph scroll(std::uint16_t y, std::uint16_t x) const;

    void render(Rect area, Buffer& buf) const;

private:
    Text text_;
    std::optional<Block> block_;
    Style style_;
    std::optional<Wrap> wrap_;
    Alignment alignment_ = Alignment::Left;
    std::uint16_t scroll_y_ = 0;
    std::uint16_t scroll_x_ = 0;
};

}  // namespace tarnwick::tui
