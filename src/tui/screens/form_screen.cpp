#include "tui/screens/form_screen.h"

#include "core/case_map.h"
#include "core/catalog.h"
#include "core/text.h"
#include "tui/kit/block.h"
#include "tui/kit/layout.h"
#include "tui/kit/paragraph.h"
#include "tui/kit/terminal.h"
#include "tui/screens/form_logic.h"
#include "tui/term/screen_loop.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>

namespace tarnwick::tui {
namespace {

constexpr std::uint16_t kPage = 8;
constexpr std::uint16_t kMaxScroll = std::numeric_limits<std::uint16_t>::max();

// Pads with blanks on the right, or cuts, to exactly `width` characters.
std::string fit_chars(std::string_view text, std::size_t width) {
    std::string out(take_chars(text, width));
    out.append(width - std::min(width, char_count(out)), ' ');
    return out;
}

struct FormState {
    std::vector<tmpl::FormField> rows;
    std::uint16_t scroll = 0;
    FormRowTable drawn;  // the rows of the last drawing, for the mouse
};

void draw_line(Frame& frame, std::string text, Style style, Rect area,
               Alignment alignment = Alignment::Left) {
    frame.render_widget(Paragraph(Text(Line(Span(std::move(text), style)))).alignment(alignment),
                        area);
}

void draw_body(Frame& frame, FormState& state, const ColorRoles& roles, Rect body) {
    const FormColumns cols = form_columns(body);
    const Color accent = roles.accent.fg.value_or(Color::White);
    const Style heading = Style{}.with_fg(Color::Black).with_bg(accent).add(Modifier::Bold);
    const Style label = roles.title.with_bg(Color::Black);
    const Style value = Style{}.with_fg(Color::White).with_bg(Color::Black);

    state.drawn.clear();
    const std::size_t n = state.rows.size();
    const std::size_t end = std::min<std::size_t>(std::size_t{state.scroll} + cols.rows, n);
    for (std::size_t i = state.scroll; i < end; ++i) {
        const auto y = static_cast<std::uint16_t>(body.y + (i - state.scroll));
        state.drawn.push_back(FormRowSlot{y, i});
        const tmpl::FormField& row = state.rows[i];
        if (row.heading) {
            const std::string text = fmt::format("  {}  ", uppercase_full(row.label));
            draw_line(frame, pad_chars(text, cols.width), heading, Rect{cols.x0, y, cols.width, 1});
            continue;
        }
        const std::size_t label_room = cols.label > 0 ? cols.label - 1u : 0u;
        draw_line(frame, fmt::format(" {}", pad_chars(row.label, label_room)), label,
                  Rect{cols.x0, y, cols.label, 1});
        draw_line(frame, form_value_cell(row, cols.value), value,
                  Rect{cols.value_x, y, cols.value, 1});
    }
}

void draw(Frame& frame, FormState& state, const ColorRoles& roles, std::string_view title,
          const Catalog& catalog) {
    const Style accent = roles.accent.with_bg(Color::Black);
    const Style white = Style{}.with_fg(Color::White).with_bg(Color::Black);
    const Rect area = frame.area();
    frame.render_widget(Block().style(white), area);
    const Block outer =
        Block::bordered().border_style(roles.accent).style(Style{}.with_bg(Color::Black));
    frame.render_widget(outer, area);
    const auto parts = split_vertical(
        outer.inner(area), {Constraint::length(1), Constraint::min(8), Constraint::length(3)});

    const auto top = split_horizontal(
        parts[0], {Constraint::length(14), Constraint::min(20), Constraint::length(12)});
    draw_line(frame, fmt::format(" {}", translate(catalog, "brand.name")),
              roles.title.with_bg(Color::Black).add(Modifier::Bold), top[0]);
    draw_line(frame, std::string(title), white.add(Modifier::Bold), top[1], Alignment::Center);
    draw_line(frame, fmt::format("[{}]", translate(catalog, "form.mode.view")),
              accent.add(Modifier::Bold), top[2], Alignment::Right);

    draw_body(frame, state, roles, parts[1]);

    const Rect footer = parts[2];
    if (footer.height == 0) return;
    std::string rule;
    for (std::uint16_t i = 0; i < footer.width; ++i) rule += "─";
    draw_line(frame, std::move(rule), accent, Rect{footer.x, footer.y, footer.width, 1});
    if (footer.height > 1) {
        draw_line(frame, fmt::format(" {}", translate(catalog, "form.help.view_only")),
                  white.add(Modifier::Bold),
                  Rect{footer.x, static_cast<std::uint16_t>(footer.y + 1), footer.width, 1});
    }
    if (footer.height > 2) {
        const std::size_t visible = form_columns(parts[1]).rows;
        draw_line(frame,
                  fmt::format(" {}", form_footer_text(translate(catalog, "form.footer"),
                                                      state.scroll, visible, state.rows.size())),
                  accent,
                  Rect{footer.x, static_cast<std::uint16_t>(footer.y + 2), footer.width, 1});
    }
}

void scroll_by(std::uint16_t& scroll, int delta) {
    const int next = std::clamp(int{scroll} + delta, 0, int{kMaxScroll});
    scroll = static_cast<std::uint16_t>(next);
}

using Step = ScreenStep<tmpl::FormOutcome>;

Step on_key(const KeyEvent& key, FormState& state) {
    switch (key.code) {
        case Key::Enter:
        case Key::Esc:
            return tmpl::FormOutcome::Back;
        case Key::Up:
            scroll_by(state.scroll, -1);
            break;
        case Key::Down:
            scroll_by(state.scroll, 1);
            break;
        case Key::Home:
            state.scroll = 0;
            break;
        case Key::PageUp:
            scroll_by(state.scroll, -kPage);
            break;
        case Key::PageDown:
            scroll_by(state.scroll, kPage);
            break;
        case Key::Char:
            if (key.ch == U'q') return tmpl::FormOutcome::Back;
            if (key.ch == U'k') scroll_by(state.scroll, -1);
            if (key.ch == U'j') scroll_by(state.scroll, 1);
            break;
        default:
            break;
    }
    return std::nullopt;
}

Step on_mouse(const MouseEvent& mouse, FormState& state) {
    switch (mouse.kind) {
        case MouseEventKind::ScrollUp:
            scroll_by(state.scroll, -1);
            break;
        case MouseEventKind::ScrollDown:
            scroll_by(state.scroll, 1);
            break;
        case MouseEventKind::Down:
            // Every row is view-only: a click finds its row and changes nothing.
            if (mouse.button == MouseButton::Left) (void)form_field_at(state.drawn, mouse.row);
            break;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace

FormColumns form_columns(Rect body) {
    FormColumns cols;
    cols.x0 = saturating_add(body.x, 1);
    cols.width = std::max<std::uint16_t>(saturating_sub(body.width, 2), 24);
    cols.rows = std::max<std::uint16_t>(body.height, 4);
    cols.label = std::clamp<std::uint16_t>(
        static_cast<std::uint16_t>(std::uint32_t{cols.width} * 28 / 100), 16, 26);
    cols.value_x = saturating_add(cols.x0, cols.label);
    cols.value = std::max<std::uint16_t>(saturating_sub(cols.width, cols.label), 8);
    return cols;
}

std::string form_value_cell(const tmpl::FormField& row, std::uint16_t width) {
    const std::string_view open = row.disabled ? "  " : "│ ";
    const std::string_view close = row.disabled ? "  " : " │";
    const std::string_view text =
        row.disabled && row.value.empty() ? tmpl::kNoValue : std::string_view(row.value);
    const std::size_t frame = char_count(open) + char_count(close);
    const std::size_t inner = std::max<std::size_t>(width - std::min<std::size_t>(width, frame), 1);
    std::string cell(open);
    cell += fit_chars(text, inner);
    cell += close;
    return fit_chars(cell, width);
}

std::string form_footer_text(std::string_view footer, std::uint16_t scroll, std::size_t visible,
                             std::size_t total) {
    const std::size_t shown_end = std::min<std::size_t>(std::size_t{scroll} + visible, total);
    if (visible < total && (scroll > 0 || shown_end < total)) {
        return fmt::format("{}   ·   ↑{} ↓{}", footer, scroll, total - shown_end);
    }
    return std::string(footer);
}

Result<tmpl::FormOutcome, IoError> form_screen(std::string_view title,
                                               const std::vector<tmpl::FormField>& rows,
                                               AutoMode color, const Catalog& catalog) {
    FormState state{rows, 0, {}};
    ScreenHandlers<tmpl::FormOutcome> handlers;
    handlers.draw = [&](Frame& frame, ScreenContext& ctx) {
        draw(frame, state, ctx.roles, title, catalog);
    };
    handlers.on_key = [&](const KeyEvent& key, ScreenContext&) { return on_key(key, state); };
    handlers.on_mouse = [&](const MouseEvent& mouse, ScreenContext&) {
        return on_mouse(mouse, state);
    };
    return run_screen(color, handlers);
}

}  // namespace tarnwick::tui
