#pragma once
// The console log: a process-wide ring of the last 100 lines (what the
// diagnostics view shows) and the file /var/log/tarnwick-console.log, which
// receive the same lines (the file's with control characters escaped). Captured standard error
// reaches it through core/console_capture.

#include "core/result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

inline constexpr std::size_t CONSOLE_RING_CAPACITY = 100;

// The tail reader looks at no more than the file's last this-many bytes.
inline constexpr std::size_t kMaxTailBytes = 1024 * 1024;

// "[<unix seconds>] " + text.
std::string stamp_console_line(std::string_view text);

// Stamps the message with its trailing white space removed (leading white
// space kept) and pushes it. Never fails.
void log_console(std::string message);
void log_console_str(std::string_view message);

// Appends the line to the ring (dropping the oldest when full), then to the
// file, outside the ring lock; a file error is ignored.
void push_console_line(std::string line);

// Appends the escaped line + "\n" to the console log file (created 0600).
// Returns errno.
Result<void, int> append_console_log_file(std::string_view line);
Result<void, int> append_console_log_file(const std::string& path, std::string_view line);

// The form a line takes in the file: valid UTF-8 without any control
// character but the tab, so that reading the file runs nothing in the
// reader's terminal and every line is one line for the tail reader.
std::string escape_console_log_line(std::string_view line);

// The last 100 lines of the console log file, oldest first; empty when it
// cannot be read.
std::vector<std::string> read_console_log_tail();
std::vector<std::string> read_console_log_tail(const std::string& path);

// A copy of the ring's lines, oldest first, and its length, each taken under
// the ring lock.
std::vector<std::string> console_ring_snapshot();
std::size_t console_ring_len();

// Seeds an empty ring with earlier lines (in order, while it holds fewer than
// 100); does nothing when the ring already has lines. The file is not written.
void seed_console_ring(const std::vector<std::string>& lines);

}  // namespace tarnwick
