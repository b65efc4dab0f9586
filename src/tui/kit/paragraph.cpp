#include "tui/kit/paragraph.h"

#include "tui/kit/buffer.h"
#include "tui/kit/reflow.h"
#include "tui/kit/width.h"

namespace tarnwick::tui {

Paragraph Paragraph::block(Block b) const {
    Paragraph p = *this;
    p.block_ = std::move(b);
    return p;
}
Paragraph Paragraph::style(Style s) const {
    Paragraph p = *this;
    p.style_ = s;
    return p;
}
Paragraph Paragraph::wrap(Wrap w) const {
    Paragraph p = *this;
    p.wrap_ = w;
    return p;
}
Paragraph Paragraph::alignment(Alignment a) const {
    Paragraph p = *this;
    p.alignment_ = a;
    return p;
}
Paragraph Paragraph::scroll(std::uint16_t y, std::uint16_t x) const {
    Paragraph p = *this;
    p.scroll_y_ = y;
    p.scroll_x_ = x;
    return p;
}

void Paragraph::render(Rect area, Buffer& buf) const {
    buf.set_style(area, style_);
    Rect inner = area;
    if (block_) {
        block_->render(area, buf);
        inner = block_->inner(area);
    }
    if (inner.is_empty()) return;
    buf.set_style(inner, style_);

    // The graphemes point into text_, which outlives the layout.
    std::vector<InputLine> input;
    input.reserve(text_.lines.size());
    for (const Line& line : text_.lines) {
        InputLine in{{}, line.alignment.value_or(alignment_)};
        Style line_style = text_.style.patch(line.style);
        for (const Span& span : line.spans) {
            Style style = line_style.patch(span.style);
            for (const Grapheme& g : graphemes(span.content))
                in.graphemes.push_back({g.symbol, style, g.width});
        }
        input.push_back(std::move(in));
    }
    std::vector<LaidOutLine> laid = wrap_ ? wrap_words(input, inner.width, wrap_->trim)
                                          : truncate_lines(input, inner.width, scroll_x_);

    for (std::size_t i = scroll_y_, row = 0; i < laid.size() && row < inner.height; ++i, ++row) {
        const LaidOutLine& line = laid[i];
        std::uint16_t x = 0;
        if (line.alignment == Alignment::Right) x = saturating_sub(inner.width, line.width);
        if (line.alignment == Alignment::Center) {
            x = saturating_sub(static_cast<std::uint16_t>(inner.width / 2),
                               static_cast<std::uint16_t>(line.width / 2));
        }
        if (unsigned{inner.y} + row > 0xFFFF) break;
        const auto y = static_cast<std::uint16_t>(inner.y + row);
        for (const StyledGrapheme& g : line.graphemes) {
            if (g.width == 0) continue;
            // Never past the text area, whatever the layout produced.
            if (unsigned{x} + g.width > inner.width || unsigned{inner.x} + x > 0xFFFF) break;
            if (Cell* c = buf.cell(static_cast<std::uint16_t>(inner.x + x), y)) {
                c->set_symbol(g.symbol);
                c->set_style(g.style);
            }
            x = static_cast<std::uint16_t>(x + g.width);
        }
    }
}

}  // namespace tarnwick::tui
