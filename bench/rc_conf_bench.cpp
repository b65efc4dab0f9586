// The cost of reading and changing rc.conf at the read limit (1 MiB), for
// the shapes that cost most: many settings, one value joined over many lines,
// a long quoted value, and texts that are refused (a here-document of joined
// lines, a deep nest of substitutions). Run through farm-bench, which times
// the whole process:
//
//   farm-bench -- build/release/bench/tarnwick_rc_conf_bench SHAPE [BYTES]
//
// It prints what the rewrite answered, so a run can be checked.

#include <cstdio>
#include <string>
#include <string_view>

#include "app/network/rc_conf.h"
#include "app/network/rc_conf_rewrite.h"
#include "core/read_file.h"

namespace {

std::string repeat_until(std::string_view head, std::string_view piece, std::string_view tail,
                         std::size_t bytes) {
    std::string text(head);
    while (text.size() + piece.size() + tail.size() <= bytes) text += piece;
    text += tail;
    return text;
}

bool shape(std::string_view name, std::size_t bytes, std::string& text) {
    if (name == "settings") {
        text = repeat_until("", "ifconfig_em1=\"inet 192.0.2.10 netmask 255.255.255.0\" # x\n", "",
                            bytes);
    } else if (name == "joined-value") {
        text = repeat_until("ifconfig_em0=\"inet", " 192.0.2.10 \\\n", "\"\n", bytes);
    } else if (name == "quoted-value") {
        text = repeat_until("note='", "xxxxxxxxxxxxxxx\n", "'\nifconfig_em0=DHCP\n", bytes);
    } else if (name == "joined-here-document") {
        text = repeat_until("cat <<EOF\n", "a=1 \\\n", "EOF\n", bytes);
    } else if (name == "nested-substitutions") {
        text = repeat_until("a=", "${", "\n", bytes);
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t bytes = argc > 2 ? std::stoul(argv[2]) : tarnwick::kMaxConfigFileBytes;
    std::string text;
    if (argc < 2 || !shape(argv[1], bytes, text)) {
        std::fputs(
            "usage: tarnwick_rc_conf_bench settings|joined-value|quoted-value|"
            "joined-here-document|nested-substitutions [BYTES]\n",
            stderr);
        return 64;
    }
    const auto settings = tarnwick::app::parse_rc_conf(text);
    const auto rewritten = tarnwick::app::rewrite_rc_conf_text(
        text, {{"ifconfig_em0", "inet 192.0.2.20 netmask 255.255.255.0"},
               {"defaultrouter", "192.0.2.1"}});
    std::printf("%zu bytes, %zu settings read: %s\n", text.size(), settings.size(),
                rewritten ? "changed" : tarnwick::app::net_error_text(rewritten.error()).c_str());
    return 0;
}
