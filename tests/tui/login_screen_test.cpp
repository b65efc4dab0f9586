#include "tui/screens/login_screen.h"

#include "support/scoped_env.h"
#include "support/scratch_dir.h"
#include "support/test_backend.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include <chrono>
#include <deque>
#include <functional>
#include <string>

namespace tarnwick::tui {
namespace {

using test::TestBackend;

using test::ScratchDir;

// Events for the screen; each step may look at the screen drawn before it.
struct Script {
    TestBackend backend{100, 30};
    std::deque<std::function<EventResult(TestBackend&)>> steps;
    bool entered = false;
    bool left = false;

    ScreenIo io() {
        ScreenIo io;
        io.backend = &backend;
        io.enter = [this](Backend&) -> IoResult {
            entered = true;
            return {};
        };
        io.leave = [this](Backend&) -> IoResult {
            left = true;
            return {};
        };
        io.open_mouse = [] { return std::optional<ConsoleMouse>(); };
        // Consecutive key steps make one turn; a check ends it.
        io.next = [this](std::optional<ConsoleMouse>&, std::chrono::milliseconds) -> EventResult {
            if (steps.empty()) return fail(IoError{5});
            auto step = std::move(steps.front());
            steps.pop_front();
            return step(backend);
        };
        return io;
    }
    void key(KeyEvent k) {
        steps.push_back([k](TestBackend&) { return EventResult(std::optional<Event>(k)); });
    }
    void check(std::function<void(TestBackend&)> f) {
        steps.push_back([f](TestBackend& b) {
            f(b);
            return EventResult(std::optional<Event>());
        });
    }
};

std::string screen(const TestBackend& b) {
    std::string out;
    for (std::uint16_t y = 0; y < b.screen().area().height; ++y) out += b.row_text(y) + "\n";
    return out;
}

bool has(const TestBackend& b, std::string_view text) {
    return screen(b).find(text) != std::string::npos;
}

LoginScreenArgs args_for(const ScratchDir& dir) {
    LoginScreenArgs args;
    args.color = AutoMode::Always;
    args.form.attempts = 3;
    args.form.users = {"alice"};
    args.form.languages = discover_locales(dir.file("locales"));
    args.form.current_tag = "en-US";
    args.locales_dir = dir.file("locales");
    args.fallback_tag = "en-US";
    args.config_dir = dir.file("config");
    return args;
}

TEST(LoginScreen, MessageFileEditsShowOnTheNextTurnAndTheRequestIsReturned) {
    ScratchDir dir;
    dir.write("locales/en-US/tarnwick.ftl", "login.title = First\n");
    dir.mkdir("config");
    Script s;
    s.check([&](TestBackend& b) {
        EXPECT_TRUE(has(b, " First ")) << screen(b);
        dir.write("locales/en-US/tarnwick.ftl", "login.title = Second\n");
    });
    s.check([](TestBackend& b) { EXPECT_TRUE(has(b, " Second ")) << screen(b); });
    s.key(KeyEvent::character('p'));
    s.key(KeyEvent::key(Key::Enter));
    const LoginResult result = login_screen(args_for(dir), s.io());
    ASSERT_TRUE(result.has_value());
    ASSERT_TRUE(result->has_value());
    EXPECT_EQ((*result)->user, "alice");
    EXPECT_EQ((*result)->password.view(), "p");
    EXPECT_EQ((*result)->language, "en-US");
    EXPECT_TRUE(s.entered && s.left);
    EXPECT_TRUE(s.steps.empty());
}

TEST(LoginScreen, DiagnosticsOnF1ThenEscLeaves) {
    ScratchDir dir;
    dir.write("locales/en-US/tarnwick.ftl", "diag.help = Close it\n");
    Script s;
    int snapshots = 0;
    LoginScreenArgs args = args_for(dir);
    args.diagnostics = [&] {
        ++snapshots;
        return DiagnosticsModel{"Snap", "sub", {"[1] hello"}};
    };
    std::string shown;
    EventSource view_events = [&](std::chrono::milliseconds) -> EventResult {
        shown = screen(s.backend);
        return std::optional<Event>(KeyEvent::key(Key::Esc));
    };
    s.key(KeyEvent::function(1));
    s.key(KeyEvent::key(Key::Esc));
    const LoginResult result = login_screen(std::move(args), s.io(), view_events);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->has_value());
    EXPECT_EQ(snapshots, 1);
    EXPECT_NE(shown.find("│Snap"), std::string::npos) << shown;
    EXPECT_NE(shown.find("   1 │ [1] hello"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" Close it   ·   1/1  lines 1–1"), std::string::npos) << shown;
    EXPECT_TRUE(s.left);
}

// F1 right after a language pick, before any frame showed it, opens the view
// with the help text of the language picked.
TEST(LoginScreen, DiagnosticsHelpFollowsALanguagePickedInTheSameTurn) {
    ScratchDir dir;
    dir.write("locales/en-US/tarnwick.ftl", "diag.help = Close it\n");
    dir.write("locales/fr-FR/tarnwick.ftl", "diag.help = Fermer\n");
    Script s;
    std::string shown;
    EventSource view_events = [&](std::chrono::milliseconds) -> EventResult {
        shown = screen(s.backend);
        return std::optional<Event>(KeyEvent::key(Key::Esc));
    };
    s.key(KeyEvent::key(Key::BackTab));  // user field -> language list
    s.key(KeyEvent::key(Key::Down));     // fr-FR
    s.key(KeyEvent::function(1));
    s.key(KeyEvent::key(Key::Esc));  // closes the list
    s.key(KeyEvent::key(Key::Esc));  // leaves
    LoginScreenArgs args = args_for(dir);
    ASSERT_EQ(args.form.languages.size(), 2u);
    const LoginResult result = login_screen(std::move(args), s.io(), view_events);
    ASSERT_TRUE(result.has_value());
    EXPECT_NE(shown.find(" Fermer "), std::string::npos) << shown;
}

TEST(LoginScreen, ReadErrorEndsWithoutTeardown) {
    ScratchDir dir;
    Script s;
    const LoginResult result = login_screen(args_for(dir), s.io());
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), IoError{5});
    EXPECT_TRUE(s.entered);
    EXPECT_FALSE(s.left);
}

TEST(LoginScreen, MouseTraceLines) {
    ScratchDir dir;
    test::ScopedEnv env("TARNWICK_MOUSE_TRACE", "");
    Script s;
    s.steps.push_back([](TestBackend&) {
        return EventResult(
            std::optional<Event>(MouseEvent{MouseEventKind::Down, MouseButton::Left, 5, 26}));
    });
    s.key(KeyEvent::key(Key::Esc));  // closes the language list
    s.key(KeyEvent::key(Key::Esc));  // leaves

    const std::string trace = dir.file("trace");
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int fd = ::open(trace.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ::dup2(fd, 2);
    const LoginResult result = login_screen(args_for(dir), s.io());
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(fd);

    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->has_value());
    EXPECT_EQ(test::read_file(trace), "MOUSE_TRACE login act=lang_field_toggle col=5 row=26\n");
}

}  // namespace
}  // namespace tarnwick::tui
