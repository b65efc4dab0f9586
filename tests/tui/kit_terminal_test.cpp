#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "support/test_backend.h"
#include "tui/kit/terminal.h"
#include "tui/kit/width.h"

namespace tarnwick::tui {
namespace {

using test::TestBackend;

const Style kBoldRed = Style{}.with_fg(Color::Red).add(Modifier::Bold);

std::string draw_bytes_of(const std::vector<std::pair<Position, Cell>>& cells) {
    std::vector<CellUpdate> updates;
    for (const auto& [pos, cell] : cells) updates.push_back({pos.x, pos.y, &cell});
    std::string out;
    append_draw_bytes(out, updates);
    return out;
}

Cell cell_of(std::string symbol, Style style) {
    Cell c;
    c.set_symbol(symbol);
    c.set_style(style);
    return c;
}

const char* const kTrailer = "\x1b[39m\x1b[49m\x1b[59m\x1b[0m";

TEST(KitDrawBytes, MovesModifiersAndColours) {
    struct Case {
        const char* name;
        std::vector<std::pair<Position, Cell>> cells;
        std::string bytes;
    } cases[] = {
        {"nothing changed", {}, kTrailer},
        {"adjacent cells share one move and one style",
         {{{0, 0}, cell_of("A", kBoldRed)}, {{1, 0}, cell_of("B", kBoldRed)}},
         std::string("\x1b[1;1H\x1b[1m\x1b[38;5;1;49mAB") + kTrailer},
        {"a gap or another row moves the cursor",
         {{{3, 2}, cell_of("x", {})}, {{5, 2}, cell_of("y", {})}, {{6, 3}, cell_of("z", {})}},
         std::string("\x1b[3;4Hx\x1b[3;6Hy\x1b[4;7Hz") + kTrailer},
        {"background alone still sends both colours",
         {{{0, 0}, cell_of("a", Style{}.with_bg(Color::Blue))}},
         std::string("\x1b[1;1H\x1b[39;48;5;4ma") + kTrailer},
        {"named colours in 256-colour form",
         {{{0, 0}, cell_of("a", Style{}.with_fg(Color::White).with_bg(Color::DarkGray))},
          {{1, 0}, cell_of("b", Style{}.with_fg(Color::LightCyan).with_bg(Color::Black))}},
         std::string("\x1b[1;1H\x1b[38;5;15;48;5;8ma\x1b[38;5;14;48;5;0mb") + kTrailer},
        {"removals before additions; bold off keeps dim",
         {{{0, 0}, cell_of("a", Style{}.add(Modifier::Reversed | Modifier::Bold | Modifier::Dim))},
          {{1, 0}, cell_of("b", Style{}.add(Modifier::Dim | Modifier::Italic))},
          {{2, 0}, cell_of("c", Style{}.add(Modifier::Underlined))}},
         std::string("\x1b[1;1H\x1b[7m\x1b[1m\x1b[2ma\x1b[27m\x1b[22m\x1b[2m\x1b[3mb"
                     "\x1b[23m\x1b[22m\x1b[4mc") +
             kTrailer},
        {"dim off keeps bold",
         {{{0, 0}, cell_of("a", Style{}.add(Modifier::Bold | Modifier::Dim))},
          {{1, 0}, cell_of("b", Style{}.add(Modifier::Bold))}},
         std::string("\x1b[1;1H\x1b[1m\x1b[2ma\x1b[22m\x1b[1mb") + kTrailer},
        {"a zero-width symbol goes out as a blank",
         {{{0, 0}, cell_of("\xEF\xBB\xBF", {})}, {{1, 0}, cell_of("b", {})}},
         std::string("\x1b[1;1H b") + kTrailer},
        {"a control character set on a cell directly is not sent",
         {{{0, 0}, cell_of("\x1b", {})}},
         std::string("\x1b[1;1H\xEF\xBF\xBD") + kTrailer},
    };
    for (const Case& c : cases) EXPECT_EQ(draw_bytes_of(c.cells), c.bytes) << c.name;
}

TEST(KitDrawBytes, NoColorSendsModifiersOnly) {
    Cell c = cell_of("A", kBoldRed);
    std::vector<CellUpdate> updates{{0, 0, &c}};
    std::string out;
    append_draw_bytes(out, updates, DrawOptions{true});
    EXPECT_EQ(out, std::string("\x1b[1;1H\x1b[1mA") + kTrailer);
}

TEST(KitTerminal, FirstDrawWritesOnlyNonBlankCells) {
    TestBackend backend(3, 1);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    EXPECT_EQ(backend.bytes(), "");  // creating writes nothing
    ASSERT_TRUE(terminal->draw([](Frame& f) { f.buffer().set_string(0, 0, "AB", kBoldRed); }));
    EXPECT_EQ(backend.take_bytes(),
              std::string("\x1b[1;1H\x1b[1m\x1b[38;5;1;49mAB") + kTrailer + "\x1b[?25l");
    EXPECT_EQ(backend.row_text(0), "AB ");
    EXPECT_EQ(backend.screen().cell(1, 0)->fg, Color::Red);
    EXPECT_FALSE(backend.cursor_visible());
    EXPECT_TRUE(terminal->cursor_hidden());
}

TEST(KitTerminal, LaterDrawsSendOnlyChanges) {
    TestBackend backend(10, 3);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    auto scene = [](std::string_view word) {
        return [word](Frame& f) {
            f.buffer().set_string(0, 0, "title", Style{}.with_fg(Color::Cyan));
            f.buffer().set_string(2, 2, word, {});
        };
    };
    ASSERT_TRUE(terminal->draw(scene("one")));
    backend.take_bytes();
    ASSERT_TRUE(terminal->draw(scene("ore")));
    EXPECT_EQ(backend.take_bytes(), std::string("\x1b[3;4Hr") + kTrailer + "\x1b[?25l");
    ASSERT_TRUE(terminal->draw(scene("")));
    EXPECT_EQ(backend.take_bytes(), std::string("\x1b[3;3H   ") + kTrailer + "\x1b[?25l");
    EXPECT_EQ(backend.row_text(0), "title     ");
    EXPECT_EQ(backend.row_text(2), "          ");
}

// A frame that changes no cell and leaves the cursor as it was writes
// nothing; any change to either sends the cells, the trailer and the cursor.
TEST(KitTerminal, UnchangedFramesAreSilent) {
    using Cursor = std::optional<Position>;
    enum class Between { Nothing, Clear, ShowCursor, HideCursor, RecordShown };
    struct Case {
        const char* name;
        std::string before_text;
        Cursor before_cursor;
        Between between;
        std::string text;
        Cursor cursor;
        std::string bytes;
    } cases[] = {
        {"same cells, cursor hidden", "ab", {}, Between::Nothing, "ab", {}, ""},
        {"same cells, cursor at the same place", "ab", Position{2, 0}, Between::Nothing, "ab",
         Position{2, 0}, ""},
        {"cursor moved", "ab", Position{2, 0}, Between::Nothing, "ab", Position{3, 1},
         std::string(kTrailer) + "\x1b[?25h\x1b[2;4H"},
        {"cursor hidden again",
         "ab",
         Position{2, 0},
         Between::Nothing,
         "ab",
         {},
         std::string(kTrailer) + "\x1b[?25l"},
        {"cursor shown",
         "ab",
         {},
         Between::Nothing,
         "ab",
         Position{1, 1},
         std::string(kTrailer) + "\x1b[?25h\x1b[2;2H"},
        {"one cell changed, cursor kept", "ab", Position{2, 0}, Between::Nothing, "aB",
         Position{2, 0}, std::string("\x1b[1;2HB") + kTrailer + "\x1b[?25h\x1b[1;3H"},
        {"blank frame after a clear", "", {}, Between::Clear, "", {}, ""},
        {"cursor placed again after a clear", "", Position{1, 0}, Between::Clear, "",
         Position{1, 0}, std::string(kTrailer) + "\x1b[?25h\x1b[1;2H"},
        {"cursor shown by the caller",
         "ab",
         {},
         Between::ShowCursor,
         "ab",
         {},
         std::string(kTrailer) + "\x1b[?25l"},
        {"cursor hidden by the caller", "ab", Position{2, 0}, Between::HideCursor, "ab",
         Position{2, 0}, std::string(kTrailer) + "\x1b[?25h\x1b[1;3H"},
        {"cursor recorded as shown by the caller", "ab", Position{2, 0}, Between::RecordShown, "ab",
         Position{2, 0}, std::string(kTrailer) + "\x1b[?25h\x1b[1;3H"},
    };
    for (const Case& c : cases) {
        TestBackend backend(6, 2);
        auto terminal = Terminal::create(backend);
        ASSERT_TRUE(terminal) << c.name;
        auto scene = [](const std::string& text, Cursor cursor) {
            return [text, cursor](Frame& f) {
                f.buffer().set_string(0, 0, text, {});
                if (cursor) f.set_cursor_position(*cursor);
            };
        };
        ASSERT_TRUE(terminal->draw(scene(c.before_text, c.before_cursor))) << c.name;
        switch (c.between) {
            case Between::Nothing:
                break;
            case Between::Clear:
                ASSERT_TRUE(terminal->clear()) << c.name;
                break;
            case Between::ShowCursor:
                ASSERT_TRUE(terminal->show_cursor()) << c.name;
                break;
            case Between::HideCursor:
                ASSERT_TRUE(terminal->hide_cursor()) << c.name;
                break;
            case Between::RecordShown:
                terminal->set_cursor_hidden(false);
                break;
        }
        ASSERT_TRUE(backend.flush()) << c.name;
        backend.take_bytes();
        const int flushes = backend.flush_count();
        ASSERT_TRUE(terminal->draw(scene(c.text, c.cursor))) << c.name;
        EXPECT_EQ(backend.take_bytes(), c.bytes) << c.name;
        EXPECT_EQ(backend.flush_count() > flushes, !c.bytes.empty()) << c.name;
    }
}

TEST(KitTerminal, CursorShownWhereTheFrameSetsIt) {
    TestBackend backend(5, 2);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    ASSERT_TRUE(terminal->draw([](Frame& f) { f.set_cursor_position({3, 1}); }));
    EXPECT_EQ(backend.take_bytes(), std::string(kTrailer) + "\x1b[?25h\x1b[2;4H");
    EXPECT_TRUE(backend.cursor_visible());
    EXPECT_FALSE(terminal->cursor_hidden());
}

TEST(KitTerminal, ResizeClearsAndRedrawsEverything) {
    TestBackend backend(4, 1);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    auto scene = [](Frame& f) { f.buffer().set_string(0, 0, "abcdef", {}); };
    ASSERT_TRUE(terminal->draw(scene));
    backend.take_bytes();
    backend.set_size(6, 1);
    ASSERT_TRUE(terminal->draw(scene));
    EXPECT_EQ(backend.take_bytes(), std::string("\x1b[2J\x1b[1;1Habcdef") + kTrailer + "\x1b[?25l");
    EXPECT_EQ(terminal->size(), (Size{6, 1}));
    EXPECT_EQ(backend.row_text(0), "abcdef");
}

// A terminal that reports whatever size it is set to and keeps only the
// bytes, without a screen of that size.
class SizedBackend final : public Backend {
public:
    Result<Size, IoError> size() override { return size_; }
    Result<void, IoError> write(std::string_view bytes) override {
        bytes_.append(bytes);
        return {};
    }
    Result<void, IoError> flush() override { return {}; }
    Size size_;
    std::string bytes_;
};

// Anyone with a shell on the console can set its size to 65535 x 65535; the
// frame buffers stop at kMaxScreenSide on each side.
TEST(KitTerminal, HugeSizesAreClampedBeforeAnyBufferIsMade) {
    SizedBackend backend;
    backend.size_ = {65535, 65535};
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    EXPECT_EQ(terminal->size(), (Size{kMaxScreenSide, kMaxScreenSide}));
    auto scene = [](Frame& f) {
        EXPECT_EQ(f.area(), (Rect{0, 0, kMaxScreenSide, kMaxScreenSide}));
        f.buffer().set_string(0, 0, "ab", {});
    };
    ASSERT_TRUE(terminal->draw(scene));
    // The reported size stays huge: no resize (and no clear) on every draw.
    backend.bytes_.clear();
    ASSERT_TRUE(terminal->draw(scene));
    EXPECT_EQ(backend.bytes_.find("\x1b[2J"), std::string::npos);

    ASSERT_TRUE(terminal->resize(Size{3, 65535}));
    EXPECT_EQ(terminal->size(), (Size{3, kMaxScreenSide}));
    backend.size_ = {4, 1};
    ASSERT_TRUE(terminal->draw([](Frame& f) { f.buffer().set_string(0, 0, "ab", {}); }));
    EXPECT_EQ(terminal->size(), (Size{4, 1}));
}

TEST(KitTerminal, ClearForgetsThePreviousFrame) {
    TestBackend backend(3, 1);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    auto scene = [](Frame& f) { f.buffer().set_string(0, 0, "ab", {}); };
    ASSERT_TRUE(terminal->draw(scene));
    ASSERT_TRUE(terminal->clear());
    backend.take_bytes();
    ASSERT_TRUE(terminal->draw(scene));
    EXPECT_EQ(backend.take_bytes(), std::string("\x1b[1;1Hab") + kTrailer + "\x1b[?25l");
}

TEST(KitTerminal, DroppingShowsAHiddenCursorOnce) {
    TestBackend backend(3, 1);
    {
        auto terminal = Terminal::create(backend);
        ASSERT_TRUE(terminal);
        ASSERT_TRUE(terminal->draw([](Frame&) {}));
        backend.take_bytes();
    }
    EXPECT_EQ(backend.take_bytes(), "\x1b[?25h");
    {
        auto terminal = Terminal::create(backend);
        ASSERT_TRUE(terminal);
        ASSERT_TRUE(terminal->draw([](Frame&) {}));
        terminal->set_cursor_hidden(false);  // shown by the caller's own teardown
        backend.take_bytes();
    }
    EXPECT_EQ(backend.take_bytes(), "");
}

TEST(KitTerminal, WriteErrorsAreReturned) {
    TestBackend backend(3, 1);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    backend.fail_with(EIO);
    auto r = terminal->draw([](Frame& f) { f.buffer().set_string(0, 0, "x", {}); });
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().code, EIO);
    EXPECT_EQ(display_io_error(r.error()), "Input/output error (os error 5)");
    backend.fail_with(std::nullopt);
    TestBackend failing(3, 1);
    failing.fail_with(ENOTTY);
    EXPECT_FALSE(Terminal::create(failing));
}

TEST(KitTerminal, NoColorFromTheEnvironment) {
    ::setenv("NO_COLOR", "1", 1);
    TestBackend backend(3, 1);
    auto terminal = Terminal::create(backend);
    ::unsetenv("NO_COLOR");
    ASSERT_TRUE(terminal);
    ASSERT_TRUE(terminal->draw([](Frame& f) { f.buffer().set_string(0, 0, "A", kBoldRed); }));
    EXPECT_EQ(backend.take_bytes(), std::string("\x1b[1;1H\x1b[1mA") + kTrailer + "\x1b[?25l");
}

}  // namespace
}  // namespace tarnwick::tui

namespace tarnwick::tui {
namespace {

using test::TestBackend;

// Whatever sequence of frames is drawn, the bytes sent leave the screen
// showing exactly the last frame (cells behind wide glyphs aside).
TEST(KitTerminal, ScreenMatchesTheLastFrame) {
    const std::vector<Style> styles{
        Style{}.with_fg(Color::White).with_bg(Color::Black),
        Style{}.with_fg(Color::Black).with_bg(Color::Cyan).add(Modifier::Bold),
        Style{}.add(Modifier::Bold | Modifier::Dim),
        Style{}.add(Modifier::Bold),
        Style{}.add(Modifier::Reversed | Modifier::Underlined).with_fg(Color::LightRed),
        Style{}.add(Modifier::Dim | Modifier::Italic),
        Style{},
    };
    const std::vector<std::string> words{"ab",
                                         "コン",
                                         "x",
                                         "e\xCC\x81"
                                         "e",
                                         "  ",
                                         "▶ row",
                                         "wxyz"};
    TestBackend backend(12, 4);
    auto terminal = Terminal::create(backend);
    ASSERT_TRUE(terminal);
    unsigned seed = 7;
    auto next = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int frame = 0; frame < 60; ++frame) {
        ASSERT_TRUE(terminal->draw([&](Frame& f) {
            for (int k = 0; k < 8; ++k) {
                f.buffer().set_string(static_cast<std::uint16_t>(next(12)),
                                      static_cast<std::uint16_t>(next(4)),
                                      words[next(static_cast<unsigned>(words.size()))],
                                      styles[next(static_cast<unsigned>(styles.size()))]);
            }
        }));
        const Buffer& expected = terminal->last_frame();
        for (std::uint16_t y = 0; y < 4; ++y) {
            std::size_t hidden = 0;
            for (std::uint16_t x = 0; x < 12; ++x) {
                const Cell& want = *expected.cell(x, y);
                if (hidden > 0) {
                    --hidden;
                    continue;
                }
                hidden = display_width(want.symbol) > 1 ? display_width(want.symbol) - 1 : 0;
                const Cell& got = *backend.screen().cell(x, y);
                EXPECT_EQ(got.symbol, want.symbol) << "frame " << frame << " at " << x << "," << y;
                EXPECT_EQ(got.fg, want.fg) << "frame " << frame << " at " << x << "," << y;
                EXPECT_EQ(got.bg, want.bg) << "frame " << frame << " at " << x << "," << y;
                EXPECT_EQ(got.modifier, want.modifier)
                    << "frame " << frame << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace tarnwick::tui
