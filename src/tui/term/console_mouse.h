#pragma once
// A screen's open FreeBSD console mouse: the console is polled for the
// pointer state and the changes since the last poll become mouse events,
// handed out one at a time.

#include "platform/console_mouse.h"
#include "tui/term/event.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::tui {

// What the last poll saw.
struct ConsoleMouseSeen {
    std::int32_t buttons = 0;
    std::int32_t wheel = 0;
    bool operator==(const ConsoleMouseSeen&) const = default;
};

inline constexpr std::int32_t kConsoleButton1 = 1;  // left
inline constexpr std::int32_t kConsoleButton3 = 4;  // right

// The events one poll produces against what the last poll saw, in order:
// button 1 pressed/released, button 3 pressed (its release is silent), wheel
// down/up. Negative positions count as 0; movement alone yields nothing.
// `seen` is updated to the report.
std::vector<MouseEvent> console_mouse_edges(ConsoleMouseSeen& seen,
                                            const platform::ConsoleMouseReport& report);

class ConsoleMouse {
public:
    // Asks the console for its pointer state; nullopt when refused.
    using Poll = std::function<std::optional<platform::ConsoleMouseReport>()>;

    explicit ConsoleMouse(Poll poll) : poll_(std::move(poll)) {}

    // The oldest queued event, or (with nothing queued) the events of a new
    // poll. nullopt when nothing changed or the console refused the request.
    std::optional<MouseEvent> next();

    bool has_queued() const { return !queue_.empty(); }

private:
    Poll poll_;
    std::deque<MouseEvent> queue_;
    ConsoleMouseSeen seen_;
};

// Opens the console control device and asks the console to show its pointer
// (a refusal is ignored). nullopt when the device cannot be opened.
std::optional<ConsoleMouse> open_console_mouse(
    const std::string& path = platform::kConsoleControlPath);

// "MOUSE_TRACE freebsd kind=Down(Left) col=12 row=4\n"
std::string console_mouse_trace_line(const MouseEvent& event);

}  // namespace tarnwick::tui
