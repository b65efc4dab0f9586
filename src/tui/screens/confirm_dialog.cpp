#include "tui/screens/confirm_dialog.h"

#include "core/catalog.h"
#include "tui/kit/block.h"
#include "tui/kit/clear.h"
#include "tui/kit/fd_backend.h"
#include "tui/kit/layout.h"
#include "tui/kit/paragraph.h"
#include "tui/kit/terminal.h"
#include "tui/term/color_depth.h"
#include "tui/term/event_reader.h"
#include "tui/term/terminal.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include <unistd.h>

namespace tarnwick::tui {
namespace {

constexpr std::chrono::milliseconds kTurn{200};

void draw(Frame& frame, std::string_view message, bool yes, ColorDepth depth, const Catalog& catalog) {
    const Size size{frame.area().width, frame.area().height};
    const Rect box = confirm_box(size.width, size.height);
    const ColorRoles roles = color_roles(depth);
    const Style accent = roles.accent;
    frame.render_widget(Clear{}, box);
    const Block block = Block::bordered()
                            .border_style(accent)
                            .style(Style{}.with_bg(Color::Black))
                            .title(Line(Span(fmt::format(" {} ", translate(catalog, "confirm.title")), accent)));
    frame.render_widget(block, box);
    const auto parts = split_vertical(block.inner(box), {Constraint::min(2), Constraint::length(2)});
    frame.render_widget(Paragraph(Text(message)).wrap(Wrap{true}), parts[0]);
    const std::string yes_label = translate(catalog, "confirm.yes");
    const std::string no_label = translate(catalog, "confirm.no");
    // The labels keep their columns; only the brackets move.
    const std::string buttons = yes ? fmt::format("[ {} ]   {} ", yes_label, no_label)
                                    : fmt::format("  {}   [ {} ]", yes_label, no_label);
    frame.render_widget(Paragraph(Text(Line(buttons))).style(roles.highlight), parts[1]);
}

enum class Answer { Pending, Yes, No };

// Keys only; modifiers are not looked at, so Ctrl+y counts as y.
Answer on_key(const KeyEvent& key, bool& yes) {
    switch (key.code) {
        case Key::Enter: return yes ? Answer::Yes : Answer::No;
        case Key::Left:
        case Key::Right:
        case Key::Tab: yes = !yes; return Answer::Pending;
        case Key::Esc: yes = false; return Answer::No;
        case Key::Char:
            switch (key.ch) {
                case U'h':
                case U'l': yes = !yes; return Answer::Pending;
                case U'y':
                case U'Y': yes = true; return Answer::Yes;
                case U'n':
                case U'N': yes = false; return Answer::No;
                default: return Answer::Pending;
            }
        default: return Answer::Pending;
    }
}

}  // namespace

Rect confirm_box(std::uint16_t columns, std::uint16_t rows) {
    const auto width = std::min<std::uint16_t>({std::max<std::uint16_t>(saturating_sub(columns, 6), 36), columns, 60});
    const auto height = std::min<std::uint16_t>({std::max<std::uint16_t>(saturating_sub(rows, 4), 7), rows, 12});
    return Rect{static_cast<std::uint16_t>((columns - width) / 2), static_cast<std::uint16_t>((rows - height) / 2),
                width, height};
}

Result<bool, IoError> confirm_dialog(std::string_view message, AutoMode color, const Catalog& catalog) {
    const ColorDepth depth = color_depth(color);
    FdBackend backend(STDOUT_FILENO);
    if (auto r = enable_raw_mode(); !r) return fail(r.error());
    if (auto r = clear_screen(backend); !r) return fail(r.error());
    if (auto r = backend.write(kAlternateScreenOn); !r) return fail(r.error());
    if (auto r = backend.flush(); !r) return fail(r.error());

    auto terminal = Terminal::create(backend);
    if (!terminal) return fail(terminal.error());

    bool yes = false;
    Answer answer = Answer::Pending;
    while (answer == Answer::Pending) {
        (void)terminal->autoresize();
        if (auto r = terminal->draw([&](Frame& frame) { draw(frame, message, yes, depth, catalog); }); !r) {
            return fail(r.error());
        }
        auto event = poll_terminal_event(kTurn);
        if (!event) return fail(event.error());
        if (!*event) continue;
        if (const auto* key = std::get_if<KeyEvent>(&**event)) {
            if (key->is_press()) answer = on_key(*key, yes);
        } else if (const auto* resize = std::get_if<ResizeEvent>(&**event)) {
            (void)terminal->resize(Size{resize->columns, resize->rows});
        }
        // Mouse, focus and paste events change nothing.
    }

    if (auto r = disable_raw_mode(); !r) return fail(r.error());
    if (auto r = backend.write(kAlternateScreenOff); !r) return fail(r.error());
    if (auto r = backend.flush(); !r) return fail(r.error());
    if (auto r = terminal->show_cursor(); !r) return fail(r.error());
    if (auto r = backend.flush(); !r) return fail(r.error());
    return answer == Answer::Yes;
}

}  // namespace tarnwick::tui
