// Any UTF-8 text as a welcome text: the markup parser returns at most one
// styled line per input line, never a crash or invalid UTF-8.
#include "core/text.h"
#include "fuzz/fuzz_target.h"
#include "tui/welcome/markup.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Welcome files are decoded before they are parsed.
    if (!tarnwick::is_valid_utf8(text)) return 0;
    const auto lines = tarnwick::tui::parse_welcome_markup(text);
    if (lines.size() > static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1) {
        std::abort();
    }
    for (const auto& line : lines) {
        for (const auto& span : line) {
            if (!tarnwick::is_valid_utf8(span.text)) std::abort();
        }
    }
    (void)tarnwick::tui::parse_inline_markup(text);
    return 0;
}
