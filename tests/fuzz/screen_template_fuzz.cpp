// Screen template parsing and validation on arbitrary bytes: no crash, no
// hang, and every accepted template survives validation without surprises.

#include "fuzz/fuzz_target.h"
#include "template/screen/screen_template.h"

#include "core/text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The loader only hands valid UTF-8 to the parser.
    if (!tarnwick::is_valid_utf8(text)) return 0;
    auto screen = tarnwick::tmpl::parse_screen_template(text);
    if (screen) {
        (void)tarnwick::tmpl::validate_screen(*screen);
    } else {
        (void)tarnwick::tmpl::display_screen_template_error(screen.error());
    }
    return 0;
}
