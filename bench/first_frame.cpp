// What a console login costs on its terminal, next to dialog --menu as a
// yardstick: both are started the same way (the end-to-end sandbox, as root,
// on an 80x24 pseudo-terminal), several times in turn, and the medians are
// printed side by side:
//
//   first frame     time from the exec of the program to its settled first
//                   screen, and the bytes written until then
//   idle            bytes written during one second with nothing typed
//   keystroke       bytes written for one character typed into the password
//                   field (the console only: dialog's menu has none)
//   typed input     CPU time to handle a burst of typed characters, scaled
//                   to 1 MiB (the console only)
//   peak RSS        the program's resident-set high-water mark
//
// The screen counts as settled once nothing on it (cells, cursor position or
// visibility, the alternate screen) has changed for --settle-ms; the output
// is read through a terminal emulator (libvterm) to tell a change from bytes
// that change nothing.
//
// Run through bench/first-frame, which builds what it needs. When the
// environment holds FIRST_FRAME_EXEC this program is only the marker at the
// sandbox's exec: it writes the time to descriptor 9 and executes that program.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <dirent.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

constexpr int kMarkerFd = 9;
constexpr std::uint16_t kColumns = 80;
constexpr std::uint16_t kRows = 24;

struct Options {
    std::string sandbox;
    std::string tarnwick;
    std::string dialog = "/usr/bin/dialog";
    int runs = 9;
    std::size_t typed_bytes = 1 << 20;
    int settle_ms = 300;
    int timeout_s = 120;
};

double ms_between(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "first-frame: %s\n", what.c_str());
    std::exit(1);
}

// ---- the marker at the sandbox's exec ----

[[noreturn]] void exec_marked(const char* target, char** argv) {
    // The time itself, not just a byte: the reader may wake up late.
    const std::int64_t now = Clock::now().time_since_epoch().count();
    (void)!::write(kMarkerFd, &now, sizeof now);
    ::close(kMarkerFd);
    std::string program(target);
    ::unsetenv("FIRST_FRAME_EXEC");
    argv[0] = program.data();
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "first-frame: exec %s: %s\n", program.c_str(), std::strerror(errno));
    ::_exit(127);
}

// ---- the emulated screen: tells changes from bytes that change nothing ----

class Screen {
public:
    Screen() : vt_(vterm_new(kRows, kColumns)) {
        vterm_set_utf8(vt_, 1);
        VTermScreen* screen = vterm_obtain_screen(vt_);
        callbacks_.damage = [](VTermRect, void* self) { return mark(self); };
        callbacks_.moverect = [](VTermRect, VTermRect, void* self) { return mark(self); };
        callbacks_.movecursor = [](VTermPos pos, VTermPos old, int, void* self) {
            if (pos.row != old.row || pos.col != old.col) mark(self);
            return 1;
        };
        callbacks_.settermprop = [](VTermProp prop, VTermValue* value, void* self) {
            auto* s = static_cast<Screen*>(self);
            if (prop == VTERM_PROP_CURSORVISIBLE && value->boolean != s->cursor_visible_) {
                s->cursor_visible_ = value->boolean;
                s->changed_ = true;
            }
            if (prop == VTERM_PROP_ALTSCREEN && value->boolean != s->alt_screen_) {
                s->alt_screen_ = value->boolean;
                s->changed_ = true;
            }
            return 1;
        };
        vterm_screen_set_callbacks(screen, &callbacks_, this);
        vterm_screen_reset(screen, 1);
        changed_ = false;
    }
    ~Screen() { vterm_free(vt_); }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Feeds output; true when it changed what the screen shows.
    bool feed(const char* bytes, std::size_t n) {
        changed_ = false;
        vterm_input_write(vt_, bytes, n);
        return changed_;
    }

private:
    static int mark(void* self) {
        static_cast<Screen*>(self)->changed_ = true;
        return 1;
    }

    VTerm* vt_;
    VTermScreenCallbacks callbacks_{};
    bool changed_ = false;
    bool cursor_visible_ = true;
    bool alt_screen_ = false;
};

// ---- one program on a pseudo-terminal ----

struct ReadStats {
    std::size_t bytes = 0;           // everything read
    std::size_t changing_bytes = 0;  // in reads that changed the screen
    std::optional<Clock::time_point> last_change;
    std::size_t bytes_at_last_change = 0;
};

class Subject {
public:
    Subject(const Options& options, const std::string& state, const std::string& program,
            const std::vector<std::string>& args) {
        winsize ws{};
        ws.ws_row = kRows;
        ws.ws_col = kColumns;
        if (::openpty(&master_, &slave_, nullptr, nullptr, &ws) != 0) die("openpty failed");
        (void)::fcntl(master_, F_SETFD, FD_CLOEXEC);
        (void)::fcntl(slave_, F_SETFD, FD_CLOEXEC);
        (void)::fcntl(master_, F_SETFL, O_NONBLOCK);
        int marker[2];
        if (::pipe2(marker, O_CLOEXEC) != 0) die("pipe failed");
        marker_ = marker[0];

        std::vector<std::string> argv_text{options.sandbox, "--state", state, "--"};
        argv_text.insert(argv_text.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argv_text) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

        started_ = Clock::now();
        pid_ = ::fork();
        if (pid_ < 0) die("fork failed");
        if (pid_ == 0) {
            ::setsid();
            (void)::ioctl(slave_, TIOCSCTTY, 0);
            ::dup2(slave_, 0);
            ::dup2(slave_, 1);
            ::dup2(slave_, 2);
            ::dup2(marker[1], kMarkerFd);
            ::setenv("TERM", "xterm-256color", 1);
            ::setenv("LANG", "C.UTF-8", 1);
            ::unsetenv("NO_COLOR");
            ::unsetenv("LC_ALL");
            ::setenv("TARNWICK_BIN", self.c_str(), 1);
            ::setenv("FIRST_FRAME_EXEC", program.c_str(), 1);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(marker[1]);
    }

    ~Subject() {
        if (pid_ > 0) {
            ::kill(-pid_, SIGKILL);
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        ::close(master_);
        ::close(slave_);
        if (marker_ >= 0) ::close(marker_);
    }
    Subject(const Subject&) = delete;
    Subject& operator=(const Subject&) = delete;

    pid_t pid() const { return pid_; }
    std::optional<Clock::time_point> exec_time() const { return exec_time_; }

    // Reads output for up to `wait`; false once the program has ended.
    bool pump(Millis wait, ReadStats& stats) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {marker_, POLLIN, 0}};
        const int rc = ::poll(fds, marker_ >= 0 ? 2 : 1, static_cast<int>(wait.count()));
        const auto now = Clock::now();
        if (rc < 0 && errno != EINTR) die("poll failed");
        if (marker_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP))) {
            std::int64_t at = 0;
            if (::read(marker_, &at, sizeof at) == sizeof at) {
                exec_time_ = Clock::time_point(Clock::duration(at));
            }
            ::close(marker_);
            marker_ = -1;
        }
        if (fds[0].revents & POLLIN) read_all(now, stats);
        return alive();
    }

    // Output until the screen has not changed for `settle` (false at `timeout`
    // or when the program ended).
    bool settle(Millis settle, Millis timeout, ReadStats& stats) {
        const auto deadline = Clock::now() + timeout;
        auto quiet_since = Clock::now();
        while (Clock::now() < deadline) {
            if (!pump(Millis{10}, stats)) return false;
            if (stats.last_change && *stats.last_change > quiet_since) {
                quiet_since = *stats.last_change;
            }
            if (stats.last_change && Clock::now() - quiet_since >= settle) return true;
        }
        return false;
    }

    // Types `bytes` while reading output (the program must never block on it).
    bool type(std::string_view bytes, Millis timeout, ReadStats& stats) {
        const auto deadline = Clock::now() + timeout;
        while (!bytes.empty()) {
            if (Clock::now() > deadline) return false;
            pollfd fds[1] = {{master_, POLLIN | POLLOUT, 0}};
            if (::poll(fds, 1, 10) < 0 && errno != EINTR) die("poll failed");
            if (fds[0].revents & POLLIN) read_all(Clock::now(), stats);
            if (fds[0].revents & POLLOUT) {
                const ssize_t n =
                    ::write(master_, bytes.data(), std::min<std::size_t>(bytes.size(), 4096));
                if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
            }
            if (!alive()) return false;
        }
        return true;
    }

    // Bytes typed but not yet read by the program.
    int unread_input() const {
        int n = 0;
        if (::ioctl(slave_, FIONREAD, &n) != 0) return 0;
        return n;
    }

private:
    void read_all(Clock::time_point now, ReadStats& stats) {
        char buf[65536];
        while (true) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            const auto len = static_cast<std::size_t>(n);
            stats.bytes += len;
            if (screen_.feed(buf, len)) {
                stats.changing_bytes += len;
                stats.last_change = now;
                stats.bytes_at_last_change = stats.bytes;
            }
        }
    }

    bool alive() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        return true;
    }

    int master_ = -1;
    int slave_ = -1;
    int marker_ = -1;
    pid_t pid_ = -1;
    Clock::time_point started_;
    std::optional<Clock::time_point> exec_time_;
    Screen screen_;
};

// CPU time of every thread of the process, in seconds.
double cpu_seconds(pid_t pid) {
    double total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (dir == nullptr) return 0;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
        unsigned long long ns = 0;
        if (in >> ns) total += static_cast<double>(ns) / 1e9;
    }
    ::closedir(dir);
    return total;
}

// VmHWM in KiB.
long peak_rss_kib(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

struct RunResult {
    double first_ms = 0;
    double first_bytes = 0;
    double idle_bytes = 0;
    std::optional<double> key_bytes;
    std::optional<double> typed_cpu_per_mib;
    double peak_kib = 0;
};

std::optional<RunResult> run_once(const Options& o, const std::string& state,
                                  const std::string& program, const std::vector<std::string>& args,
                                  bool console, std::string& error) {
    const Millis settle{o.settle_ms};
    const Millis timeout{std::chrono::seconds(o.timeout_s)};
    Subject s(o, state, program, args);
    ReadStats first;
    if (!s.settle(settle, timeout, first) || !s.exec_time()) {
        error = "no settled first frame";
        return std::nullopt;
    }
    RunResult r;
    r.first_ms = ms_between(*s.exec_time(), *first.last_change);
    r.first_bytes = static_cast<double>(first.bytes_at_last_change);

    // One idle second, counted from the end of the settle window.
    ReadStats idle;
    const auto idle_end = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < idle_end) {
        if (!s.pump(Millis{20}, idle)) {
            error = "ended while idle";
            return std::nullopt;
        }
    }
    r.idle_bytes = static_cast<double>(idle.bytes);

    if (console) {
        // The login screen starts with the password field focused (listed users).
        ReadStats key;
        if (!s.type("x", timeout, key) || !s.settle(settle, timeout, key)) {
            error = "no frame after a keystroke";
            return std::nullopt;
        }
        r.key_bytes = static_cast<double>(key.changing_bytes);

        std::string burst(o.typed_bytes, 'a');
        for (std::size_t i = 0; i < burst.size(); ++i) burst[i] = static_cast<char>('a' + i % 26);
        ReadStats typed;
        const double before = cpu_seconds(s.pid());
        if (!s.type(burst, timeout, typed)) {
            error = "typed input not taken in time";
            return std::nullopt;
        }
        const auto deadline = Clock::now() + timeout;
        while (s.unread_input() > 0 && Clock::now() < deadline) {
            if (!s.pump(Millis{5}, typed)) break;
        }
        if (!s.settle(settle, timeout, typed)) {
            error = "no frame after typed input";
            return std::nullopt;
        }
        const double used = cpu_seconds(s.pid()) - before;
        r.typed_cpu_per_mib =
            used * static_cast<double>(1 << 20) / static_cast<double>(o.typed_bytes);
    }
    r.peak_kib = static_cast<double>(peak_rss_kib(s.pid()));
    return r;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <class F>
std::vector<double> column(const std::vector<RunResult>& runs, F f) {
    std::vector<double> out;
    for (const RunResult& r : runs) {
        if (auto v = f(r)) out.push_back(*v);
    }
    return out;
}

std::string number(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

std::string cell(const std::vector<double>& values, int decimals) {
    return values.empty() ? "-" : number(median(values), decimals);
}

std::string spread(const std::vector<double>& values, int decimals) {
    if (values.empty()) return "";
    return number(*std::min_element(values.begin(), values.end()), decimals) + " .. " +
           number(*std::max_element(values.begin(), values.end()), decimals);
}

void usage() {
    std::puts(
        "usage: first-frame --sandbox PATH --tarnwick PATH [--dialog PATH] [--runs N]\n"
        "                   [--typed-bytes N] [--settle-ms N] [--timeout S]");
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) die("missing value for " + a);
            return argv[++i];
        };
        if (a == "--sandbox")
            o.sandbox = value();
        else if (a == "--tarnwick")
            o.tarnwick = value();
        else if (a == "--dialog")
            o.dialog = value();
        else if (a == "--runs")
            o.runs = std::max(1, std::atoi(value().c_str()));
        else if (a == "--typed-bytes")
            o.typed_bytes = std::max<std::size_t>(1, std::strtoul(value().c_str(), nullptr, 10));
        else if (a == "--settle-ms")
            o.settle_ms = std::max(50, std::atoi(value().c_str()));
        else if (a == "--timeout")
            o.timeout_s = std::max(1, std::atoi(value().c_str()));
        else if (a == "--help" || a == "-h") {
            usage();
            std::exit(0);
        } else {
            usage();
            die("unknown argument " + a);
        }
    }
    if (o.sandbox.empty() || o.tarnwick.empty()) {
        usage();
        std::exit(2);
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* target = std::getenv("FIRST_FRAME_EXEC")) exec_marked(target, argv);
    const Options o = parse(argc, argv);
    if (::geteuid() != 0) die("needs root (the sandbox uses a private mount namespace)");
    ::signal(SIGPIPE, SIG_IGN);

    char root_template[] = "/tmp/tarnwick-first-frame.XXXXXX";
    if (::mkdtemp(root_template) == nullptr) die("mkdtemp failed");
    const std::string root = root_template;
    const std::string console_state = root + "/console";
    const std::string dialog_state = root + "/dialog";
    const std::vector<std::string> dialog_args = {"--title",
                                                  "Console",
                                                  "--menu",
                                                  "Choose an action",
                                                  "0",
                                                  "0",
                                                  "0",
                                                  "shell",
                                                  "Open a shell",
                                                  "info",
                                                  "System information",
                                                  "network",
                                                  "Network configuration",
                                                  "power",
                                                  "Power off or reboot",
                                                  "logout",
                                                  "Log out"};

    std::vector<RunResult> console_runs, dialog_runs;
    std::vector<double> pair_ratios;
    for (int i = 0; i < o.runs; ++i) {
        std::string error;
        auto c = run_once(o, console_state, o.tarnwick, {}, true, error);
        if (!c) std::fprintf(stderr, "first-frame: console run %d: %s\n", i + 1, error.c_str());
        auto d = run_once(o, dialog_state, o.dialog, dialog_args, false, error);
        if (!d) std::fprintf(stderr, "first-frame: dialog run %d: %s\n", i + 1, error.c_str());
        if (c) console_runs.push_back(*c);
        if (d) dialog_runs.push_back(*d);
        if (c && d && d->first_ms > 0) pair_ratios.push_back(c->first_ms / d->first_ms);
        std::fprintf(stderr, "first-frame: run %d/%d done\n", i + 1, o.runs);
    }
    std::filesystem::remove_all(root);

    auto first_ms = [](const RunResult& r) { return std::optional<double>(r.first_ms); };
    auto first_bytes = [](const RunResult& r) { return std::optional<double>(r.first_bytes); };
    auto idle = [](const RunResult& r) { return std::optional<double>(r.idle_bytes); };
    auto key = [](const RunResult& r) { return r.key_bytes; };
    auto typed = [](const RunResult& r) { return r.typed_cpu_per_mib; };
    auto peak = [](const RunResult& r) { return std::optional<double>(r.peak_kib / 1024.0); };

    const auto cf = column(console_runs, first_ms);
    const auto df = column(dialog_runs, first_ms);
    std::printf(
        "first-frame: %zu console and %zu dialog runs, 80x24, TERM=xterm-256color, medians\n",
        console_runs.size(), dialog_runs.size());
    std::printf("  %-34s %14s %14s\n", "", "console", "dialog --menu");
    auto row = [&](const char* name, auto f, int decimals) {
        std::printf("  %-34s %14s %14s\n", name, cell(column(console_runs, f), decimals).c_str(),
                    cell(column(dialog_runs, f), decimals).c_str());
    };
    row("first frame (ms from exec)", first_ms, 1);
    std::printf("  %-34s %14s %14s\n", "  spread (min .. max)", spread(cf, 1).c_str(),
                spread(df, 1).c_str());
    if (!cf.empty() && !df.empty()) {
        std::printf("  %-34s %14.2f   (pairwise median %.2f)\n", "first frame ratio console/dialog",
                    median(cf) / median(df), median(pair_ratios));
    }
    row("first frame (bytes)", first_bytes, 0);
    row("idle (bytes in one second)", idle, 0);
    row("one password keystroke (bytes)", key, 0);
    char typed_name[64];
    std::snprintf(typed_name, sizeof typed_name, "typed input (CPU s per MiB, %zu B)",
                  o.typed_bytes);
    row(typed_name, typed, 3);
    row("peak RSS (MiB)", peak, 2);
    return console_runs.empty() || dialog_runs.empty() ? 1 : 0;
}
