// Feeds arbitrary bytes to the input decoder, split into reads where the
// first byte says, and checks what comes out is well-formed.
#include "core/text.h"
#include "fuzz/fuzz_target.h"
#include "tui/term/input_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void check_event(const tarnwick::tui::Event& event) {
    using namespace tarnwick::tui;
    if (const auto* key = std::get_if<KeyEvent>(&event)) {
        if (key->code == Key::Char)
            check(key->ch < 0x110000 && !(key->ch >= 0xD800 && key->ch <= 0xDFFF));
        if (key->code == Key::F) check(key->number >= 1 && key->number <= 35);
    } else if (const auto* paste = std::get_if<PasteEvent>(&event)) {
        check(tarnwick::is_valid_utf8(paste->text));
    }
    (void)describe_event(event);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t step = static_cast<std::size_t>(data[0] % 16) + 1;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    tarnwick::tui::InputDecoder decoder;
    for (std::size_t at = 0; at < bytes.size(); at += step) {
        decoder.feed(bytes.substr(at, step));
        while (auto e = decoder.pop()) check_event(*e);
    }
    decoder.finish();
    check(!decoder.pending());
    while (auto e = decoder.pop()) check_event(*e);
    return 0;
}
