#include "tui/term/screen_loop.h"

#include "support/test_backend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <string>

namespace tarnwick::tui {
namespace {

using test::TestBackend;

// Scripted modes and events around an in-memory backend.
struct Harness {
    TestBackend backend{20, 5};
    std::deque<EventResult> events;
    std::vector<std::string> log;
    std::optional<int> leave_error;
    int draws = 0;
    std::vector<long> waits;  // the wait of every call, in milliseconds

    ScreenIo io() {
        ScreenIo io;
        io.backend = &backend;
        io.enter = [this](Backend&) -> IoResult {
            log.push_back("enter");
            return {};
        };
        io.leave = [this](Backend& b) -> IoResult {
            log.push_back("leave");
            if (leave_error) return fail(IoError{*leave_error});
            (void)b.write("\x1b[?25h");
            return b.flush();
        };
        io.open_mouse = [] { return std::nullopt; };
        // A nothing() in the script ends a turn: it stands for "no event within
        // the wait" as well as for "no further event pending".
        io.next = [this](std::optional<ConsoleMouse>&,
                         std::chrono::milliseconds wait) -> EventResult {
            waits.push_back(static_cast<long>(wait.count()));
            if (events.empty()) return fail(IoError{EIO});
            auto e = std::move(events.front());
            events.pop_front();
            // A resize report comes with the terminal's new size.
            if (e && *e) {
                if (const auto* r = std::get_if<ResizeEvent>(&**e))
                    backend.set_size(r->columns, r->rows);
            }
            return e;
        };
        return io;
    }

    // A screen that counts draws, shows the last key and ends on Enter or a click.
    ScreenHandlers<std::string> screen() {
        ScreenHandlers<std::string> h;
        h.draw = [this](Frame& f, ScreenContext&) {
            ++draws;
            f.buffer().set_string(0, 0, "turn " + std::to_string(draws), Style{});
        };
        h.on_key = [](const KeyEvent& k, ScreenContext&) -> ScreenStep<std::string> {
            if (k.code == Key::Enter) return std::optional<std::string>("enter");
            if (k.code == Key::Char && k.ch == 'x') return fail(IoError{EPIPE});
            return std::optional<std::string>{};
        };
        h.on_mouse = [](const MouseEvent& m, ScreenContext&) -> ScreenStep<std::string> {
            return std::optional<std::string>("click " + std::to_string(m.column));
        };
        return h;
    }
};

EventResult ev(Event e) {
    return std::optional<Event>(std::move(e));
}
EventResult nothing() {
    return std::optional<Event>{};
}

KeyEvent with_kind(KeyEvent k, KeyEventKind kind) {
    k.kind = kind;
    return k;
}

TEST(ScreenLoop, DrawsOncePerTurnAndDispatchesOnlyKeyPresses) {
    Harness h;
    h.events = {nothing(),         ev(with_kind(KeyEvent::key(Key::Enter), KeyEventKind::Release)),
                nothing(),         ev(with_kind(KeyEvent::key(Key::Enter), KeyEventKind::Repeat)),
                ev(FocusGained{}), ev(PasteEvent{"\r"}),
                nothing(),         ev(KeyEvent::key(Key::Enter))};
    auto handlers = h.screen();
    auto result = run_screen(AutoMode::Always, handlers, h.io());
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, "enter");
    EXPECT_EQ(h.draws, 4);
    // The first call of a turn waits a turn's time; the rest take what is pending.
    EXPECT_EQ(h.waits, (std::vector<long>{50, 50, 0, 50, 0, 0, 0, 50}));
    EXPECT_EQ(h.log, (std::vector<std::string>{"enter", "leave"}));
    EXPECT_EQ(h.backend.row_text(0).substr(0, 6), "turn 4");
    // The cursor is shown once, by leave: dropping the terminal adds nothing.
    const std::string bytes = h.backend.bytes();
    EXPECT_EQ(bytes.substr(bytes.size() - 6), "\x1b[?25h");
    EXPECT_EQ(bytes.find("\x1b[?25h"), bytes.size() - 6);
}

TEST(ScreenLoop, MouseEventsGoToTheHitTestAndResizeResizesTheBuffers) {
    Harness h;
    h.events = {ev(ResizeEvent{30, 6}),
                ev(MouseEvent{MouseEventKind::Down, MouseButton::Left, 7, 2, kNoModifiers})};
    std::optional<Size> size_at_click;
    auto handlers = h.screen();
    handlers.on_mouse = [&](const MouseEvent& m, ScreenContext& ctx) -> ScreenStep<std::string> {
        size_at_click = ctx.terminal.size();
        return std::optional<std::string>("click " + std::to_string(m.column));
    };
    auto result = run_screen(AutoMode::Never, handlers, h.io());
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, "click 7");
    EXPECT_EQ(size_at_click, (Size{30, 6}));
}

// Keys of one burst are handled in order and drawn once; a mouse event after
// them is hit-tested against a render of the state they left, which is never
// sent; the result is the same as with a frame after every event.
TEST(ScreenLoop, ABurstIsHandledInOrderAndDrawnOnce) {
    Harness h;
    const MouseEvent click{MouseEventKind::Down, MouseButton::Left, 1, 0, kNoModifiers};
    h.events = {ev(KeyEvent::character('a')),
                ev(KeyEvent::character('b')),
                ev(KeyEvent::character('c')),
                nothing(),
                ev(KeyEvent::character('d')),
                ev(click),
                ev(click)};
    std::string typed;
    std::vector<std::string> hits;
    std::string drawn;  // what the last render showed, as a hit test would record it
    ScreenHandlers<std::string> handlers;
    handlers.draw = [&](Frame& f, ScreenContext&) {
        ++h.draws;
        drawn = typed;
        f.buffer().set_string(0, 0, typed, Style{});
    };
    handlers.on_key = [&](const KeyEvent& k, ScreenContext&) -> ScreenStep<std::string> {
        typed += static_cast<char>(k.ch);
        return std::optional<std::string>{};
    };
    handlers.on_mouse = [&](const MouseEvent&, ScreenContext&) -> ScreenStep<std::string> {
        hits.push_back(drawn);
        if (hits.size() == 2) return std::optional<std::string>(typed);
        typed += '!';
        return std::optional<std::string>{};
    };
    auto result = run_screen(AutoMode::Always, handlers, h.io());
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, "abcd!");
    EXPECT_EQ(hits, (std::vector<std::string>{"abcd", "abcd!"}));
    // Frames sent: the first (empty) and the one after "abc"; the renders
    // before each click (draws 3 and 4) wrote nothing.
    EXPECT_EQ(h.draws, 4);
    EXPECT_EQ(h.backend.row_text(0).substr(0, 4), "abc ");
}

TEST(ScreenLoop, ErrorsEndTheScreenWithoutLeaving) {
    struct Case {
        const char* name;
        std::deque<EventResult> events;
        IoError error;
    };
    std::vector<Case> cases;
    cases.push_back({"read_error", {nothing(), fail(IoError{EIO})}, IoError{EIO}});
    cases.push_back({"handler_error", {ev(KeyEvent::character('x'))}, IoError{EPIPE}});
    for (auto& c : cases) {
        Harness h;
        h.events = c.events;
        auto handlers = h.screen();
        auto result = run_screen(AutoMode::Auto, handlers, h.io());
        ASSERT_FALSE(result) << c.name;
        EXPECT_EQ(result.error(), c.error) << c.name;
        EXPECT_EQ(h.log, (std::vector<std::string>{"enter"})) << c.name;
    }
}

TEST(ScreenLoop, AFailingLeaveIsReturnedInsteadOfTheResult) {
    Harness h;
    h.leave_error = EBADF;
    h.events = {ev(KeyEvent::key(Key::Enter))};
    auto handlers = h.screen();
    auto result = run_screen(AutoMode::Auto, handlers, h.io());
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), IoError{EBADF});
}

TEST(ScreenLoop, AFailingEnterEndsBeforeAnythingIsDrawn) {
    Harness h;
    ScreenIo io = h.io();
    io.enter = [](Backend&) -> IoResult { return fail(IoError{ENOTTY}); };
    auto handlers = h.screen();
    auto result = run_screen(AutoMode::Auto, handlers, io);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), IoError{ENOTTY});
    EXPECT_EQ(h.draws, 0);
}

}  // namespace
}  // namespace tarnwick::tui
