#pragma once
// The event reader of every full-screen screen: console-mouse changes first,
// then terminal input, waiting at most 50 ms.

#include "tui/term/console_mouse.h"
#include "tui/term/event_reader.h"

#include <chrono>
#include <optional>

namespace tarnwick::tui {

inline constexpr std::chrono::milliseconds kEventWait{50};

// One event, nothing (no event within 50 ms) or an I/O error of the terminal.
// Queued console-mouse events are handed out oldest first before the console
// or the terminal is asked again; a refused console poll falls back to the
// terminal. With TARNWICK_MOUSE_TRACE set (even empty) each console-mouse
// event is traced on standard error.
EventResult next_event(std::optional<ConsoleMouse>& mouse);

// The same with another wait for the terminal; zero takes only an event that
// is already pending.
EventResult next_event(std::optional<ConsoleMouse>& mouse, std::chrono::milliseconds wait);

// The same over a given terminal reader (tests, nested readers).
EventResult next_event(std::optional<ConsoleMouse>& mouse, EventReader& reader,
                       std::chrono::milliseconds wait = kEventWait);

}  // namespace tarnwick::tui
