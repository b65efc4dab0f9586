#include "tui/kit/width.h"

#include <utf8proc.h>

#include <algorithm>

#include "core/text.h"

namespace tarnwick::tui {
namespace {

constexpr std::string_view kBlank = " ";
constexpr char32_t kZeroWidthJoiner = 0x200D;
constexpr char32_t kEmojiPresentation = 0xFE0F;

int boundclass(char32_t cp) {
    return utf8proc_get_property(static_cast<utf8proc_int32_t>(cp))->boundclass;
}

int char_width(char32_t cp) {
    return utf8proc_charwidth(static_cast<utf8proc_int32_t>(cp));
}

// Width of one cluster of code points. Emoji sequences (presentation selector,
// skin tones, joined emoji, flags) take two columns as a whole.
std::uint16_t cluster_width(const std::vector<char32_t>& cps) {
    if (cps.empty()) return 0;
    int first_class = boundclass(cps[0]);
    bool emoji_base = first_class == UTF8PROC_BOUNDCLASS_EXTENDED_PICTOGRAPHIC ||
                      first_class == UTF8PROC_BOUNDCLASS_REGIONAL_INDICATOR;
    if (cps.size() > 1 && emoji_base) {
        for (char32_t cp : cps) {
            if (cp == kEmojiPresentation || cp == kZeroWidthJoiner ||
                boundclass(cp) == UTF8PROC_BOUNDCLASS_REGIONAL_INDICATOR ||
                (cp >= 0x1F3FB && cp <= 0x1F3FF)) {
                return 2;
            }
        }
    }
    int width = 0;
    for (char32_t cp : cps) width += std::max(0, char_width(cp));
    return static_cast<std::uint16_t>(std::min(width, 0xFFFF));
}

struct Decoded {
    char32_t cp;
    std::size_t begin;
    std::size_t end;
    bool invalid;
};

std::vector<Decoded> decode(std::string_view text) {
    std::vector<Decoded> out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t begin = pos;
        if (auto cp = next_code_point(text, pos)) {
            out.push_back({*cp, begin, pos, false});
        } else {
            pos = begin + 1;
            out.push_back({0xFFFD, begin, pos, true});
        }
    }
    return out;
}

}  // namespace

std::vector<Grapheme> graphemes(std::string_view text) {
    std::vector<Grapheme> out;
    if (text.empty()) return out;
    // Plain ASCII text is the common case: one cluster per printable byte.
    bool ascii = true;
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) out.push_back({text.substr(i, 1), 1});
        return out;
    }

    std::vector<Decoded> cps = decode(text);
    std::vector<char32_t> cluster;
    utf8proc_int32_t state = 0;
    std::size_t i = 0;
    while (i < cps.size()) {
        std::size_t start = i;
        cluster.assign(1, cps[i].cp);
        bool unsafe = cps[i].invalid || is_control_char(cps[i].cp);
        ++i;
        // Controls and invalid bytes always stand alone: they are replaced below.
        while (!unsafe && i < cps.size() && !cps[i].invalid && !is_control_char(cps[i].cp) &&
               !utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(cluster.back()),
                                                 static_cast<utf8proc_int32_t>(cps[i].cp),
                                                 &state)) {
            cluster.push_back(cps[i].cp);
            ++i;
        }
        state = 0;
        if (unsafe) {
            // CR LF is one cluster, dropped like a lone line feed.
            if (cps[start].cp == '\r' && i < cps.size() && cps[i].cp == '\n') {
                ++i;
                continue;
            }
            if (cps[start].invalid) {
                out.push_back({kReplacementChar, 1});
            } else if (cps[start].cp == '\n') {
                continue;
            } else if (cps[start].cp == '\t') {
                out.push_back({kBlank, 1});
            } else {
                out.push_back({kReplacementChar, 1});
            }
            continue;
        }
        std::string_view symbol = text.substr(cps[start].begin, cps[i - 1].end - cps[start].begin);
        out.push_back({symbol, cluster_width(cluster)});
    }
    return out;
}

std::size_t display_width(std::string_view text) {
    std::size_t width = 0;
    for (const Grapheme& g : graphemes(text)) width += g.width;
    return width;
}

std::uint16_t symbol_width(std::string_view symbol) {
    if (symbol.size() == 1) return 1;
    std::size_t pos = 0;
    auto cp = next_code_point(symbol, pos);
    if (cp && pos == symbol.size() && !is_control_char(*cp)) {
        return static_cast<std::uint16_t>(std::max(0, char_width(*cp)));
    }
    std::size_t width = display_width(symbol);
    return static_cast<std::uint16_t>(std::min<std::size_t>(width, 0xFFFF));
}

}  // namespace tarnwick::tui
