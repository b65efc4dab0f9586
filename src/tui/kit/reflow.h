#pragma once
// Laying out paragraph lines in a given width: word wrapping (with or without
// trimming leading blanks) and truncation.

#include <cstdint>
#include <string_view>
#include <vector>

#include "tui/kit/style.h"
#include "tui/kit/text.h"

namespace tarnwick::tui {

struct StyledGrapheme {
    std::string_view symbol;
    Style style;
    std::uint16_t width = 0;
};

struct InputLine {
    std::vector<StyledGrapheme> graphemes;
    Alignment alignment = Alignment::Left;
};

struct LaidOutLine {
    std::vector<StyledGrapheme> graphemes;
    std::uint16_t width = 0;
    Alignment alignment = Alignment::Left;
};

// Breaks each line at word boundaries into lines at most `width` wide; a word
// longer than the width is cut hard.
std::vector<LaidOutLine> wrap_words(const std::vector<InputLine>& lines, std::uint16_t width,
                                    bool trim);

// Cuts each line at `width`; left-aligned lines first skip `offset` columns.
std::vector<LaidOutLine> truncate_lines(const std::vector<InputLine>& lines, std::uint16_t width,
                                        std::uint16_t offset);

}  // namespace tarnwick::tui
