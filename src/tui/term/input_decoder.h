#pragma once
// Turns the bytes a terminal sends into events: xterm, FreeBSD console
// (xterm and cons25/vt), Linux console and tmux/screen key sequences, the
// CSI-u keyboard protocol, X10, SGR (1006) and urxvt (1015) mouse reports,
// focus reports and bracketed paste.
//
// Bytes are decoded one at a time against the pending sequence. Every byte is
// decoded as if more input could follow; a caller that has waited long enough
// for the rest of a sequence calls finish(), which turns a lone ESC into the
// Esc key and drops anything else unfinished. Unknown or malformed sequences
// are dropped without an event.

#include "tui/term/event.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::tui {

class InputDecoder {
public:
    // A pending sequence longer than this is dropped: a terminal line must not
    // be able to grow the buffer without bound (an endless paste or report).
    static constexpr std::size_t kMaxPendingBytes = 64 * 1024;

    void feed(std::string_view bytes);

    // An incomplete sequence (a lone ESC included) is waiting for more bytes.
    bool pending() const { return !buffer_.empty(); }

    // No more bytes are coming for the pending sequence.
    void finish();

    bool has_event() const { return !events_.empty(); }
    std::optional<Event> pop();

private:
    void push_byte(char byte);

    std::string buffer_;
    std::deque<Event> events_;
};

}  // namespace tarnwick::tui
