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

// What a row's value cells are made of: the frames, the text ("—" for a
// disabled row without a value) and the room between the frames.
struct ValueFrame {
    std::string_view open;
    std::string_view close;
    std::string_view text;
    std::size_t inner = 1;  // the room between the frames, at least 1
};

ValueFrame value_frame(const tmpl::FormField& row, std::uint16_t width) {
    ValueFrame f;
    f.open = row.disabled ? "  " : "│ ";
    f.close = row.disabled ? "  " : " │";
    f.text = row.disabled && row.value.empty() ? tmpl::kNoValue : std::string_view(row.value);
    const std::size_t frames = char_count(f.open) + char_count(f.close);
    f.inner = std::max<std::size_t>(width - std::min<std::size_t>(width, frames), 1);
    return f;
}

std::string framed(const ValueFrame& f, std::string_view text, std::uint16_t width) {
    std::string cell(f.open);
    cell += fit_chars(text, f.inner);
    cell += f.close;
    return fit_chars(cell, width);
}

// A blank a wrapped value may break at. No-break spaces are not among them.
bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The text in lines of at most `room` characters (room >= 1), broken at runs
// of blanks, which a break drops; blanks that start the text stay with its
// first word. A word longer than the room is cut hard.
std::vector<std::string> wrap_chars(std::string_view text, std::size_t room) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t line_chars = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t gap_start = pos;
        while (pos < text.size() && is_blank(text[pos])) ++pos;
        const std::size_t word_start = pos;
        while (pos < text.size() && !is_blank(text[pos])) ++pos;
        if (pos == word_start) break;  // only blanks are left
        const std::size_t from = gap_start == 0 ? 0 : word_start;
        const std::string_view gap = text.substr(gap_start, word_start - gap_start);
        std::string_view word = text.substr(from, pos - from);
        std::size_t word_chars = char_count(word);
        if (line_chars > 0) {
            if (line_chars + char_count(gap) + word_chars <= room) {
                line += gap;
                line += word;
                line_chars += char_count(gap) + word_chars;
                continue;
            }
            lines.push_back(std::move(line));
            line.clear();
            line_chars = 0;
        }
        while (word_chars > room) {
            const std::string_view head = take_chars(word, room);
            lines.emplace_back(head);
            word.remove_prefix(head.size());
            word_chars -= room;
        }
        line = std::string(word);
        line_chars = word_chars;
    }
    if (line_chars > 0 || lines.empty()) lines.push_back(std::move(line));
    return lines;
}

// One line of the body: the row it belongs to and, for a row that is not a
// heading, its value cell there. Only a row's first line carries the label.
struct BodyLine {
    std::size_t row = 0;
    bool first = true;
    std::string cell;
};

std::vector<BodyLine> body_lines(const std::vector<tmpl::FormField>& rows, std::uint16_t value,
                                 ValueFit fit) {
    std::vector<BodyLine> lines;
    lines.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].heading) {
            lines.push_back(BodyLine{i, true, {}});
            continue;
        }
        bool first = true;
        for (std::string& cell : form_value_lines(rows[i], value, fit)) {
            lines.push_back(BodyLine{i, first, std::move(cell)});
            first = false;
        }
    }
    return lines;
}

struct FormState {
    std::vector<tmpl::FormField> rows;
    ValueFit fit = ValueFit::Cut;
    std::uint16_t scroll = 0;
    FormRowTable drawn;  // the lines of the last drawing, for the mouse
};

void draw_line(Frame& frame, std::string text, Style style, Rect area,
               Alignment alignment = Alignment::Left) {
    frame.render_widget(Paragraph(Text(Line(Span(std::move(text), style)))).alignment(alignment),
                        area);
}

void draw_body(Frame& frame, FormState& state, const ColorRoles& roles, const FormColumns& cols,
               const std::vector<BodyLine>& lines, Rect body) {
    const Color accent = roles.accent.fg.value_or(Color::White);
    const Style heading = Style{}.with_fg(Color::Black).with_bg(accent).add(Modifier::Bold);
    const Style label = roles.title.with_bg(Color::Black);
    const Style value = Style{}.with_fg(Color::White).with_bg(Color::Black);

    state.drawn.clear();
    const std::size_t end =
        std::min<std::size_t>(std::size_t{state.scroll} + cols.rows, lines.size());
    for (std::size_t i = state.scroll; i < end; ++i) {
        const auto y = static_cast<std::uint16_t>(body.y + (i - state.scroll));
        const BodyLine& line = lines[i];
        state.drawn.push_back(FormRowSlot{y, line.row});
        const tmpl::FormField& row = state.rows[line.row];
        if (row.heading) {
            const std::string text = fmt::format("  {}  ", uppercase_full(row.label));
            draw_line(frame, pad_chars(text, cols.width), heading, Rect{cols.x0, y, cols.width, 1});
            continue;
        }
        const std::size_t label_room = cols.label > 0 ? cols.label - 1u : 0u;
        const std::string_view shown = line.first ? std::string_view(row.label) : "";
        draw_line(frame, fmt::format(" {}", pad_chars(shown, label_room)), label,
                  Rect{cols.x0, y, cols.label, 1});
        draw_line(frame, line.cell, value, Rect{cols.value_x, y, cols.value, 1});
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

    // Wrapped again at every drawing: the terminal may have been resized.
    const FormColumns cols = form_columns(parts[1]);
    const std::vector<BodyLine> lines = body_lines(state.rows, cols.value, state.fit);
    draw_body(frame, state, roles, cols, lines, parts[1]);

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
        draw_line(frame,
                  fmt::format(" {}", form_footer_text(translate(catalog, "form.footer"),
                                                      state.scroll, cols.rows, lines.size())),
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
    const ValueFrame f = value_frame(row, width);
    return framed(f, f.text, width);
}

std::vector<std::string> form_value_lines(const tmpl::FormField& row, std::uint16_t width,
                                          ValueFit fit) {
    const ValueFrame f = value_frame(row, width);
    if (fit == ValueFit::Cut) return {framed(f, f.text, width)};
    std::vector<std::string> cells;
    for (const std::string& line : wrap_chars(f.text, f.inner))
        cells.push_back(framed(f, line, width));
    return cells;
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
                                               AutoMode color, const Catalog& catalog,
                                               ValueFit fit) {
    FormState state{rows, fit, 0, {}};
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
