#pragma once
// The double-buffered terminal: each draw renders a whole frame into the
// current buffer, sends only the cells that differ from the previous frame,
// then swaps the buffers.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "tui/kit/backend.h"
#include "tui/kit/buffer.h"
#include "tui/kit/draw_bytes.h"

namespace tarnwick::tui {

// What one draw callback renders into.
class Frame {
public:
    explicit Frame(Buffer& buffer) : buffer_(buffer) {}

    // The whole screen.
    Rect area() const { return buffer_.area(); }
    Buffer& buffer() { return buffer_; }

    // Any widget with `render(Rect, Buffer&) const`.
    template <class Widget>
    void render_widget(const Widget& widget, Rect area) {
        widget.render(area, buffer_);
    }
    // Any widget with `render(Rect, Buffer&, State&) const`.
    template <class Widget, class State>
    void render_stateful_widget(const Widget& widget, Rect area, State& state) {
        widget.render(area, buffer_, state);
    }

    // Shows the cursor at the position after this frame; without a call the
    // cursor is hidden.
    void set_cursor_position(Position p) { cursor_ = p; }
    std::optional<Position> cursor_position() const { return cursor_; }

private:
    Buffer& buffer_;
    std::optional<Position> cursor_;
};

class Terminal {
public:
    // A terminal the size of the backend's screen, each side clamped to
    // kMaxScreenSide. Nothing is written: the previous frame is taken as
    // blank. NO_COLOR (non-empty) is read here. Memory that cannot be had is
    // ENOMEM, as for every call below that allocates.
    static Result<Terminal, IoError> create(Backend& backend);
    Terminal(Backend& backend, Size size, DrawOptions options);

    Terminal(Terminal&& other) noexcept;
    Terminal& operator=(Terminal&&) = delete;
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    // Shows the cursor again if it is still recorded as hidden (errors ignored).
    ~Terminal();

    // Resizes first if the screen size changed, renders one frame, sends the
    // changed cells, hides (or shows and places) the cursor and flushes. A
    // frame with no changed cell that leaves the cursor as it was (hidden, or
    // shown at the same place) writes nothing at all, so an idle screen is
    // silent on the line.
    Result<void, IoError> draw(const std::function<void(Frame&)>& render);

    // Renders one frame without sending it, then forgets it: for a caller
    // that needs only what rendering records (where things were drawn).
    void render_unsent(const std::function<void(Frame&)>& render);

    // Clears the screen (ESC[2J) and forgets the previous frame, so the next
    // draw sends every non-blank cell.
    Result<void, IoError> clear();
    // Resizes both buffers to the new size (clamped) and clears.
    Result<void, IoError> resize(Size size);
    // Resizes when the backend reports another size than the current one.
    Result<void, IoError> autoresize();

    Result<void, IoError> hide_cursor();
    Result<void, IoError> show_cursor();
    bool cursor_hidden() const { return cursor_hidden_; }
    // Records the cursor as shown or hidden without writing anything (for a
    // caller that showed it by its own bytes).
    void set_cursor_hidden(bool hidden) {
        cursor_hidden_ = hidden;
        cursor_placed_.reset();
    }

    Size size() const { return size_; }
    Backend& backend() { return *backend_; }
    // The frame last sent to the terminal.
    const Buffer& last_frame() const { return buffers_[1 - current_]; }

private:
    Result<void, IoError> draw_frame(const std::function<void(Frame&)>& render);

    Backend* backend_;
    Size size_;
    DrawOptions options_;
    Buffer buffers_[2];
    int current_ = 0;
    bool cursor_hidden_ = false;
    // Where the last frame showed the cursor; reset by anything else that
    // may have moved or shown it.
    std::optional<Position> cursor_placed_;
    std::string out_;
};

}  // namespace tarnwick::tui
