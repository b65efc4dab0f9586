#include "tui/kit/reflow.h"

#include <deque>

#include "core/text.h"

namespace tarnwick::tui {
namespace {

constexpr std::string_view kZeroWidthSpace = "\u200B";
constexpr std::string_view kNoBreakSpace = "\u00A0";

bool is_whitespace(std::string_view symbol) {
    if (symbol == kZeroWidthSpace) return true;
    if (symbol == kNoBreakSpace || symbol.empty()) return false;
    std::size_t pos = 0;
    while (pos < symbol.size()) {
        auto cp = next_code_point(symbol, pos);
        if (!cp || !is_white_space(*cp)) return false;
    }
    return true;
}

std::uint16_t width_of(const std::vector<StyledGrapheme>& gs) {
    unsigned w = 0;
    for (const StyledGrapheme& g : gs) w += g.width;
    return static_cast<std::uint16_t>(std::min(w, 0xFFFFu));
}

}  // namespace

std::vector<LaidOutLine> wrap_words(const std::vector<InputLine>& lines, std::uint16_t max_width,
                                    bool trim) {
    std::vector<LaidOutLine> out;
    for (const InputLine& input : lines) {
        const std::size_t produced_before = out.size();
        auto emit = [&](std::vector<StyledGrapheme>&& gs) {
            std::uint16_t w = width_of(gs);
            out.push_back({std::move(gs), w, input.alignment});
        };
        std::vector<StyledGrapheme> line;
        unsigned line_width = 0;
        std::vector<StyledGrapheme> word;
        unsigned word_width = 0;
        std::deque<StyledGrapheme> blanks;
        unsigned blanks_width = 0;
        bool after_word = false;

        for (const StyledGrapheme& g : input.graphemes) {
            const bool blank = is_whitespace(g.symbol);
            const unsigned w = g.width;
            if (w > max_width) continue;

            const bool word_found = after_word && blank;
            const bool trimmed_overflow = line.empty() && trim && word_width + w > max_width;
            const bool blank_overflow = line.empty() && trim && blanks_width + w > max_width;
            const bool untrimmed_overflow =
                line.empty() && !trim && word_width + blanks_width + w > max_width;
            if (word_found || trimmed_overflow || blank_overflow || untrimmed_overflow) {
                if (!line.empty() || !trim) {
                    line.insert(line.end(), blanks.begin(), blanks.end());
                    line_width += blanks_width;
                }
                line.insert(line.end(), word.begin(), word.end());
                line_width += word_width;
                blanks.clear();
                blanks_width = 0;
                word.clear();
                word_width = 0;
            }

            const bool line_full = line_width >= max_width;
            const bool word_overflow = w > 0 && line_width + blanks_width + word_width >= max_width;
            if (line_full || word_overflow) {
                unsigned remaining = max_width > line_width ? max_width - line_width : 0;
                emit(std::move(line));
                line.clear();
                line_width = 0;
                // Blanks that still fitted on the emitted line end with it.
                while (!blanks.empty() && blanks.front().width <= remaining) {
                    blanks_width -= blanks.front().width;
                    remaining -= blanks.front().width;
                    blanks.pop_front();
                }
                // The blank that broke the line is not carried over.
                if (blank && blanks.empty()) continue;
            }

            if (blank) {
                blanks_width += w;
                blanks.push_back(g);
            } else {
                word_width += w;
                word.push_back(g);
            }
            after_word = !blank;
        }

        if (line.empty() && word.empty() && !blanks.empty()) emit({});
        if (!line.empty() || !trim) line.insert(line.end(), blanks.begin(), blanks.end());
        line.insert(line.end(), word.begin(), word.end());
        if (!line.empty()) emit(std::move(line));
        if (out.size() == produced_before) emit({});
    }
    return out;
}

std::vector<LaidOutLine> truncate_lines(const std::vector<InputLine>& lines,
                                        std::uint16_t max_width, std::uint16_t offset) {
    std::vector<LaidOutLine> out;
    for (const InputLine& input : lines) {
        LaidOutLine laid{{}, 0, input.alignment};
        unsigned skip = input.alignment == Alignment::Left ? offset : 0;
        unsigned width = 0;
        for (const StyledGrapheme& g : input.graphemes) {
            if (g.width > max_width) continue;
            if (width + g.width > max_width) break;
            if (skip > 0) {
                // A wide glyph straddling the cut is kept whole.
                if (g.width > skip) {
                    skip = 0;
                } else {
                    skip -= g.width;
                    continue;
                }
            }
            width += g.width;
            laid.graphemes.push_back(g);
        }
        laid.width = static_cast<std::uint16_t>(width);
        out.push_back(std::move(laid));
    }
    return out;
}

}  // namespace tarnwick::tui
