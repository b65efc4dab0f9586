#pragma once
// Styled text: a Span is one run of text in one style, a Line a row of spans,
// a Text a list of lines. Lines and texts render themselves into a buffer.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tui/kit/rect.h"
#include "tui/kit/style.h"

namespace tarnwick::tui {

class Buffer;

enum class Alignment { Left, Center, Right };

struct Span {
    std::string content;
    Style style;

    Span() = default;
    Span(std::string text, Style s = {}) : content(std::move(text)), style(s) {}  // NOLINT
    Span(const char* text, Style s = {}) : content(text), style(s) {}             // NOLINT

    std::size_t width() const;
};

struct Line {
    std::vector<Span> spans;
    Style style;
    std::optional<Alignment> alignment;

    Line() = default;
    Line(std::string text) : spans{Span(std::move(text))} {}  // NOLINT
    Line(const char* text) : spans{Span(text)} {}             // NOLINT
    Line(Span span) : spans{std::move(span)} {}               // NOLINT
    Line(std::vector<Span> s) : spans(std::move(s)) {}        // NOLINT

    // A line of one unstyled span whose line style is `s`.
    static Line styled(std::string text, Style s);

    Line with_style(Style s) const;
    Line aligned(Alignment a) const;

    std::size_t width() const;

    // Draws the line into the first row of the area: the line style fills the
    // row, the spans are aligned inside it; a line too wide for the area is cut
    // (from the right, or from the left or both sides when aligned so).
    void render(Rect area, Buffer& buf) const;
    void render_aligned(Rect area, Buffer& buf, std::optional<Alignment> parent) const;
};

struct Text {
    std::vector<Line> lines;
    Style style;
    std::optional<Alignment> alignment;

    Text() = default;
    // Split into lines at "\n" (a "\r" before it is dropped, a final line end
    // adds no line, an empty string is one empty line).
    Text(std::string_view text);                                     // NOLINT
    Text(const char* text) : Text(std::string_view(text)) {}         // NOLINT
    Text(const std::string& text) : Text(std::string_view(text)) {}  // NOLINT
    Text(Line line) : lines{std::move(line)} {}                      // NOLINT
    Text(std::vector<Line> l) : lines(std::move(l)) {}               // NOLINT

    Text with_style(Style s) const;
    Text aligned(Alignment a) const;

    std::size_t width() const;
    std::size_t height() const { return lines.size(); }

    // One line per row of the area, each with the text's style and alignment.
    void render(Rect area, Buffer& buf) const;
};

}  // namespace tarnwick::tui
