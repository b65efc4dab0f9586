#include "tui/welcome/markup.h"

#include "core/text.h"

namespace tarnwick::tui {
namespace {

struct Style {
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool dim = false;
};

MarkupSpan span(std::string_view text, Style style) {
    return MarkupSpan{std::string(text), style.bold, style.underline, style.italic, style.dim};
}

MarkupLine with_style(std::string_view rest, bool underline) {
    MarkupLine spans = parse_inline_markup(rest);
    for (MarkupSpan& s : spans) {
        s.bold = true;
        s.underline = s.underline || underline;
    }
    return spans;
}

bool shows_something(const MarkupLine& line) {
    for (const MarkupSpan& s : line) {
        if (!s.text.empty()) {
            return true;
        }
    }
    return false;
}

}  // namespace

// Markers are ASCII and never part of a multi-byte character, so walking the
// bytes finds them exactly where a walk over characters would.
std::vector<MarkupSpan> parse_inline_markup(std::string_view text) {
    std::vector<MarkupSpan> spans;
    std::string plain;
    auto end_plain = [&] {
        if (!plain.empty()) {
            spans.push_back(span(plain, {}));
            plain.clear();
        }
    };
    // Emphasis opened at `i` by `marker`: the span up to the closing marker,
    // or the marker itself as plain text when it is never closed.
    auto emphasis = [&](std::size_t i, std::string_view marker, Style style) {
        end_plain();
        std::size_t open_end = i + marker.size();
        std::size_t close = text.find(marker, open_end);
        if (close == std::string_view::npos) {
            plain = marker;
            return open_end;
        }
        spans.push_back(span(text.substr(open_end, close - open_end), style));
        return close + marker.size();
    };

    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '*' && next == '*') {
            i = emphasis(i, "**", {.bold = true});
        } else if (c == '_' && next == '_') {
            i = emphasis(i, "__", {.bold = true, .underline = true});
        } else if (c == '~' && next == '~') {
            i = emphasis(i, "~~", {.dim = true});
        } else if (c == '*') {
            i = emphasis(i, "*", {.italic = true});
        } else if (c == '_') {
            i = emphasis(i, "_", {.italic = true});
        } else if (c == '`') {
            i = emphasis(i, "`", {.dim = true});
        } else {
            plain += c;
            ++i;
        }
    }
    end_plain();
    if (spans.empty()) {
        spans.push_back(MarkupSpan{});
    }
    return spans;
}

MarkupLine parse_markup_line(std::string_view line) {
    std::string_view s = trim(line);
    if (s.empty() || s == "---" || s == "***") {
        return {};
    }
    if (s.starts_with("### ")) {
        return with_style(s.substr(4), false);
    }
    if (s.starts_with("## ")) {
        return with_style(s.substr(3), false);
    }
    if (s.starts_with("# ")) {
        return with_style(s.substr(2), true);
    }
    if (s.starts_with("- ") || s.starts_with("* ")) {
        MarkupLine spans;
        spans.push_back(MarkupSpan{"\xE2\x80\xA2 "});
        for (MarkupSpan& item : parse_inline_markup(s.substr(2))) {
            spans.push_back(std::move(item));
        }
        return spans;
    }
    return parse_inline_markup(s);
}

std::vector<MarkupLine> parse_welcome_markup(std::string_view text) {
    std::vector<MarkupLine> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        if (lf != std::string_view::npos && line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(parse_markup_line(line));
        if (lf == std::string_view::npos) {
            break;
        }
        pos = lf + 1;
    }
    while (!lines.empty() && !shows_something(lines.back())) {
        lines.pop_back();
    }
    return lines;
}

}  // namespace tarnwick::tui
