#include "tui/term/console_mouse.h"
#include "tui/term/next_event.h"

#include "support/scoped_env.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <deque>

namespace tarnwick::tui {
namespace {

using platform::ConsoleMouseReport;
using MK = MouseEventKind;
using MB = MouseButton;

MouseEvent at(MK kind, std::uint16_t col, std::uint16_t row, MB button = MB::Left) {
    return MouseEvent{kind, button, col, row, kNoModifiers};
}

TEST(ConsoleMouseEdges, PollsAgainstTheLastSeenState) {
    struct Case {
        const char* name;
        ConsoleMouseSeen seen;
        ConsoleMouseReport report;
        std::vector<MouseEvent> events;
    };
    const Case cases[] = {
        {"nothing_changed", {0, 0}, {5, 6, 0, 0}, {}},
        {"button1_pressed", {0, 0}, {12, 4, 0, 1}, {at(MK::Down, 12, 4)}},
        {"button1_held", {1, 0}, {13, 4, 0, 1}, {}},
        {"button1_released", {1, 0}, {13, 4, 0, 0}, {at(MK::Up, 13, 4)}},
        {"button3_pressed", {0, 0}, {1, 2, 0, 4}, {at(MK::Down, 1, 2, MB::Right)}},
        {"button3_released_silently", {4, 0}, {1, 2, 0, 0}, {}},
        {"all_at_once_in_order",
         {0, 0},
         {7, 8, 1, 5},
         {at(MK::Down, 7, 8), at(MK::Down, 7, 8, MB::Right), at(MK::ScrollDown, 7, 8)}},
        {"wheel_up", {0, 10}, {0, 0, 9, 0}, {at(MK::ScrollUp, 0, 0)}},
        {"negative_position_is_zero", {0, 0}, {-3, -1, 0, 1}, {at(MK::Down, 0, 0)}},
        {"other_bits_ignored", {0, 0}, {0, 0, 0, 2}, {}},
    };
    for (const Case& c : cases) {
        ConsoleMouseSeen seen = c.seen;
        EXPECT_EQ(console_mouse_edges(seen, c.report), c.events) << c.name;
        EXPECT_EQ(seen, (ConsoleMouseSeen{c.report.buttons, c.report.z})) << c.name;
    }
}

// A console that answers with scripted reports (nullopt = refused).
struct ScriptedConsole {
    std::deque<std::optional<ConsoleMouseReport>> replies;
    int polls = 0;
    ConsoleMouse mouse() {
        return ConsoleMouse([this]() -> std::optional<ConsoleMouseReport> {
            ++polls;
            if (replies.empty()) return ConsoleMouseReport{};
            auto r = replies.front();
            replies.pop_front();
            return r;
        });
    }
};

struct Pipe {
    int fds[2];
    Pipe() { EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0); }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    void write(std::string_view s) {
        ASSERT_EQ(::write(fds[1], s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
};

Event mouse_event(MouseEvent e) {
    return Event{e};
}

TEST(NextEvent, HandsOutQueuedConsoleEventsBeforeAskingAgain) {
    ScriptedConsole console;
    console.replies = {ConsoleMouseReport{3, 4, 1, 5}, ConsoleMouseReport{3, 4, 1, 5}};
    std::optional<ConsoleMouse> mouse = console.mouse();
    Pipe input;
    EventReader reader(input.fds[0], [] { return std::nullopt; });
    input.write("k");

    std::vector<Event> got;
    for (int i = 0; i < 3; ++i) got.push_back(**next_event(mouse, reader));
    EXPECT_EQ(console.polls, 1);
    EXPECT_EQ(got, (std::vector<Event>{mouse_event(at(MK::Down, 3, 4)),
                                       mouse_event(at(MK::Down, 3, 4, MB::Right)),
                                       mouse_event(at(MK::ScrollDown, 3, 4))}));
    // Nothing new at the console: the terminal is read.
    EXPECT_EQ(**next_event(mouse, reader), Event{KeyEvent::character('k')});
    EXPECT_EQ(console.polls, 2);
}

TEST(NextEvent, ARefusedPollFallsBackToTheTerminalAndTheNextCallPollsAgain) {
    ScriptedConsole console;
    console.replies = {std::nullopt, ConsoleMouseReport{1, 1, 0, 1}};
    std::optional<ConsoleMouse> mouse = console.mouse();
    Pipe input;
    EventReader reader(input.fds[0], [] { return std::nullopt; });
    auto first = next_event(mouse, reader);
    ASSERT_TRUE(first);
    EXPECT_FALSE(*first) << "no terminal input within the wait";
    EXPECT_EQ(**next_event(mouse, reader), mouse_event(at(MK::Down, 1, 1)));
    EXPECT_EQ(console.polls, 2);
}

TEST(NextEvent, TracesConsoleEventsOnlyWhenAsked) {
    Pipe input;
    EventReader reader(input.fds[0], [] { return std::nullopt; });
    for (bool traced : {true, false}) {
        test::ScopedEnv env("TARNWICK_MOUSE_TRACE",
                            traced ? std::optional<std::string>("") : std::nullopt);
        ScriptedConsole console;
        console.replies = {ConsoleMouseReport{12, 4, 0, 1}, ConsoleMouseReport{12, 4, 0, 1}};
        std::optional<ConsoleMouse> mouse = console.mouse();
        input.write("\x1b[<0;1;1M");
        testing::internal::CaptureStderr();
        (void)next_event(mouse, reader);  // console
        (void)next_event(mouse, reader);  // terminal: never traced
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  traced ? "MOUSE_TRACE freebsd kind=Down(Left) col=12 row=4\n" : "");
    }
}

TEST(OpenConsoleMouse, AbsentDeviceGivesNoMouse) {
    EXPECT_FALSE(open_console_mouse("/nonexistent/consolectl").has_value());
}

}  // namespace
}  // namespace tarnwick::tui
