#include "tui/kit/block.h"

#include "tui/kit/buffer.h"

namespace tarnwick::tui {
namespace {

struct LineSet {
    std::string_view vertical, horizontal, top_left, top_right, bottom_left, bottom_right;
};

constexpr LineSet kPlain{"\u2502", "\u2500", "\u250C", "\u2510", "\u2514", "\u2518"};
constexpr LineSet kRounded{"\u2502", "\u2500", "\u256D", "\u256E", "\u2570", "\u256F"};

void put(Buffer& buf, std::uint16_t x, std::uint16_t y, std::string_view symbol, Style style) {
    if (Cell* c = buf.cell(x, y)) {
        c->set_symbol(symbol);
        c->set_style(style);
    }
}

}  // namespace

Block Block::borders(Borders b) const {
    Block copy = *this;
    copy.borders_ = b;
    return copy;
}
Block Block::border_type(BorderType t) const {
    Block copy = *this;
    copy.border_type_ = t;
    return copy;
}
Block Block::border_style(Style s) const {
    Block copy = *this;
    copy.border_style_ = s;
    return copy;
}
Block Block::style(Style s) const {
    Block copy = *this;
    copy.style_ = s;
    return copy;
}
Block Block::title(Line line) const {
    Block copy = *this;
    copy.titles_.push_back({std::move(line), TitlePosition::Top});
    return copy;
}
Block Block::title_bottom(Line line) const {
    Block copy = *this;
    copy.titles_.push_back({std::move(line), TitlePosition::Bottom});
    return copy;
}
Block Block::title_style(Style s) const {
    Block copy = *this;
    copy.title_style_ = s;
    return copy;
}
Block Block::title_alignment(Alignment a) const {
    Block copy = *this;
    copy.title_alignment_ = a;
    return copy;
}
Block Block::padding(Padding p) const {
    Block copy = *this;
    copy.padding_ = p;
    return copy;
}

bool Block::has_title_at(TitlePosition position) const {
    for (const Title& t : titles_) {
        if (t.position == position) return true;
    }
    return false;
}

Rect Block::inner(Rect area) const {
    Rect r = area;
    if (has_border(borders_, Borders::Left)) {
        r.x = std::min(saturating_add(r.x, 1), r.right());
        r.width = saturating_sub(r.width, 1);
    }
    if (has_border(borders_, Borders::Top) || has_title_at(TitlePosition::Top)) {
        r.y = std::min(saturating_add(r.y, 1), r.bottom());
        r.height = saturating_sub(r.height, 1);
    }
    if (has_border(borders_, Borders::Right)) r.width = saturating_sub(r.width, 1);
    if (has_border(borders_, Borders::Bottom) || has_title_at(TitlePosition::Bottom)) {
        r.height = saturating_sub(r.height, 1);
    }
    r.x = saturating_add(r.x, padding_.left);
    r.y = saturating_add(r.y, padding_.top);
    r.width = saturating_sub(r.width, saturating_add(padding_.left, padding_.right));
    r.height = saturating_sub(r.height, saturating_add(padding_.top, padding_.bottom));
    return r;
}

void Block::render(Rect area, Buffer& buf) const {
    area = area.intersection(buf.area());
    if (area.is_empty()) return;
    buf.set_style(area, style_);

    const LineSet& set = border_type_ == BorderType::Rounded ? kRounded : kPlain;
    const auto last_x = static_cast<std::uint16_t>(area.right() - 1);
    const auto last_y = static_cast<std::uint16_t>(area.bottom() - 1);
    const bool left = has_border(borders_, Borders::Left);
    const bool top = has_border(borders_, Borders::Top);
    const bool right = has_border(borders_, Borders::Right);
    const bool bottom = has_border(borders_, Borders::Bottom);
    if (left) {
        for (std::uint16_t y = area.top(); y < area.bottom(); ++y)
            put(buf, area.x, y, set.vertical, border_style_);
    }
    if (top) {
        for (std::uint16_t x = area.left(); x < area.right(); ++x)
            put(buf, x, area.y, set.horizontal, border_style_);
    }
    if (right) {
        for (std::uint16_t y = area.top(); y < area.bottom(); ++y)
            put(buf, last_x, y, set.vertical, border_style_);
    }
    if (bottom) {
        for (std::uint16_t x = area.left(); x < area.right(); ++x)
            put(buf, x, last_y, set.horizontal, border_style_);
    }
    if (right && bottom) put(buf, last_x, last_y, set.bottom_right, border_style_);
    if (right && top) put(buf, last_x, area.y, set.top_right, border_style_);
    if (left && bottom) put(buf, area.x, last_y, set.bottom_left, border_style_);
    if (left && top) put(buf, area.x, area.y, set.top_left, border_style_);

    render_titles(TitlePosition::Top, area, buf);
    render_titles(TitlePosition::Bottom, area, buf);
}

// Right-aligned titles first, then centred, then left-aligned ones, so a left
// title wins where they overlap. Titles never cover the corner cells.
void Block::render_titles(TitlePosition position, Rect area, Buffer& buf) const {
    const std::uint16_t left_border = has_border(borders_, Borders::Left) ? 1 : 0;
    const std::uint16_t right_border = has_border(borders_, Borders::Right) ? 1 : 0;
    const Rect strip{
        saturating_add(area.x, left_border),
        position == TitlePosition::Top ? area.y : static_cast<std::uint16_t>(area.bottom() - 1),
        saturating_sub(saturating_sub(area.width, left_border), right_border), 1};
    auto titles_with = [&](Alignment alignment) {
        std::vector<const Line*> out;
        for (const Title& t : titles_) {
            if (t.position == position &&
                t.line.alignment.value_or(title_alignment_) == alignment) {
                out.push_back(&t.line);
            }
        }
        return out;
    };
    auto draw = [&](const Line& line, Rect box) {
        buf.set_style(box, title_style_);
        line.render(box, buf);
    };
    auto width_of = [](const Line* line) {
        return static_cast<std::uint16_t>(std::min<std::size_t>(line->width(), 0xFFFF));
    };

    Rect rest = strip;
    auto right_titles = titles_with(Alignment::Right);
    for (auto it = right_titles.rbegin(); it != right_titles.rend(); ++it) {
        if (rest.is_empty()) break;
        std::uint16_t w = width_of(*it);
        Rect box{std::max(saturating_sub(rest.right(), w), rest.left()), rest.y,
                 std::min(w, rest.width), 1};
        draw(**it, box);
        rest.width = saturating_sub(saturating_sub(rest.width, w), 1);
    }

    auto centre_titles = titles_with(Alignment::Center);
    std::uint16_t total = 0;
    for (const Line* line : centre_titles)
        total = saturating_add(total, saturating_add(width_of(line), 1));
    total = saturating_sub(total, 1);
    rest = strip;
    rest.x =
        saturating_add(rest.x, static_cast<std::uint16_t>(saturating_sub(rest.width, total) / 2));
    for (const Line* line : centre_titles) {
        if (rest.is_empty()) break;
        std::uint16_t w = width_of(line);
        draw(*line, Rect{rest.x, rest.y, std::min(w, rest.width), 1});
        rest.x = saturating_add(rest.x, saturating_add(w, 1));
        rest.width = saturating_sub(rest.width, saturating_add(w, 1));
    }

    rest = strip;
    for (const Line* line : titles_with(Alignment::Left)) {
        if (rest.is_empty()) break;
        std::uint16_t w = width_of(line);
        draw(*line, Rect{rest.x, rest.y, std::min(w, rest.width), 1});
        rest.x = saturating_add(rest.x, saturating_add(w, 1));
        rest.width = saturating_sub(rest.width, saturating_add(w, 1));
    }
}

}  // namespace tarnwick::tui
