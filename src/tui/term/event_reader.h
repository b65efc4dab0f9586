#pragma once
// Reads terminal input and window-size changes as events.
//
// One wait covers the terminal and a self-pipe that the SIGWINCH handler
// writes to (the handler does nothing else). Each read takes up to 1024 bytes
// and decodes all of them before an event is handed out; extra events are
// queued. A read that ends inside a sequence waits up to 25 ms for the rest,
// so a sequence split by a slow line still decodes whole.

#include "tui/io_error.h"
#include "tui/kit/backend.h"
#include "tui/term/event.h"
#include "tui/term/input_decoder.h"
#include "tui/term/terminal.h"

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

namespace tarnwick::tui {

using EventResult = Result<std::optional<Event>, IoError>;

// The size of the controlling terminal, else of standard output.
std::optional<Size> screen_size();

class EventReader {
public:
    using SizeQuery = std::function<std::optional<Size>()>;

    static constexpr std::chrono::milliseconds kSequenceWait{25};
    static constexpr std::size_t kReadSize = 1024;

    // Reads from `input_fd` (not owned). Window-size changes are reported
    // with the size `size` gives at that moment.
    explicit EventReader(int input_fd, SizeQuery size = screen_size);

    // The next event within `timeout` (no limit when nullopt): nothing when
    // the time passes or the wait is interrupted by a signal. End of input is
    // an I/O error (EIO), and so is a stop signal (EINTR, see
    // platform/stop_signals.h), which the caller tells apart by stop_signal().
    EventResult poll_event(std::optional<std::chrono::milliseconds> timeout);

private:
    std::optional<Event> take();
    Result<void, IoError> read_input();
    void complete_sequence();

    int fd_;
    SizeQuery size_;
    InputDecoder decoder_;
    std::optional<ResizeEvent> resize_;  // quick signals merge into one
};

// The program's reader on terminal_input_fd(); an error when there is no terminal.
EventResult poll_terminal_event(std::optional<std::chrono::milliseconds> timeout);

}  // namespace tarnwick::tui
