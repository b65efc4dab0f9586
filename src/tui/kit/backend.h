#pragma once
// Where a Terminal sends its bytes: the console (FdBackend), or memory in
// the tests (tests/support/test_backend.h).

#include <cstdint>
#include <string_view>

#include "core/result.h"
#include "tui/io_error.h"

namespace tarnwick::tui {

struct Size {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// The largest screen side drawn. A terminal may report up to 65535 columns
// and rows (anyone with a shell on it can set that), which no frame buffer
// should be allocated for; beyond this the frame covers the top-left part.
inline constexpr std::uint16_t kMaxScreenSide = 1000;

constexpr Size clamp_screen_size(Size size) {
    return {size.width < kMaxScreenSide ? size.width : kMaxScreenSide,
            size.height < kMaxScreenSide ? size.height : kMaxScreenSide};
}

class Backend {
public:
    virtual ~Backend() = default;

    // The screen size in cells.
    virtual Result<Size, IoError> size() = 0;
    // Queues bytes for the terminal; they may only reach it on flush.
    virtual Result<void, IoError> write(std::string_view bytes) = 0;
    virtual Result<void, IoError> flush() = 0;

    Result<void, IoError> hide_cursor() { return write("\x1b[?25l"); }
    Result<void, IoError> show_cursor() { return write("\x1b[?25h"); }
};

}  // namespace tarnwick::tui
