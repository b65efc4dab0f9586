#include "tui/kit/terminal.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace tarnwick::tui {
namespace {

Rect full(Size s) {
    return {0, 0, s.width, s.height};
}

bool no_color_requested() {
    const char* value = std::getenv("NO_COLOR");
    return value != nullptr && *value != '\0';
}

// Frames are built in memory; running out of it ends the screen with an
// error instead of taking the console down with an uncaught exception.
template <class F>
auto without_bad_alloc(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return fail(IoError{ENOMEM});
    }
}

}  // namespace

Result<Terminal, IoError> Terminal::create(Backend& backend) {
    auto size = backend.size();
    if (!size) return fail(size.error());
    return without_bad_alloc([&] {
        return Result<Terminal, IoError>(tl::in_place, backend, *size,
                                         DrawOptions{no_color_requested()});
    });
}

Terminal::Terminal(Backend& backend, Size size, DrawOptions options)
    : backend_(&backend),
      size_(clamp_screen_size(size)),
      options_(options),
      buffers_{Buffer(full(size_)), Buffer(full(size_))} {}

Terminal::Terminal(Terminal&& other) noexcept
    : backend_(other.backend_),
      size_(other.size_),
      options_(other.options_),
      buffers_{std::move(other.buffers_[0]), std::move(other.buffers_[1])},
      current_(other.current_),
      cursor_hidden_(other.cursor_hidden_),
      cursor_placed_(other.cursor_placed_),
      out_(std::move(other.out_)) {
    other.cursor_hidden_ = false;
}

Terminal::~Terminal() {
    if (cursor_hidden_) {
        // Best effort on the way out: a destructor has no one to report to.
        (void)show_cursor();
        (void)backend_->flush();
    }
}

Result<void, IoError> Terminal::clear() {
    if (auto r = backend_->write("\x1b[2J"); !r) return r;
    if (auto r = backend_->flush(); !r) return r;
    buffers_[1 - current_].reset();
    cursor_placed_.reset();
    return {};
}

Result<void, IoError> Terminal::resize(Size size) {
    size = clamp_screen_size(size);
    auto resized = without_bad_alloc([&]() -> Result<void, IoError> {
        buffers_[current_].resize(full(size));
        buffers_[1 - current_].resize(full(size));
        return {};
    });
    if (!resized) return resized;
    size_ = size;
    return clear();
}

Result<void, IoError> Terminal::autoresize() {
    auto size = backend_->size();
    if (!size) return fail(size.error());
    if (clamp_screen_size(*size) != size_) return resize(*size);
    return {};
}

Result<void, IoError> Terminal::hide_cursor() {
    if (auto r = backend_->hide_cursor(); !r) return r;
    cursor_hidden_ = true;
    return {};
}

Result<void, IoError> Terminal::show_cursor() {
    if (auto r = backend_->show_cursor(); !r) return r;
    cursor_hidden_ = false;
    cursor_placed_.reset();
    return {};
}

void Terminal::render_unsent(const std::function<void(Frame&)>& render) {
    Frame frame(buffers_[current_]);
    render(frame);
    buffers_[current_].reset();
}

Result<void, IoError> Terminal::draw(const std::function<void(Frame&)>& render) {
    return without_bad_alloc([&] { return draw_frame(render); });
}

Result<void, IoError> Terminal::draw_frame(const std::function<void(Frame&)>& render) {
    if (auto r = autoresize(); !r) return r;

    Buffer& current = buffers_[current_];
    Frame frame(current);
    render(frame);

    const std::vector<CellUpdate> updates = buffers_[1 - current_].diff(current);
    const std::optional<Position> cursor = frame.cursor_position();
    const bool cursor_kept = cursor ? !cursor_hidden_ && cursor_placed_ == cursor : cursor_hidden_;
    const bool silent = updates.empty() && cursor_kept;
    if (!silent) {
        out_.clear();
        append_draw_bytes(out_, updates, options_);
        if (auto r = backend_->write(out_); !r) return r;

        if (cursor) {
            if (auto r = show_cursor(); !r) return r;
            out_.clear();
            append_move_to(out_, cursor->x, cursor->y);
            if (auto r = backend_->write(out_); !r) return r;
            cursor_placed_ = cursor;
        } else {
            if (auto r = hide_cursor(); !r) return r;
        }
    }

    buffers_[1 - current_].reset();
    current_ = 1 - current_;
    return silent ? Result<void, IoError>{} : backend_->flush();
}

}  // namespace tarnwick::tui
