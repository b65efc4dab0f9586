// Frame cost of the drawing kit: a full 200x60 screen of mixed widgets drawn
// through the double-buffered terminal, for an unchanged frame, a frame with
// one changed cell and a frame where every cell changes.

#include <fmt/format.h>

#include <chrono>
#include <string>
#include <vector>

#include "tui/kit/block.h"
#include "tui/kit/clear.h"
#include "tui/kit/layout.h"
#include "tui/kit/list.h"
#include "tui/kit/paragraph.h"
#include "tui/kit/terminal.h"

using namespace tarnwick::tui;

namespace {

constexpr std::uint16_t kWidth = 200;
constexpr std::uint16_t kHeight = 60;

// Counts the bytes a draw sends; nothing is written anywhere.
class CountingBackend final : public Backend {
public:
    tarnwick::Result<Size, IoError> size() override { return Size{kWidth, kHeight}; }
    tarnwick::Result<void, IoError> write(std::string_view bytes) override {
        bytes_ += bytes.size();
        return {};
    }
    tarnwick::Result<void, IoError> flush() override { return {}; }
    std::size_t take() {
        std::size_t n = bytes_;
        bytes_ = 0;
        return n;
    }

private:
    std::size_t bytes_ = 0;
};

const Style kBase = Style{}.with_fg(Color::White).with_bg(Color::Black);
const Style kAccent = Style{}.with_fg(Color::Cyan).with_bg(Color::Black);
const Style kTitle = Style{}.with_fg(Color::LightCyan).add(Modifier::Bold);
const Style kHighlight = Style{}.with_fg(Color::Black).with_bg(Color::Cyan).add(Modifier::Bold);

struct Scene {
    std::size_t selected = 3;
    char marker = 'x';      // the one cell that changes in case (b)
    bool inverted = false;  // every cell changes in case (c)
};

void render(Frame& f, const Scene& s) {
    const Style base = s.inverted ? Style{}.with_fg(Color::Black).with_bg(Color::White) : kBase;
    Block().style(base).render(f.area(), f.buffer());
    Block outer =
        Block::bordered().border_style(kAccent).style(base).title(Line(Span(" tarnwick ", kTitle)));
    outer.render(f.area(), f.buffer());
    auto rows = split_vertical(outer.inner(f.area()),
                               {Constraint::length(3), Constraint::min(10), Constraint::length(4)});
    Paragraph(Text(Line(std::vector<Span>{Span(" host.example.org ", kTitle),
                                          Span("  192.0.2.10  ·  2001:db8::10", kAccent)})))
        .block(Block().borders(Borders::Bottom).border_style(kAccent))
        .render(rows[0], f.buffer());

    auto columns =
        split_horizontal(rows[1], {Constraint::percentage(48), Constraint::percentage(52)});
    std::string welcome;
    for (int i = 0; i < 40; ++i)
        welcome += "Welcome to this console, please sign in with your account. ";
    welcome.back() = s.inverted ? '!' : '.';
    Paragraph(Text(welcome))
        .block(Block::bordered().border_style(kAccent).title(" Welcome "))
        .style(s.inverted ? Style{}.with_fg(Color::Cyan).with_bg(Color::Black)
                          : Style{}.with_fg(Color::Black).with_bg(Color::Cyan))
        .wrap({false})
        .render(columns[0], f.buffer());

    std::vector<ListItem> items;
    for (int i = 0; i < 40; ++i)
        items.emplace_back(fmt::format("{} user{:02}  /home/user{:02}",
                                       i == static_cast<int>(s.selected) ? "▶" : " ", i, i));
    ListState state;
    state.selected = s.selected;
    Clear().render(columns[1], f.buffer());
    List(items)
        .block(Block::bordered()
                   .border_type(BorderType::Rounded)
                   .border_style(kAccent)
                   .title(" Users "))
        .style(base)
        .highlight_style(kHighlight)
        .render(columns[1], f.buffer(), state);

    Paragraph(Text(std::vector<Line>{
                  Line(" Language: English ▼ "),
                  Line(fmt::format(" Enter: sign in   Esc: back   attempts:{} ", s.marker))
                      .aligned(Alignment::Right)}))
        .block(Block().borders(Borders::Top).border_style(kAccent))
        .style(Style{}.with_fg(Color::Cyan).add(Modifier::Bold))
        .render(rows[2], f.buffer());
    // Borders keep their colours when inverted; this makes every cell differ.
    if (s.inverted) f.buffer().set_style(f.area(), Style{}.add(Modifier::Underlined));
}

struct Figures {
    double frames_per_second;
    double microseconds_per_frame;
    std::size_t bytes;
};

// Draws `frames` frames alternating between the scenes a and b after one
// warm-up frame of a; the bytes are those of the last frame.
Figures measure(const Scene& a, const Scene& b, int frames) {
    CountingBackend backend;
    auto terminal = Terminal::create(backend);
    (void)terminal->draw([&](Frame& f) { render(f, a); });
    backend.take();
    std::size_t bytes = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        const Scene& s = i % 2 == 0 ? b : a;
        (void)terminal->draw([&](Frame& f) { render(f, s); });
        bytes = backend.take();
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {frames / elapsed.count(), elapsed.count() * 1e6 / frames, bytes};
}

// Diff and byte encoding alone, between two ready buffers.
double diff_microseconds(const Scene& a, const Scene& b, int rounds, std::size_t& cells) {
    Buffer prev(Rect{0, 0, kWidth, kHeight});
    Buffer next(Rect{0, 0, kWidth, kHeight});
    Frame fa(prev);
    render(fa, a);
    Frame fb(next);
    render(fb, b);
    std::string out;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        out.clear();
        auto updates = prev.diff(next);
        cells = updates.size();
        append_draw_bytes(out, updates);
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() * 1e6 / rounds;
}

}  // namespace

int main() {
    const Scene plain;
    Scene one_cell = plain;
    one_cell.marker = 'y';
    Scene inverted = plain;
    inverted.inverted = true;

    // Every draw ends with the attribute reset (19 bytes) and the cursor hide
    // (6 bytes); the rest are the changed cells.
    constexpr std::size_t kFixed = 25;
    struct Row {
        const char* name;
        const Scene* other;
    } rows[] = {{"unchanged frame", &plain},
                {"one changed cell", &one_cell},
                {"fully changed frame", &inverted}};
    fmt::print("{}x{} frame of mixed widgets\n", kWidth, kHeight);
    fmt::print("{:<22}{:>10}{:>10}{:>8}{:>10}{:>12}{:>14}\n", "case", "frames/s", "us/frame",
               "cells", "bytes", "cell bytes", "diff+enc us");
    for (const Row& r : rows) {
        Figures f = measure(plain, *r.other, 2000);
        std::size_t cells = 0;
        double diff_us = diff_microseconds(plain, *r.other, 2000, cells);
        fmt::print("{:<22}{:>10.0f}{:>10.1f}{:>8}{:>10}{:>12}{:>14.1f}\n", r.name,
                   f.frames_per_second, f.microseconds_per_frame, cells, f.bytes, f.bytes - kFixed,
                   diff_us);
    }
    return 0;
}
