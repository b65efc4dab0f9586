// --mouse-echo on a pseudo-terminal: injected reports become lines in the file.
#include "support/pty_session.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/ci_gate.h"

namespace tarnwick::test {
namespace {

const std::string kStart = "\x1b[?1049h\x1b[?1000h\x1b[?1002h\x1b[?1003h\x1b[?1015h\x1b[?1006h";
const std::string kEnd = "\x1b[?1006l\x1b[?1015l\x1b[?1003l\x1b[?1002l\x1b[?1000l\x1b[?1049l";

struct Echo {
    ScratchDir dir;
    std::string path = dir.file("echo.log");
    std::unique_ptr<PtySession> session;

    explicit Echo(const std::string& max, std::string out_path = "") {
        if (!out_path.empty()) path = out_path;
        session = std::make_unique<PtySession>(PtyOptions{
            .args = {"--mouse-echo", "--mouse-echo-path", path, "--mouse-echo-max", max}});
    }
    // Waits until the harness is recording (its READY line is in the file).
    bool ready() {
        return session->wait_until([&] { return file().find('\n') != std::string::npos; });
    }
    std::string file() const { return read_file(path); }
    // Waits until the recording holds `line`.
    bool recorded(const std::string& line) {
        return session->wait_until(
            [&] { return file().find("MOUSE kind=" + line + "\n") != std::string::npos; });
    }
};

std::string lines(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& l : v) s += l + "\n";
    return s;
}

TEST(MouseEcho, RecordsEachEncodingUntilMax) {
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::string> recorded;
    };
    const Case cases[] = {
        {"sgr",
         "\x1b[<0;10;5M\x1b[<0;10;5m\x1b[<2;3;4M",
         {"down_left col=9 row=4", "up_left col=9 row=4", "down_right col=2 row=3"}},
        {"x10",
         std::string("\x1b[M\x20\x2a\x25") + "\x1b[M\x23\x2a\x25" + "\x1b[M\x60\x21\x21",
         {"down_left col=9 row=4", "up_left col=9 row=4", "scroll_up col=0 row=0"}},
        {"urxvt",
         "\x1b[32;7;8M\x1b[35;7;8M\x1b[97;1;2M",
         {"down_left col=6 row=7", "up_left col=6 row=7", "scroll_down col=0 row=1"}},
        {"drag_and_others",
         "\x1b[<0;2;2M\x1b[<32;3;2M\x1b[<1;1;1M\x1b[<66;1;1M\x1b[<35;4;4M\x1b[<0;3;2m",
         {"down_left col=1 row=1", "other col=2 row=1", "other col=0 row=0"}},
        // A key, a bracketed paste and a focus report do not count.
        {"ignored_events",
         "a\x1b[200~x\x1b[201~\x1b[I\x1b[<0;1;1M\x1b[B\x1b[<0;1;1m\x1b[<64;5;5M",
         {"down_left col=0 row=0", "up_left col=0 row=0", "scroll_up col=4 row=4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Echo echo("3");
        ASSERT_TRUE(echo.session->started()) << echo.session->error();
        ASSERT_TRUE(echo.ready());
        echo.session->write(c.input);
        ASSERT_EQ(echo.session->wait_exit(), 0) << echo.session->output();
        std::vector<std::string> expected = {"MOUSE_ECHO_READY path=" + echo.path + " max=3"};
        for (const auto& r : c.recorded) expected.push_back("MOUSE kind=" + r);
        expected.push_back("MOUSE_ECHO_DONE count=3");
        EXPECT_EQ(echo.file(), lines(expected));
        EXPECT_EQ(echo.session->output(),
                  kStart + kEnd + "MOUSE_ECHO_OK count=3 path=" + echo.path + "\r\n");
    }
}

TEST(MouseEcho, KeysAndResizesDoNotCount) {
    Echo echo("2");
    ASSERT_TRUE(echo.ready());
    echo.session->write("\x1b[<0;4;4M");
    echo.session->write("a");
    ASSERT_TRUE(echo.recorded("down_left col=3 row=3")) << echo.file();
    // The resize reaches the program before the release that would end it.
    echo.session->resize(100, 30);
    ASSERT_TRUE(echo.session->wait_signal_taken(SIGWINCH));
    echo.session->write("\x1b[<0;4;4m");
    ASSERT_EQ(echo.session->wait_exit(), 0);
    EXPECT_EQ(echo.file(), lines({"MOUSE_ECHO_READY path=" + echo.path + " max=2",
                                  "MOUSE kind=down_left col=3 row=3",
                                  "MOUSE kind=up_left col=3 row=3", "MOUSE_ECHO_DONE count=2"}));
}

TEST(MouseEcho, EscEndsWhateverItsModifiers) {
    for (const std::string esc : {"\x1b", "\x1b\x1b", "\x1b[27;5u", "\x1b[27;3u"}) {
        Echo echo("8");
        ASSERT_TRUE(echo.ready());
        echo.session->write("\x1b[<0;2;3M");
        ASSERT_TRUE(echo.recorded("down_left col=1 row=2")) << echo.file();
        echo.session->write(esc);
        ASSERT_EQ(echo.session->wait_exit(), 0);
        EXPECT_EQ(echo.file(),
                  lines({"MOUSE_ECHO_READY path=" + echo.path + " max=8",
                         "MOUSE kind=down_left col=1 row=2", "MOUSE_ECHO_DONE count=1"}));
        EXPECT_TRUE(echo.session->wait_for_output("MOUSE_ECHO_OK count=1 path="));
    }
}

TEST(MouseEcho, MaxZeroReadsNothing) {
    Echo echo("0");
    ASSERT_EQ(echo.session->wait_exit(), 0);
    EXPECT_EQ(echo.file(),
              lines({"MOUSE_ECHO_READY path=" + echo.path + " max=0", "MOUSE_ECHO_DONE count=0"}));
    EXPECT_EQ(echo.session->output(),
              kStart + kEnd + "MOUSE_ECHO_OK count=0 path=" + echo.path + "\r\n");
}

TEST(MouseEcho, TruncatesAnExistingFile) {
    Echo echo("0");
    ASSERT_EQ(echo.session->wait_exit(), 0);
    Echo again("0", echo.path);
    ASSERT_EQ(again.session->wait_exit(), 0);
    EXPECT_EQ(again.file(),
              lines({"MOUSE_ECHO_READY path=" + echo.path + " max=0", "MOUSE_ECHO_DONE count=0"}));
}

// On failure the terminal stays switched: raw mode and the alternate screen.
TEST(MouseEcho, UnusablePathFailsWithTheSystemErrorAfterTheTerminalWasSwitched) {
    ScratchDir dir;
    const std::string regular = dir.write("target.log", "keep me\n");
    ASSERT_EQ(::symlink(regular.c_str(), dir.file("link.log").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    // A second name for a file (at the default /tmp path, anyone can make
    // one for a file of root's): its content must survive.
    ASSERT_EQ(::link(regular.c_str(), dir.file("hard.log").c_str()), 0);
    struct Case {
        std::string path;
        std::string error;
    };
    const Case cases[] = {
        {dir.file("missing/echo.log"), "No such file or directory (os error 2)"},
        {dir.file("link.log"), "Too many levels of symbolic links (os error 40)"},
        {dir.file("fifo"), "No such device or address (os error 6)"},
        {"/dev/null", "Invalid argument (os error 22)"},
        {dir.file("hard.log"), "Too many links (os error 31)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Echo echo("8", c.path);
        ASSERT_EQ(echo.session->wait_exit(), 71);
        // A bare line feed: output processing is still off (raw mode).
        EXPECT_EQ(echo.session->output(), kStart + "ERROR: mouse-echo: " + c.error + "\n");
        EXPECT_TRUE(echo.session->alternate_screen());
    }
    EXPECT_EQ(read_file(regular), "keep me\n");
}

TEST(MouseEcho, RefusesAFileOfAnotherOwner) {
    REQUIRE_ROOT("needs root to give the file to another owner");
    ScratchDir dir;
    const std::string theirs = dir.write("theirs.log", "keep me\n");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    Echo echo("8", theirs);
    ASSERT_EQ(echo.session->wait_exit(), 71);
    EXPECT_EQ(echo.session->output(),
              kStart + "ERROR: mouse-echo: Operation not permitted (os error 1)\n");
    EXPECT_EQ(read_file(theirs), "keep me\n");
}

}  // namespace
}  // namespace tarnwick::test
