// Any bytes: the parser returns a tree or an error, and a tree's offsets stay
// inside the text.
#include "core/json/messages.h"
#include "core/json/parser.h"
#include "fuzz/fuzz_target.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(const tarnwick::json::Value& v, std::size_t size) {
    if (v.start > v.end || v.end > size) std::abort();
    (void)tarnwick::json::describe_found(v);
    for (const auto& item : v.items) check(item, size);
    for (const auto& m : v.members) {
        if (m.key_start >= m.key_end || m.key_end > m.value.start) std::abort();
        check(m.value, size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = tarnwick::json::parse(text);
    if (parsed) {
        check(*parsed, size);
    } else if (parsed.error().position.column > size) {
        std::abort();
    }
    return 0;
}
