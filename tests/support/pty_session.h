#pragma once
// Drives a program on a pseudo-terminal the way a user at a console would:
// starts it (by default the built tarnwick) with arguments, environment and
// window size, types bytes, and reads what it drew through a terminal
// emulator (libvterm), plus the raw bytes it wrote and its exit status.
//
//   PtySession s({.args = {"--mouse-echo"}});
//   ASSERT_TRUE(s.started()) << s.error();
//   s.write("\x1b[<0;5;3M");
//   EXPECT_TRUE(s.wait_for_text("Sign in"));
//   auto status = s.wait_exit();
//
// Everything is single-threaded: output is read (and fed to the emulator)
// while a wait_* call runs, and by pump().

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick::test {

struct PtyOptions {
    std::string program{};            // empty: the built tarnwick binary
    std::vector<std::string> args{};  // argv[1..]
    // Changes to the test's environment (nullopt removes a variable), or the
    // whole environment when clear_env is set. TERM is "xterm-256color"
    // unless given here.
    std::map<std::string, std::optional<std::string>> env{};
    bool clear_env = false;
    std::optional<std::string> cwd{};
    std::uint16_t columns = 80;
    std::uint16_t rows = 24;
};

// One cell of the emulated screen.
struct ScreenCell {
    std::string text;  // UTF-8; "" behind a wide glyph, " " when blank
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool reverse = false;
    std::optional<int> fg;  // palette index; nullopt = default or RGB
    std::optional<int> bg;
};

class PtySession {
public:
    using Millis = std::chrono::milliseconds;
    // Waits end as soon as their condition holds; the deadline only says how
    // long a failing test takes, so it allows for a heavily loaded machine.
    static constexpr Millis kDefaultTimeout{30000};

    explicit PtySession(const PtyOptions& options);
    ~PtySession();  // kills the program if it still runs
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;

    bool started() const { return pid_ > 0; }
    const std::string& error() const { return error_; }
    pid_t pid() const { return pid_; }
    // The terminal's device path as the program sees it (/dev/pts/N).
    std::string tty_path() const;

    // Types bytes (keys, mouse reports) into the terminal.
    bool write(std::string_view bytes);

    // Reads whatever output is available now (waiting up to `wait`).
    void pump(Millis wait = Millis{0});

    // True once `text` appears on one row of the screen (false at timeout).
    bool wait_for_text(std::string_view text, Millis timeout = kDefaultTimeout);
    // True once `done` holds (false at timeout), reading output meanwhile;
    // `done` may look at the screen, the output or files the program writes.
    bool wait_until(const std::function<bool()>& done, Millis timeout = kDefaultTimeout);
    // True once every one of `texts` shows at the same time. A frame can
    // arrive in several reads, so one text showing says nothing of the rest.
    bool wait_for_texts(std::initializer_list<std::string_view> texts,
                        Millis timeout = kDefaultTimeout);
    // True once the raw output contains `bytes` at or after `from`.
    bool wait_for_output(std::string_view bytes, Millis timeout = kDefaultTimeout,
                         std::size_t from = 0);
    // True once `signal` no longer waits for the program (its handler has
    // taken it, or it is ignored); orders what is typed next after a resize.
    bool wait_signal_taken(int signal, Millis timeout = kDefaultTimeout);

    // The screen as the emulator shows it.
    std::vector<std::string> rows() const;  // trailing blanks trimmed
    std::string row(int index) const;
    std::string screen_text() const;  // rows joined with '\n'
    ScreenCell cell(int row, int column) const;
    bool screen_contains(std::string_view text) const;
    struct CursorPos {
        int row;
        int column;
    };
    CursorPos cursor() const;
    bool cursor_visible() const { return cursor_visible_; }
    bool alternate_screen() const { return alt_screen_; }

    // Every byte the program wrote so far.
    const std::string& output() const { return output_; }

    // The terminal's current settings (raw mode shows as ~ICANON, ~ECHO).
    std::optional<termios> settings() const;

    // Changes the window size (the program gets SIGWINCH).
    void resize(std::uint16_t columns, std::uint16_t rows);

    // Waits for the program to end, reading its output meanwhile. The exit
    // status, 128 + signal when killed, nullopt at timeout.
    std::optional<int> wait_exit(Millis timeout = kDefaultTimeout);
    std::optional<int> exit_status() const { return status_; }

    // Closes the master side, as a console line that drops: the terminal
    // hangs up (the program's session gets SIGHUP). wait_exit still works.
    void hang_up();

    // Sends a signal (SIGKILL by default) and reaps the program.
    void kill(int signal = 9);

private:
    struct Emulator;
    void feed(std::string_view bytes);
    bool reap(bool block);

    pid_t pid_ = -1;
    int master_ = -1;
    bool eof_ = false;
    std::optional<int> status_;
    std::string error_;
    std::string output_;
    bool cursor_visible_ = true;
    bool alt_screen_ = false;
    std::pair<bool*, bool*> flags_{nullptr, nullptr};
    std::unique_ptr<Emulator> emulator_;
};

}  // namespace tarnwick::test
