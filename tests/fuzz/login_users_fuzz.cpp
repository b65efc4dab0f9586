// Any bytes as the output of `getent group NAME` and of `id -u NAME`, decoded
// as the command runner does: member names come out trimmed, non-empty and
// without separators; a uid only from a plain decimal that fits 32 bits.
#include "app/session/login_users.h"
#include "core/text.h"
#include "fuzz/fuzz_target.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string out =
        tarnwick::decode_lossy(std::string_view(reinterpret_cast<const char*>(data), size));

    if (const auto members = tarnwick::app::members_from_getent_output(out)) {
        for (const std::string& name : *members) {
            if (name.empty() || tarnwick::trim(name) != name) std::abort();
            if (name.find_first_of(",:") != std::string::npos) std::abort();
        }
    }

    if (const auto uid = tarnwick::app::uid_from_id_output(out)) {
        std::string_view digits = tarnwick::trim(out);
        if (digits.front() == '+') digits.remove_prefix(1);
        // Leading zeros aside, the digits are the uid's.
        while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
        if (digits != std::to_string(*uid)) std::abort();
    }
    return 0;
}
