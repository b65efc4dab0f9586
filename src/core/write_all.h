#pragma once
// Writing a whole buffer to a descriptor, however the system splits it.

#include "core/result.h"

#include <chrono>
#include <string_view>

namespace tarnwick {

// Writes every byte, repeating short and interrupted writes. On failure the
// errno of the write that failed (EIO for a write that took nothing); an
// unknown part of the data may have been written by then.
Result<void, int> write_all(int fd, std::string_view data);

// How long the last writes to a terminal, on the way out, wait for it to take
// them: a line slower than the console's own (a serial one) drains its queue
// in that time, and a stopped one does not keep the process.
inline constexpr std::chrono::milliseconds kTerminalWriteLimit{2000};

// Writes what `fd` takes within `limit` in all, never blocking in write: the
// descriptor is non-blocking for the call and its flags are put back after
// (it is shared with standard input), SIGTTOU is blocked meanwhile (a write
// from a group that lost the terminal's foreground goes through instead of
// stopping the process), and between short writes it waits for room until
// the limit is over. A limit of zero takes what fits at once. On failure
// the errno (EAGAIN when the time ran out); an unknown part of the data may
// have been written by then.
Result<void, int> write_all_within(int fd, std::string_view data, std::chrono::milliseconds limit);

}  // namespace tarnwick
