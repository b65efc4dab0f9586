#include "tui/screens/confirm_dialog.h"

#include "core/catalog.h"
#include "tui/kit/block.h"
#include "tui/kit/clear.h"
#include "tui/kit/layout.h"
#include "tui/kit/paragraph.h"
#include "tui/kit/terminal.h"
#include "tui/term/event_reader.h"
#include "tui/term/screen_loop.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace tarnwick::tui {
namespace {

constexpr std::chrono::milliseconds kTurn{200};

void draw(Frame& frame, std::string_view message, bool yes, const ColorRoles& roles,
          const Catalog& catalog) {
    const Rect box = confirm_box(frame.area().width, frame.area().height);
    const Style accent = roles.accent;
    frame.render_widget(Clear{}, box);
    const Block block =
        Block::bordered()
            .border_style(accent)
            .style(Style{}.with_bg(Color::Black))
            .title(Line(Span(fmt::format(" {} ", translate(catalog, "confirm.title")), accent)));
    frame.render_widget(block, box);
    const auto parts =
        split_vertical(block.inner(box), {Constraint::min(2), Constraint::length(2)});
    frame.render_widget(Paragraph(Text(message)).wrap(Wrap{true}), parts[0]);
    const std::string yes_label = translate(catalog, "confirm.yes");
    const std::string no_label = translate(catalog, "confirm.no");
    // The labels keep their columns; only the brackets move.
    const std::string buttons = yes ? fmt::format("[ {} ]   {} ", yes_label, no_label)
                                    : fmt::format("  {}   [ {} ]", yes_label, no_label);
    frame.render_widget(Paragraph(Text(Line(buttons))).style(roles.highlight), parts[1]);
}

// Keys only; modifiers are not looked at, so Ctrl+y counts as y.
ScreenStep<bool> on_key(const KeyEvent& key, bool& yes) {
    switch (key.code) {
        case Key::Enter:
            return yes;
        case Key::Left:
        case Key::Right:
        case Key::Tab:
            yes = !yes;
            return std::nullopt;
        case Key::Esc:
            return false;
        case Key::Char:
            switch (key.ch) {
                case U'h':
                case U'l':
                    yes = !yes;
                    return std::nullopt;
                case U'y':
                case U'Y':
                    return true;
                case U'n':
                case U'N':
                    return false;
                default:
                    return std::nullopt;
            }
        default:
            return std::nullopt;
    }
}

// The dialog's own terminal modes: the alternate screen without mouse
// reporting, and no console mouse; events every 200 ms at most.
ScreenIo dialog_io() {
    ScreenIo io;
    io.enter = [](Backend& out) -> IoResult {
        if (auto r = enable_raw_mode(); !r) return r;
        if (auto r = clear_screen(out); !r) return r;
        if (auto r = out.write(kAlternateScreenOn); !r) return r;
        return out.flush();
    };
    io.leave = [](Backend& out) -> IoResult {
        if (auto r = disable_raw_mode(); !r) return r;
        if (auto r = out.write(kAlternateScreenOff); !r) return r;
        if (auto r = out.flush(); !r) return r;
        if (auto r = out.show_cursor(); !r) return r;
        return out.flush();
    };
    io.open_mouse = [] { return std::optional<ConsoleMouse>{}; };
    io.turn = kTurn;
    io.next = [](std::optional<ConsoleMouse>&, std::chrono::milliseconds wait) {
        return poll_terminal_event(wait);
    };
    return io;
}

}  // namespace

Rect confirm_box(std::uint16_t columns, std::uint16_t rows) {
    const auto width = std::min<std::uint16_t>(
        {std::max<std::uint16_t>(saturating_sub(columns, 6), 36), columns, 60});
    const auto height =
        std::min<std::uint16_t>({std::max<std::uint16_t>(saturating_sub(rows, 4), 7), rows, 12});
    return Rect{static_cast<std::uint16_t>((columns - width) / 2),
                static_cast<std::uint16_t>((rows - height) / 2), width, height};
}

Result<bool, IoError> confirm_dialog(std::string_view message, AutoMode color,
                                     const Catalog& catalog) {
    bool yes = false;
    ScreenHandlers<bool> handlers;
    handlers.draw = [&](Frame& frame, ScreenContext& ctx) {
        draw(frame, message, yes, ctx.roles, catalog);
    };
    handlers.on_key = [&](const KeyEvent& key, ScreenContext&) { return on_key(key, yes); };
    // Mouse, focus and paste events change nothing.
    return run_screen(color, handlers, dialog_io());
}

}  // namespace tarnwick::tui
