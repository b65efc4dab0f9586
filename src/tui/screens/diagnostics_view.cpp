#include "tui/screens/diagnostics_view.h"

#include "tui/kit/block.h"
#include "tui/kit/layout.h"
#include "tui/kit/paragraph.h"
#include "tui/term/screen_loop.h"

#include <fmt/format.h>

namespace tarnwick::tui {

namespace {

constexpr std::string_view kNoLines = "  (no diagnostic lines yet)";

Style on_black(Color fg) {
    return Style{}.with_fg(fg).with_bg(Color::Black);
}

void draw_row(Buffer& buf, Rect area, std::uint16_t row, std::string text, Style style) {
    if (row >= area.height) {
        return;
    }
    Paragraph(Text(Line(Span(std::move(text), style))))
        .style(style)
        .render(Rect{area.x, static_cast<std::uint16_t>(area.y + row), area.width, 1}, buf);
}

}  // namespace

void draw_diagnostics(Buffer& buf, Rect area, const DiagnosticsContent& content,
                      const DiagnosticsScroll& scroll) {
    const Color accent = content.mono ? Color::White : Color::Cyan;
    const Color title = content.mono ? Color::White : Color::LightCyan;
    const Style base = on_black(Color::White);

    Block().style(base).render(area, buf);
    const Block frame = Block::bordered().border_style(on_black(accent));
    frame.render(area, buf);
    const auto parts = split_vertical(
        frame.inner(area), {Constraint::length(2), Constraint::min(4), Constraint::length(2)});
    const Rect header = parts[0];
    const Rect body = parts[1];
    const Rect footer = parts[2];

    draw_row(buf, header, 0, std::string(content.title), on_black(title).add(Modifier::Bold));
    if (header.height >= 2) {
        draw_row(buf, header, 1, std::string(content.subtitle), on_black(accent));
    }

    const std::size_t count = content.lines.size();
    const std::size_t start = diagnostics_first_line(scroll, count, body.height);
    if (count == 0) {
        draw_row(buf, body, 0, std::string(kNoLines), on_black(Color::DarkGray));
    }
    for (std::uint16_t i = 0; i < body.height && start + i < count; ++i) {
        draw_row(buf, body, i, diagnostics_row_text(start + i + 1, content.lines[start + i]), base);
    }

    std::string rule;
    for (std::uint16_t i = 0; i < footer.width; ++i) {
        rule += "─";
    }
    draw_row(buf, footer, 0, std::move(rule), on_black(accent));
    if (footer.height >= 2) {
        const std::string text = fmt::format(" {}   ·   {}", content.help,
                                             diagnostics_count_text(count, start, body.height));
        draw_row(buf, footer, 1, text, base.add(Modifier::Bold));
    }
}

std::optional<DiagnosticsMove> diagnostics_key_move(const KeyEvent& key) {
    switch (key.code) {
        case Key::Enter:
        case Key::Esc:
            return std::nullopt;
        case Key::F:
            return key.number == 1 ? std::nullopt : std::optional(DiagnosticsMove::None);
        case Key::Up:
            return DiagnosticsMove::LineUp;
        case Key::Down:
            return DiagnosticsMove::LineDown;
        case Key::PageUp:
            return DiagnosticsMove::PageUp;
        case Key::PageDown:
            return DiagnosticsMove::PageDown;
        case Key::Home:
            return DiagnosticsMove::Top;
        case Key::End:
            return DiagnosticsMove::Bottom;
        case Key::Char:
            switch (key.ch) {
                case U'q':
                    return std::nullopt;
                case U'k':
                    return DiagnosticsMove::LineUp;
                case U'j':
                    return DiagnosticsMove::LineDown;
                case U'G':
                    return DiagnosticsMove::Bottom;
                default:
                    return DiagnosticsMove::None;
            }
        default:
            return DiagnosticsMove::None;
    }
}

Result<void, IoError> diagnostics_view(Terminal& terminal, std::string_view title,
                                       std::string_view subtitle,
                                       const std::vector<std::string>& lines, bool mono,
                                       std::string_view help, const EventSource& events) {
    struct Closed {};
    const DiagnosticsContent content{title, subtitle, lines, mono, help};
    DiagnosticsScroll scroll;
    ScreenHandlers<Closed> handlers;
    handlers.draw = [&](Frame& frame, ScreenContext&) {
        draw_diagnostics(frame.buffer(), frame.area(), content, scroll);
    };
    handlers.on_key = [&](const KeyEvent& key, ScreenContext& ctx) -> ScreenStep<Closed> {
        const auto move = diagnostics_key_move(key);
        if (!move) return Closed{};
        auto size = ctx.terminal.backend().size();
        if (!size) return fail(size.error());
        apply_diagnostics_move(scroll, *move, lines.size(), diagnostics_page(size->height));
        return std::nullopt;
    };
    // Keys only: mouse reports are read and dropped, the console mouse is not
    // polled; one event per turn.
    std::optional<ConsoleMouse> no_mouse;
    const ColorDepth depth = mono ? ColorDepth::Mono : ColorDepth::Color16;
    ScreenContext ctx{terminal, no_mouse, depth, color_roles(depth)};
    auto closed = run_turns(ctx, handlers, TurnEvents{kDiagnosticsWait, events, false});
    if (!closed) return fail(closed.error());
    return {};
}

}  // namespace tarnwick::tui
