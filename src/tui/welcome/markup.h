#pragma once
// The small Markdown subset of welcome texts: headings, list items, rules and
// inline emphasis, turned into styled runs.

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::tui {

struct MarkupSpan {
    std::string text;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool dim = false;

    bool operator==(const MarkupSpan&) const = default;
};

// One line of spans; an empty line holds none.
using MarkupLine = std::vector<MarkupSpan>;

// **bold**, __bold underlined__, ~~dim~~, *italic*, _italic_ and `dim`. The
// text between markers is taken as it stands; an unclosed marker stays as
// written. Never empty: an empty text gives one empty span.
std::vector<MarkupSpan> parse_inline_markup(std::string_view text);

// One trimmed line: "# ", "## ", "### " headings, "- " and "* " items, "---"
// and "***" rules (empty lines), else inline markup. `line` must be UTF-8.
MarkupLine parse_markup_line(std::string_view line);

// The lines of a whole text (split at line feeds, a carriage return before a
// line feed dropped), with trailing lines that show nothing removed.
std::vector<MarkupLine> parse_welcome_markup(std::string_view text);

}  // namespace tarnwick::tui
