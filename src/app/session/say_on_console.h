#pragma once
// The last word of a console that ends with an error, on the console itself.
// Once standard error is the capture pipe, what the program prints there only
// reaches the log; init would start the program again on a screen that never
// said why it stopped.

#include <string>
#include <string_view>

namespace tarnwick::app {

// `line` as it may go to a terminal: as the console log file holds it, each
// control character but the tab written out ("\033"), a backslash doubled,
// each byte that is not UTF-8 as U+FFFD.
std::string terminal_safe_line(std::string_view line);

// After restore_terminal: the safe `line` and CR LF on the console terminal
// (descriptor 1), unless standard error is that same terminal and has shown
// the line already. Best effort and never blocking: what the terminal has not
// taken within kTerminalWriteLimit (a stopped output, a full queue) is
// dropped, and so is the rest after a hang-up.
void say_on_console(std::string_view line);

// The same with the two descriptors given.
void say_on_terminal(int terminal_fd, int stderr_fd, std::string_view line);

}  // namespace tarnwick::app
