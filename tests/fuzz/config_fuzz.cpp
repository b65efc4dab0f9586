// Any bytes as config.json: a configuration or an error with its fixed text,
// never a crash. An accepted file names only known keys with values of their
// types, so mapping the same text twice gives the same record.
#include "core/config.h"
#include "fuzz/fuzz_target.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto config = tarnwick::parse_config(text);
    if (!config) {
        const auto kind = config.error().kind;
        if (kind != tarnwick::ConfigErrorKind::Json &&
            kind != tarnwick::ConfigErrorKind::UnknownField) {
            std::abort();
        }
        if (tarnwick::display_config_error(config.error()).empty()) std::abort();
        return 0;
    }
    if (!(tarnwick::parse_config(text).value() == *config)) std::abort();
    return 0;
}
