#include "tui/term/console_mouse.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace tarnwick::tui {
namespace {

std::uint16_t to_cell(std::int32_t v) {
    return static_cast<std::uint16_t>(
        std::clamp<std::int32_t>(v, 0, std::numeric_limits<std::uint16_t>::max()));
}

}  // namespace

std::vector<MouseEvent> console_mouse_edges(ConsoleMouseSeen& seen,
                                            const platform::ConsoleMouseReport& report) {
    std::vector<MouseEvent> events;
    auto add = [&](MouseEventKind kind, MouseButton button = MouseButton::Left) {
        events.push_back(
            MouseEvent{kind, button, to_cell(report.x), to_cell(report.y), kNoModifiers});
    };
    bool was1 = (seen.buttons & kConsoleButton1) != 0;
    bool now1 = (report.buttons & kConsoleButton1) != 0;
    bool was3 = (seen.buttons & kConsoleButton3) != 0;
    bool now3 = (report.buttons & kConsoleButton3) != 0;
    if (now1 && !was1) add(MouseEventKind::Down, MouseButton::Left);
    if (!now1 && was1) add(MouseEventKind::Up, MouseButton::Left);
    if (now3 && !was3) add(MouseEventKind::Down, MouseButton::Right);
    if (report.z > seen.wheel) add(MouseEventKind::ScrollDown);
    if (report.z < seen.wheel) add(MouseEventKind::ScrollUp);
    seen.buttons = report.buttons;
    seen.wheel = report.z;
    return events;
}

std::optional<MouseEvent> ConsoleMouse::next() {
    if (queue_.empty()) {
        auto report = poll_();
        if (!report) return std::nullopt;
        for (const MouseEvent& e : console_mouse_edges(seen_, *report)) queue_.push_back(e);
    }
    if (queue_.empty()) return std::nullopt;
    MouseEvent e = queue_.front();
    queue_.pop_front();
    return e;
}

std::optional<ConsoleMouse> open_console_mouse(const std::string& path) {
    auto device = platform::ConsoleMouseDevice::open(path);
    if (!device) return std::nullopt;
    (void)device->show();
    auto shared = std::make_shared<platform::ConsoleMouseDevice>(std::move(*device));
    return ConsoleMouse([shared] { return shared->get_info(); });
}

std::string console_mouse_trace_line(const MouseEvent& event) {
    return fmt::format("MOUSE_TRACE freebsd kind={} col={} row={}\n", mouse_kind_name(event),
                       event.column, event.row);
}

}  // namespace tarnwick::tui
