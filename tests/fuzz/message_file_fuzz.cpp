// Any UTF-8 text as a message file (tarnwick.ftl) and as a locale.toml: the
// entries parse, and every message translates with an argument, without a
// crash and with the lookup rules holding.
#include "core/catalog.h"
#include "core/kv_file.h"
#include "core/text.h"
#include "fuzz/fuzz_target.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Message files are read as UTF-8 text; anything else is refused before parsing.
    if (!tarnwick::is_valid_utf8(text)) return 0;

    tarnwick::Catalog catalog;
    catalog.messages = tarnwick::parse_kv_text(text);
    (void)tarnwick::parse_locale_toml(text);

    // The first line also serves as a placeholder value, so inserted text
    // that itself looks like a placeholder is exercised.
    const std::string_view value = text.substr(0, text.find('\n'));
    for (const auto& [key, message] : catalog.messages) {
        if (key.empty() || tarnwick::trim(key) != key) std::abort();
        if (tarnwick::translate(catalog, key) != message) std::abort();
        (void)tarnwick::translate_arg(catalog, key, "name", value);
    }
    // A key found nowhere translates to itself.
    if (!catalog.messages.contains("\n") && tarnwick::translate(catalog, "\n") != "\n")
        std::abort();
    return 0;
}
