#include "tui/screens/diagnostics_view.h"

#include "support/test_backend.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace tarnwick::tui {
namespace {

using test::TestBackend;

std::vector<std::string> numbered(int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back("line " + std::to_string(i));
    }
    return lines;
}

// Hands out the scripted events; records the screen before each one is taken.
struct Script {
    TestBackend& backend;
    std::deque<EventResult> events;
    std::vector<std::string> screens;
    int polls = 0;

    EventResult operator()(std::chrono::milliseconds wait) {
        EXPECT_EQ(wait, kDiagnosticsWait);
        ++polls;
        std::string screen;
        for (std::uint16_t y = 0; y < backend.screen().area().height; ++y) {
            screen += backend.row_text(y) + "\n";
        }
        screens.push_back(screen);
        if (events.empty()) {
            return std::optional<Event>(KeyEvent::key(Key::Esc));
        }
        EventResult next = std::move(events.front());
        events.pop_front();
        return next;
    }
};

EventResult key(Key k) {
    return std::optional<Event>(KeyEvent::key(k));
}
EventResult ch(char32_t c, KeyModifiers m = kNoModifiers) {
    return std::optional<Event>(KeyEvent::character(c, m));
}

struct Run {
    Result<void, IoError> result;
    std::vector<std::string> screens;
    int polls;
};

Run run(std::uint16_t rows, const std::vector<std::string>& lines, std::deque<EventResult> events) {
    TestBackend backend(80, rows);
    auto terminal = Terminal::create(backend);
    EXPECT_TRUE(terminal.has_value());
    Script script{backend, std::move(events), {}, 0};
    auto result =
        diagnostics_view(*terminal, "Diagnostics", "sub · 3 lines", lines, false, "Esc close",
                         [&](std::chrono::milliseconds w) { return script(w); });
    return Run{result, script.screens, script.polls};
}

bool has(const std::string& screen, std::string_view text) {
    return screen.find(text) != std::string::npos;
}

TEST(DiagnosticsView, FollowsTheNewestLinesAndScrolls) {
    const auto r =
        run(40, numbered(100), {key(Key::Up), ch('G'), key(Key::Home), std::optional<Event>()});
    ASSERT_TRUE(r.result.has_value());
    ASSERT_EQ(r.screens.size(), 5u);
    EXPECT_TRUE(has(r.screens[0], "│  67 │ line 67"));
    EXPECT_TRUE(has(r.screens[0], "│ 100 │ line 100"));
    EXPECT_TRUE(has(r.screens[0], " Esc close   ·   100/100  lines 67–100"));
    EXPECT_TRUE(has(r.screens[0], "│Diagnostics"));
    EXPECT_TRUE(has(r.screens[0], "│sub · 3 lines"));
    EXPECT_TRUE(has(r.screens[1], "lines 66–99"));
    EXPECT_TRUE(has(r.screens[2], "lines 67–100"));
    EXPECT_TRUE(has(r.screens[3], "│   1 │ line 1"));
    EXPECT_TRUE(has(r.screens[4], "lines 1–34"));  // a timeout only redraws
}

TEST(DiagnosticsView, EmptySnapshot) {
    const auto r = run(20, {}, {});
    ASSERT_TRUE(r.result.has_value());
    EXPECT_TRUE(has(r.screens[0], "│  (no diagnostic lines yet)"));
    EXPECT_TRUE(has(r.screens[0], " Esc close   ·   0/0"));
}

TEST(DiagnosticsView, ClosingKeys) {
    struct Case {
        const char* name;
        EventResult event;
        bool closes;
    };
    MouseEvent click{MouseEventKind::Down, MouseButton::Left, 3, 3};
    KeyEvent release = KeyEvent::character('q');
    release.kind = KeyEventKind::Release;
    const std::vector<Case> cases = {
        {"enter", key(Key::Enter), true},
        {"esc", key(Key::Esc), true},
        {"q", ch('q'), true},
        {"ctrl+q", ch('q', kControl), true},
        {"f1", std::optional<Event>(KeyEvent::function(1)), true},
        {"Q is not bound", ch('Q', kShift), false},
        {"f2", std::optional<Event>(KeyEvent::function(2)), false},
        {"mouse click", std::optional<Event>(click), false},
        {"key release", std::optional<Event>(release), false},
    };
    for (const auto& c : cases) {
        // A key that does not close leaves the scripted Esc to end the view.
        const auto r = run(20, numbered(5), {c.event});
        EXPECT_TRUE(r.result.has_value()) << c.name;
        EXPECT_EQ(r.polls, c.closes ? 1 : 2) << c.name;
    }
}

TEST(DiagnosticsView, ErrorsEndTheView) {
    const auto r = run(20, numbered(5), {EventResult(fail(IoError{5}))});
    ASSERT_FALSE(r.result.has_value());
    EXPECT_EQ(r.result.error(), IoError{5});

    TestBackend backend(80, 20);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal.has_value());
    backend.fail_with(32);
    const auto drawn = diagnostics_view(*terminal, "t", "s", numbered(3), true, "h",
                                        [](std::chrono::milliseconds) { return key(Key::Esc); });
    ASSERT_FALSE(drawn.has_value());
    EXPECT_EQ(drawn.error(), IoError{32});
}

TEST(DiagnosticsView, ResizeWhileFollowingKeepsTheNewestLineLast) {
    TestBackend backend(80, 40);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal.has_value());
    std::vector<std::string> last_rows;
    int turn = 0;
    const auto lines = numbered(100);
    auto events = [&](std::chrono::milliseconds) -> EventResult {
        ++turn;
        if (turn == 1) {
            backend.set_size(80, 20);
            return std::optional<Event>(ResizeEvent{80, 20});
        }
        last_rows = {backend.row_text(16), backend.row_text(17)};
        return key(Key::Esc);
    };
    ASSERT_TRUE(diagnostics_view(*terminal, "t", "s", lines, false, "h", events).has_value());
    // 20 rows: body rows 3 to 16, the newest line on the last of them.
    EXPECT_TRUE(has(last_rows[0], "│ 100 │ line 100")) << last_rows[0];
    EXPECT_TRUE(has(last_rows[1], "────")) << last_rows[1];
}

}  // namespace
}  // namespace tarnwick::tui
