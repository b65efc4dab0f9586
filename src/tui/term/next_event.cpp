#include "tui/term/next_event.h"

#include "tui/kit/fd_backend.h"

#include <unistd.h>

#include <cstdlib>

namespace tarnwick::tui {
namespace {

std::optional<MouseEvent> console_event(std::optional<ConsoleMouse>& mouse) {
    if (!mouse) return std::nullopt;
    auto e = mouse->next();
    if (e && std::getenv("TARNWICK_MOUSE_TRACE") != nullptr) {
        (void)write_all(STDERR_FILENO, console_mouse_trace_line(*e));
    }
    return e;
}

}  // namespace

EventResult next_event(std::optional<ConsoleMouse>& mouse) {
    return next_event(mouse, kEventWait);
}

EventResult next_event(std::optional<ConsoleMouse>& mouse, std::chrono::milliseconds wait) {
    if (auto e = console_event(mouse)) return std::optional<Event>{*e};
    return poll_terminal_event(wait);
}

EventResult next_event(std::optional<ConsoleMouse>& mouse, EventReader& reader,
                       std::chrono::milliseconds wait) {
    if (auto e = console_event(mouse)) return std::optional<Event>{*e};
    return reader.poll_event(wait);
}

}  // namespace tarnwick::tui
