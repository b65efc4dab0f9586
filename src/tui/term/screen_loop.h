#pragma once
// The loop every full-screen screen runs (login, menu, form, network panel):
//
//   1. colour depth from the AutoMode setting;
//   2. enter_tui (raw mode, alternate screen, mouse reporting);
//   3. open the console mouse (absent off FreeBSD);
//   4. create the double-buffered terminal and clear it;
//   5. each turn: resize if the size changed (errors ignored), draw a frame,
//      wait up to 50 ms for an event, then take every further event that is
//      already pending, and dispatch them in order: key presses to on_key
//      (repeats and releases are dropped), mouse events to on_mouse, a resize
//      resizes the buffers; focus and paste change nothing. A burst of input
//      thus costs one frame, not one per event; the frames skipped are ones
//      nobody could have seen. A mouse event that follows other events of
//      the same turn is hit-tested against a frame rendered (not sent) for
//      the state those events left, as if each had been drawn;
//   6. a handler's result ends the screen: leave_tui, then the terminal is
//      dropped (the cursor already shown) and the console mouse closed; a
//      failing leave_tui is returned instead of the result. Events still
//      pending stay with the reader for the next screen;
//   7. an error of drawing, reading or a handler ends the screen at once:
//      no leave_tui, the terminal stays in its modes until the caller runs
//      restore_terminal.
//
// A screen supplies its state through the handlers' captures:
//
//   ScreenHandlers<LoginRequest> h;
//   h.draw = [&](Frame& f, ScreenContext& ctx) { draw_login(f, state, ctx.roles); };
//   h.on_key = [&](const KeyEvent& k, ScreenContext&) -> ScreenStep<LoginRequest> {
//       if (k.code == Key::Enter) return LoginRequest{...};
//       return std::nullopt;  // keep going
//   };
//   auto result = run_screen(cli.color, h);
//
// A key handler must not depend on what drawing computes (it may run several
// times between two frames); a mouse handler may.
//
// Steps 5 and 7 alone are run_turns: a view drawn on the terminal of the
// screen that opened it (the diagnostics view) runs them with its own event
// source and wait, and leaves the terminal's modes to its caller.

#include "core/config.h"
#include "tui/kit/terminal.h"
#include "tui/term/color_depth.h"
#include "tui/term/next_event.h"
#include "tui/term/terminal.h"

#include <chrono>
#include <functional>
#include <optional>
#include <type_traits>
#include <variant>

namespace tarnwick::tui {

struct ScreenContext {
    Terminal& terminal;
    std::optional<ConsoleMouse>& mouse;
    ColorDepth depth;
    ColorRoles roles;
};

// A handler's answer: a result ends the screen, nullopt keeps it going, an
// error ends it without leave_tui.
template <class T>
using ScreenStep = Result<std::optional<T>, IoError>;

template <class T>
struct ScreenHandlers {
    std::function<void(Frame&, ScreenContext&)> draw;
    std::function<ScreenStep<T>(const KeyEvent&, ScreenContext&)> on_key;
    std::function<ScreenStep<T>(const MouseEvent&, ScreenContext&)> on_mouse;
};

// Where the loop gets its terminal, modes and events. The defaults are the
// program's; a dialog without mouse modes (or a test) passes its own.
struct ScreenIo {
    Backend* backend = &standard_output();
    std::function<IoResult(Backend&)> enter = [](Backend& b) { return enter_tui(b); };
    std::function<IoResult(Backend&)> leave = [](Backend& b) { return leave_tui(b); };
    std::function<std::optional<ConsoleMouse>()> open_mouse = [] { return open_console_mouse(); };
    // The longest wait for the first event of a turn.
    std::chrono::milliseconds turn = kEventWait;
    // The next event within `wait`; a zero wait takes only one already pending.
    std::function<EventResult(std::optional<ConsoleMouse>&, std::chrono::milliseconds)> next =
        [](std::optional<ConsoleMouse>& m, std::chrono::milliseconds wait) {
            return next_event(m, wait);
        };
};

// Where run_turns takes its events from.
struct TurnEvents {
    // The longest wait for the first event of a turn.
    std::chrono::milliseconds turn = kEventWait;
    // The next event within the wait; a zero wait takes only one already pending.
    std::function<EventResult(std::chrono::milliseconds)> next;
    // Take every pending event before the next frame; else one event per turn.
    bool drain = true;
};

// The turns of a screen on a terminal that is already set up: draw, wait,
// dispatch, until a handler's result or the first error.
template <class T>
Result<T, IoError> run_turns(ScreenContext& ctx, ScreenHandlers<T>& handlers,
                             const TurnEvents& events) {
    Terminal& terminal = ctx.terminal;
    const auto render = [&](Frame& frame) {
        if (handlers.draw) handlers.draw(frame, ctx);
    };
    while (true) {
        (void)terminal.autoresize();
        if (auto drawn = terminal.draw(render); !drawn) return fail(drawn.error());

        bool rendered = true;  // the handlers' state is what the last render saw
        for (auto wait = events.turn;; wait = std::chrono::milliseconds{0}) {
            auto next = events.next(wait);
            if (!next) return fail(next.error());
            if (!*next) break;

            ScreenStep<T> step = std::optional<T>{};
            if (const auto* key = std::get_if<KeyEvent>(&**next)) {
                if (key->is_press() && handlers.on_key) {
                    step = handlers.on_key(*key, ctx);
                    rendered = false;
                }
            } else if (const auto* m = std::get_if<MouseEvent>(&**next)) {
                if (handlers.on_mouse) {
                    if (!rendered) terminal.render_unsent(render);
                    step = handlers.on_mouse(*m, ctx);
                    rendered = false;
                }
            } else if (const auto* r = std::get_if<ResizeEvent>(&**next)) {
                (void)terminal.resize(Size{r->columns, r->rows});
                rendered = false;
            }
            if (!step) return fail(step.error());
            if (*step) return std::move(**step);
            if (!events.drain) break;
        }
    }
}

template <class T>
Result<T, IoError> run_screen(AutoMode color, ScreenHandlers<T>& handlers,
                              const ScreenIo& io = ScreenIo{}) {
    const ColorDepth depth = color_depth(color);
    Backend& backend = *io.backend;
    if (auto entered = io.enter(backend); !entered) return fail(entered.error());
    std::optional<ConsoleMouse> mouse = io.open_mouse();
    auto created = Terminal::create(backend);
    if (!created) return fail(created.error());
    Terminal& terminal = *created;
    if (auto cleared = terminal.clear(); !cleared) return fail(cleared.error());
    ScreenContext ctx{terminal, mouse, depth, color_roles(depth)};

    const TurnEvents events{
        io.turn, [&](std::chrono::milliseconds wait) { return io.next(mouse, wait); }, true};
    auto result = run_turns(ctx, handlers, events);
    if (!result) return fail(result.error());
    if (auto left = io.leave(backend); !left) return fail(left.error());
    terminal.set_cursor_hidden(false);
    return result;
}

}  // namespace tarnwick::tui
