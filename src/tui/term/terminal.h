#pragma once
// The terminal session every full-screen screen shares: raw mode, and the
// exact byte sequences that set the terminal up for a screen, take it down
// again, clear it, and restore it after an error.
//
// Every step is its own write to the backend and the first failing step ends
// the operation with its error (except where noted), so a test can check the
// sequences byte for byte and write for write through a recording backend.

#include "core/result.h"
#include "tui/io_error.h"
#include "tui/kit/backend.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwick::tui {

// The sequences go to a drawing backend: the screen's own (standard output)
// or, in tests, one that records. Each step is one write; "flush" steps flush.
using IoResult = Result<void, IoError>;

// A backend on descriptor 1, for callers without a screen terminal.
Backend& standard_output();

// The terminal the program reads keys from and sets modes on: standard input
// when it is a terminal, else /dev/tty (opened once, close-on-exec). -1 with
// errno set when there is none.
int terminal_input_fd();

// Raw mode: the settings before the first enable are kept and put back by
// disable (enabling twice keeps the first saved settings; disabling without
// an enable does nothing).
IoResult enable_raw_mode();
IoResult disable_raw_mode();
bool is_raw_mode_enabled();

// Clears the screen and the scroll-back, homes and hides the cursor, resets
// the attributes to a black background.
IoResult clear_screen(Backend& out = standard_output());

// Raw mode, a cleared alternate screen and mouse reporting.
IoResult enter_tui(Backend& out = standard_output());

// Undoes enter_tui and shows the cursor. The caller records on its drawing
// terminal that the cursor is visible again.
IoResult leave_tui(Backend& out = standard_output());

// Best-effort full restore after an error or before handing the terminal on
// (shell, shutdown): raw mode off, mouse reporting off, main screen, cleared,
// cursor home and shown. Never fails, never reports, and never holds the
// caller for long: on standard output it waits at most kTerminalWriteLimit
// for a terminal to take the bytes (a stopped output gets none of them),
// and a process group out of the terminal's foreground is not stopped.
void restore_terminal();
// The same to `out`.
void restore_terminal(Backend& out);

// The mouse-reporting sequences (one write each).
inline constexpr std::string_view kMouseReportingOn =
    "\x1b[?1000h\x1b[?1002h\x1b[?1003h\x1b[?1015h\x1b[?1006h";
inline constexpr std::string_view kMouseReportingOff =
    "\x1b[?1006l\x1b[?1015l\x1b[?1003l\x1b[?1002l\x1b[?1000l";
inline constexpr std::string_view kAlternateScreenOn = "\x1b[?1049h";
inline constexpr std::string_view kAlternateScreenOff = "\x1b[?1049l";

}  // namespace tarnwick::tui
