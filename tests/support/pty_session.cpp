#include "support/pty_session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

extern char** environ;

namespace tarnwick::test {

using Clock = std::chrono::steady_clock;

struct PtySession::Emulator {
    VTerm* vt = nullptr;
    VTermScreen* screen = nullptr;
    int rows = 0;
    int columns = 0;
    ~Emulator() {
        if (vt) vterm_free(vt);
    }
};

namespace {

int on_settermprop(VTermProp prop, VTermValue* val, void* user) {
    auto* flags = static_cast<std::pair<bool*, bool*>*>(user);
    if (prop == VTERM_PROP_CURSORVISIBLE) *flags->first = val->boolean != 0;
    if (prop == VTERM_PROP_ALTSCREEN) *flags->second = val->boolean != 0;
    return 1;
}

// What the emulator answers (device attributes, cursor reports) goes back to
// the program, as a real terminal would.
void on_output(const char* s, size_t len, void* user) {
    int fd = *static_cast<int*>(user);
    while (len > 0) {
        ssize_t n = ::write(fd, s, len);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            return;
        }
        s += n;
        len -= static_cast<size_t>(n);
    }
}

std::vector<std::string> child_environment(const PtyOptions& o) {
    std::map<std::string, std::string> env;
    if (!o.clear_env) {
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            auto eq = entry.find('=');
            if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        env["TERM"] = "xterm-256color";
    }
    for (const auto& [name, value] : o.env) {
        if (value)
            env[name] = *value;
        else
            env.erase(name);
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : env) out.push_back(name + "=" + value);
    return out;
}

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

PtySession::PtySession(const PtyOptions& options) : emulator_(std::make_unique<Emulator>()) {
    std::string program = options.program.empty() ? std::string(TARNWICK_BINARY) : options.program;
    std::vector<std::string> argv_s{program};
    argv_s.insert(argv_s.end(), options.args.begin(), options.args.end());
    std::vector<std::string> env_s = child_environment(options);
    std::vector<char*> argv, envp;
    for (auto& a : argv_s) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env_s) envp.push_back(e.data());
    envp.push_back(nullptr);

    winsize ws{};
    ws.ws_col = options.columns;
    ws.ws_row = options.rows;
    int master = -1;
    pid_t pid = ::forkpty(&master, nullptr, nullptr, &ws);
    if (pid < 0) {
        error_ = std::string("forkpty: ") + std::strerror(errno);
        return;
    }
    if (pid == 0) {
        if (options.cwd && ::chdir(options.cwd->c_str()) != 0) _exit(126);
        ::signal(SIGPIPE, SIG_DFL);
        ::execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    pid_ = pid;
    master_ = master;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    emulator_->rows = options.rows;
    emulator_->columns = options.columns;
    emulator_->vt = vterm_new(options.rows, options.columns);
    vterm_set_utf8(emulator_->vt, 1);
    vterm_output_set_callback(emulator_->vt, on_output, &master_);
    emulator_->screen = vterm_obtain_screen(emulator_->vt);
    vterm_screen_enable_altscreen(emulator_->screen, 1);
    static VTermScreenCallbacks callbacks{};
    callbacks.settermprop = on_settermprop;
    flags_ = {&cursor_visible_, &alt_screen_};
    vterm_screen_set_callbacks(emulator_->screen, &callbacks, &flags_);
    vterm_screen_reset(emulator_->screen, 1);
}

PtySession::~PtySession() {
    if (pid_ > 0 && !status_) kill();
    if (master_ >= 0) ::close(master_);
}

std::string PtySession::tty_path() const {
    char name[128] = {};
    if (master_ < 0 || ::ptsname_r(master_, name, sizeof name) != 0) return {};
    return name;
}

bool PtySession::write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pump(Millis{10});
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void PtySession::feed(std::string_view bytes) {
    output_.append(bytes);
    vterm_input_write(emulator_->vt, bytes.data(), bytes.size());
}

void PtySession::pump(Millis wait) {
    if (master_ < 0 || eof_) return;
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return;
    char buf[4096];
    while (true) {
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            feed(std::string_view(buf, static_cast<std::size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) eof_ = true;  // EIO: all closed
        return;
    }
}

bool PtySession::wait_for_text(std::string_view text, Millis timeout) {
    return wait_until([&] { return screen_contains(text); }, timeout);
}

bool PtySession::wait_for_texts(std::initializer_list<std::string_view> texts, Millis timeout) {
    return wait_until(
        [&] {
            for (const std::string_view text : texts) {
                if (!screen_contains(text)) return false;
            }
            return true;
        },
        timeout);
}

bool PtySession::wait_until(const std::function<bool()>& done, Millis timeout) {
    auto until = Clock::now() + timeout;
    while (true) {
        if (done()) return true;
        if (Clock::now() >= until) return false;
        if (eof_) {
            pump();
            return done();
        }
        pump(Millis{10});
    }
}

bool PtySession::wait_for_output(std::string_view bytes, Millis timeout, std::size_t from) {
    auto until = Clock::now() + timeout;
    while (true) {
        if (output_.size() >= from && output_.find(bytes, from) != std::string::npos) return true;
        if (Clock::now() >= until || eof_) return false;
        pump(Millis{10});
    }
}

bool PtySession::wait_signal_taken(int signal, Millis timeout) {
    if (pid_ <= 0 || signal < 1 || signal > 64) return false;
    const std::uint64_t bit = std::uint64_t{1} << (signal - 1);
    const std::string status_path = "/proc/" + std::to_string(pid_) + "/status";
    return wait_until(
        [&] {
            // SigPnd: the main thread's pending set; ShdPnd: the process's.
            std::ifstream status(status_path);
            std::string line;
            bool pending = false;
            while (std::getline(status, line)) {
                if (line.starts_with("SigPnd:") || line.starts_with("ShdPnd:")) {
                    pending = pending || (std::stoull(line.substr(7), nullptr, 16) & bit) != 0;
                }
            }
            return !pending;
        },
        timeout);
}

ScreenCell PtySession::cell(int row, int column) const {
    ScreenCell out;
    VTermScreenCell c{};
    VTermPos pos{row, column};
    if (!vterm_screen_get_cell(emulator_->screen, pos, &c)) return out;
    for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && c.chars[i] != 0; ++i)
        append_utf8(out.text, c.chars[i]);
    if (out.text.empty() && c.width != 0) out.text.push_back(' ');
    // A cell covered by the right half of a wide glyph reads as width 0 / no chars.
    if (c.chars[0] == 0 && c.width == 0) out.text.clear();
    out.bold = c.attrs.bold != 0;
    out.underline = c.attrs.underline != 0;
    out.italic = c.attrs.italic != 0;
    out.reverse = c.attrs.reverse != 0;
    if (VTERM_COLOR_IS_INDEXED(&c.fg) && !VTERM_COLOR_IS_DEFAULT_FG(&c.fg))
        out.fg = c.fg.indexed.idx;
    if (VTERM_COLOR_IS_INDEXED(&c.bg) && !VTERM_COLOR_IS_DEFAULT_BG(&c.bg))
        out.bg = c.bg.indexed.idx;
    return out;
}

std::string PtySession::row(int index) const {
    std::string line;
    for (int col = 0; col < emulator_->columns; ++col) line += cell(index, col).text;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::vector<std::string> PtySession::rows() const {
    std::vector<std::string> out;
    for (int r = 0; r < emulator_->rows; ++r) out.push_back(row(r));
    return out;
}

std::string PtySession::screen_text() const {
    std::string out;
    for (int r = 0; r < emulator_->rows; ++r) {
        if (r) out += '\n';
        out += row(r);
    }
    return out;
}

bool PtySession::screen_contains(std::string_view text) const {
    for (int r = 0; r < emulator_->rows; ++r) {
        if (row(r).find(text) != std::string::npos) return true;
    }
    return false;
}

PtySession::CursorPos PtySession::cursor() const {
    VTermPos pos{};
    vterm_state_get_cursorpos(vterm_obtain_state(emulator_->vt), &pos);
    return {pos.row, pos.col};
}

std::optional<termios> PtySession::settings() const {
    termios t{};
    if (master_ < 0 || ::tcgetattr(master_, &t) != 0) return std::nullopt;
    return t;
}

void PtySession::resize(std::uint16_t columns, std::uint16_t rows_count) {
    winsize ws{};
    ws.ws_col = columns;
    ws.ws_row = rows_count;
    ::ioctl(master_, TIOCSWINSZ, &ws);
    vterm_set_size(emulator_->vt, rows_count, columns);
    emulator_->rows = rows_count;
    emulator_->columns = columns;
}

bool PtySession::reap(bool block) {
    if (status_) return true;
    int st = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &st, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r != pid_) return false;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return true;
}

std::optional<int> PtySession::wait_exit(Millis timeout) {
    if (pid_ <= 0) return std::nullopt;
    auto until = Clock::now() + timeout;
    while (!reap(false)) {
        if (Clock::now() >= until) return std::nullopt;
        pump(Millis{10});
        if (eof_) ::usleep(1000);
    }
    // The last output may still sit in the terminal.
    for (int i = 0; i < 20 && !eof_; ++i) pump(Millis{5});
    return status_;
}

void PtySession::hang_up() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    eof_ = true;
}

void PtySession::kill(int signal) {
    if (pid_ <= 0 || status_) return;
    ::kill(pid_, signal);
    reap(true);
}

}  // namespace tarnwick::test
