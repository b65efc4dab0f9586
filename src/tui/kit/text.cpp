#include "tui/kit/text.h"

#include <algorithm>

#include "tui/kit/buffer.h"
#include "tui/kit/width.h"

namespace tarnwick::tui {
namespace {

Rect indent_x(Rect r, std::size_t by) {
    auto n = static_cast<std::uint16_t>(std::min<std::size_t>(by, 0xFFFF));
    return {saturating_add(r.x, n), r.y, saturating_sub(r.width, n), r.height};
}

// Draws a span's graphemes from the area's top-left corner: stops before the
// first one that would pass the right edge, appends zero-width ones to the
// cell before, and resets the cells hidden behind a wide glyph.
void render_span(std::string_view content, Style style, Rect area, Buffer& buf) {
    area = area.intersection(buf.area());
    if (area.is_empty()) return;
    std::uint16_t x = area.x;
    const std::uint16_t y = area.y;
    bool first = true;
    for (const Grapheme& g : graphemes(content)) {
        std::uint16_t next_x = saturating_add(x, g.width);
        if (next_x > area.right()) break;
        Cell* target = nullptr;
        if (first || (g.width != 0 && x != area.x)) {
            target = buf.cell(x, y);
            if (target) target->set_symbol(g.symbol);
        } else {
            target = buf.cell(x == area.x ? x : static_cast<std::uint16_t>(x - 1), y);
            if (target) target->append_symbol(g.symbol);
        }
        if (target) target->set_style(style);
        for (std::uint16_t hidden = static_cast<std::uint16_t>(x + 1); hidden < next_x; ++hidden) {
            if (Cell* c = buf.cell(hidden, y)) c->reset();
        }
        x = next_x;
        first = false;
    }
}

// The end of the content that fits in `width` columns, and its width.
std::pair<std::string, std::size_t> keep_end(std::string_view content, std::size_t width) {
    std::vector<Grapheme> gs = graphemes(content);
    std::size_t used = 0;
    std::size_t start = gs.size();
    while (start > 0 && used + gs[start - 1].width <= width) {
        used += gs[start - 1].width;
        --start;
    }
    std::string kept;
    for (std::size_t i = start; i < gs.size(); ++i) kept.append(gs[i].symbol);
    return {kept, used};
}

void render_spans(const std::vector<Span>& spans, Rect area, Buffer& buf, std::size_t skip) {
    for (const Span& span : spans) {
        std::size_t span_width = span.width();
        if (skip >= span_width) {
            skip -= span_width;
            continue;
        }
        std::size_t available = span_width - skip;
        skip = 0;
        if (available < span_width) {
            auto [kept, kept_width] = keep_end(span.content, available);
            area = indent_x(area, available - kept_width);
            if (area.is_empty()) break;
            render_span(kept, span.style, area, buf);
            area = indent_x(area, kept_width);
        } else {
            if (area.is_empty()) break;
            render_span(span.content, span.style, area, buf);
            area = indent_x(area, span_width);
        }
    }
}

}  // namespace

std::size_t Span::width() const {
    return display_width(content);
}

Line Line::styled(std::string text, Style s) {
    Line line(std::move(text));
    line.style = s;
    return line;
}

Line Line::with_style(Style s) const {
    Line line = *this;
    line.style = s;
    return line;
}

Line Line::aligned(Alignment a) const {
    Line line = *this;
    line.alignment = a;
    return line;
}

std::size_t Line::width() const {
    std::size_t w = 0;
    for (const Span& s : spans) w += s.width();
    return w;
}

void Line::render(Rect area, Buffer& buf) const {
    render_aligned(area, buf, std::nullopt);
}

void Line::render_aligned(Rect area, Buffer& buf, std::optional<Alignment> parent) const {
    area = area.intersection(buf.area());
    if (area.is_empty()) return;
    area.height = 1;
    std::size_t line_width = width();
    if (line_width == 0) return;
    buf.set_style(area, style);
    std::optional<Alignment> align = alignment ? alignment : parent;
    std::size_t area_width = area.width;
    if (line_width <= area_width) {
        std::size_t indent = 0;
        if (align == Alignment::Center) indent = (area_width - line_width) / 2;
        if (align == Alignment::Right) indent = area_width - line_width;
        render_spans(spans, indent_x(area, indent), buf, 0);
    } else {
        std::size_t skip = 0;
        if (align == Alignment::Right) skip = line_width - area_width;
        if (align == Alignment::Center) skip = (line_width - area_width) / 2;
        render_spans(spans, area, buf, skip);
    }
}

Text::Text(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(std::string(line));
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    if (lines.empty()) lines.emplace_back(std::string());
}

Text Text::with_style(Style s) const {
    Text t = *this;
    t.style = s;
    return t;
}

Text Text::aligned(Alignment a) const {
    Text t = *this;
    t.alignment = a;
    return t;
}

std::size_t Text::width() const {
    std::size_t w = 0;
    for (const Line& l : lines) w = std::max(w, l.width());
    return w;
}

void Text::render(Rect area, Buffer& buf) const {
    area = area.intersection(buf.area());
    buf.set_style(area, style);
    for (std::size_t i = 0; i < lines.size() && i < area.height; ++i) {
        Rect row{area.x, static_cast<std::uint16_t>(area.y + i), area.width, 1};
        lines[i].render_aligned(row, buf, alignment);
    }
}

}  // namespace tarnwick::tui
