#pragma once
// An in-memory backend for tests: records every byte written and keeps the
// screen those bytes produce, so a test can read cells after a draw.

#include <optional>
#include <string>

#include "tui/kit/backend.h"
#include "tui/kit/buffer.h"

namespace tarnwick::test {

class TestBackend final : public tui::Backend {
public:
    TestBackend(std::uint16_t width, std::uint16_t height);

    Result<tui::Size, tui::IoError> size() override;
    Result<void, tui::IoError> write(std::string_view bytes) override;
    Result<void, tui::IoError> flush() override;

    // The screen as the bytes flushed so far left it.
    const tui::Buffer& screen() const { return screen_; }
    // Symbols of one screen row, joined.
    std::string row_text(std::uint16_t y) const;
    // Every byte flushed so far.
    const std::string& bytes() const { return flushed_; }
    // The bytes flushed since the last call.
    std::string take_bytes();

    bool cursor_visible() const { return cursor_visible_; }
    tui::Position cursor() const { return cursor_; }
    int flush_count() const { return flushes_; }

    // Changes the size the next size() reports (the screen is kept).
    void set_size(std::uint16_t width, std::uint16_t height);
    // Makes every later write, flush or size call fail with this errno;
    // nullopt ends it.
    void fail_with(std::optional<int> errnum) { failure_ = errnum; }

private:
    void apply(std::string_view bytes);
    void apply_csi(std::string_view params, char final_byte);
    void apply_sgr(std::string_view params);
    void put_text(std::string_view text);

    tui::Size size_;
    tui::Buffer screen_;
    std::string pending_;
    std::string flushed_;
    std::size_t taken_ = 0;
    std::string partial_;
    tui::Position cursor_;
    tui::Style pen_ = tui::Style::reset();
    bool cursor_visible_ = true;
    int flushes_ = 0;
    std::optional<int> failure_;
};

}  // namespace tarnwick::test
